#pragma once

#include "ui/WindowEnvironment.h"

#include <QWidget>

class MailMonitor;
class SignatureRenderTopbarMessageMailRunning;
class SignatureRenderTopbarInsertButton;
class SignatureRenderTopbarPutBackButton;

// The bar above the preview: the "Mail must be closed" message at the leading
// edge, Put Back (when there is something to put back) and the main button at
// the trailing edge.
class SignatureRenderTopbar : public QWidget
{
    Q_OBJECT
public:
    explicit SignatureRenderTopbar(const WindowEnvironment &environment, QWidget *parent = nullptr);

    MailMonitor &mailMonitor() const { return m_mailMonitor; }
    SignatureRenderTopbarMessageMailRunning *message() const { return m_message; }
    SignatureRenderTopbarInsertButton *button() const { return m_button; }
    SignatureRenderTopbarPutBackButton *putBackButton() const { return m_putBack; }

private:
    MailMonitor &m_mailMonitor;
    SignatureRenderTopbarMessageMailRunning *m_message;
    SignatureRenderTopbarPutBackButton *m_putBack;
    SignatureRenderTopbarInsertButton *m_button;
};
