#pragma once

#include "ui/WindowEnvironment.h"

#include <QWidget>

#include <memory>

class MailMonitor;
class SignatureRenderTopbarMessageMailRunning;
class SignatureRenderTopbarInsertButton;

// The bar above the preview: the "Mail must be closed" message at the leading
// edge, the main button at the trailing edge. It owns the Mail monitor, whose
// once-a-second check starts when the bar is built.
class SignatureRenderTopbar : public QWidget
{
    Q_OBJECT
public:
    explicit SignatureRenderTopbar(const WindowEnvironment &environment, QWidget *parent = nullptr);
    ~SignatureRenderTopbar() override;

    MailMonitor &mailMonitor() const { return *m_mailMonitor; }
    SignatureRenderTopbarMessageMailRunning *message() const { return m_message; }
    SignatureRenderTopbarInsertButton *button() const { return m_button; }

private:
    std::unique_ptr<MailMonitor> m_mailMonitor;
    SignatureRenderTopbarMessageMailRunning *m_message;
    SignatureRenderTopbarInsertButton *m_button;
};
