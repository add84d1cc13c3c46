#pragma once

#include "access/PasteModel.h"
#include "ui/WindowEnvironment.h"

#include <QPushButton>

class MailMonitor;

// The top bar's one button: "Authorize Access to Mail Signature folder" until
// access is granted, then "Insert Signature from Clipboard", enabled only with
// a previewed signature and Mail closed.
class SignatureRenderTopbarInsertButton : public QPushButton
{
    Q_OBJECT
public:
    SignatureRenderTopbarInsertButton(const WindowEnvironment &environment, MailMonitor &mailMonitor,
                                      QWidget *parent = nullptr);

private:
    void refresh();
    void trigger();

    WindowEnvironment m_environment;
    MailMonitor &m_mailMonitor;
    PasteModel m_pasteModel;
};
