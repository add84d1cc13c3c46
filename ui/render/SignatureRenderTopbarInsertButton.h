#pragma once

#include "access/PasteModel.h"
#include "ui/SignatureActions.h"
#include "ui/WindowEnvironment.h"

#include <QPushButton>

// The top bar's main button: "Authorize Access to Mail Signature folder" until
// access is granted, then "Insert Signature from Clipboard", enabled only with
// a previewed signature and Mail closed.
class SignatureRenderTopbarInsertButton : public QPushButton
{
    Q_OBJECT
public:
    explicit SignatureRenderTopbarInsertButton(const WindowEnvironment &environment,
                                               QWidget *parent = nullptr);

signals:
    // The clipboard held a template: its fields want values before anything is written.
    void fieldsAsked(const SignatureActions::Template &templateHtml);

private:
    void refresh();
    void trigger();

    WindowEnvironment m_environment;
    PasteModel m_pasteModel;
};
