#pragma once

#include "ui/WindowEnvironment.h"

#include <QWidget>

class ControlWebviewModel;
class MailMonitor;
class SignatureRenderTopbarAppearance;
class SignatureRenderTopbarMessageMailRunning;
class SignatureRenderTopbarInsertButton;
class SignatureRenderTopbarPutBackButton;

// The bar above the preview: the "Mail must be closed" message at the leading
// edge; Light / Dark, Put Back (when there is something to put back) and the
// main button at the trailing edge.
class SignatureRenderTopbar : public QWidget
{
    Q_OBJECT
public:
    SignatureRenderTopbar(const WindowEnvironment &environment, ControlWebviewModel &javascriptModel,
                          QWidget *parent = nullptr);

    MailMonitor &mailMonitor() const { return m_mailMonitor; }
    SignatureRenderTopbarMessageMailRunning *message() const { return m_message; }
    SignatureRenderTopbarAppearance *appearance() const { return m_appearance; }
    SignatureRenderTopbarInsertButton *button() const { return m_button; }
    SignatureRenderTopbarPutBackButton *putBackButton() const { return m_putBack; }

private:
    MailMonitor &m_mailMonitor;
    SignatureRenderTopbarMessageMailRunning *m_message;
    SignatureRenderTopbarAppearance *m_appearance;
    SignatureRenderTopbarPutBackButton *m_putBack;
    SignatureRenderTopbarInsertButton *m_button;
};
