#pragma once

#include <QLabel>

class MailMonitor;

// "Mail must be closed before inserting a signature", shown while Mail runs.
// Hidden, it keeps its place so the button beside it never moves.
class SignatureRenderTopbarMessageMailRunning : public QLabel
{
    Q_OBJECT
public:
    explicit SignatureRenderTopbarMessageMailRunning(MailMonitor &mailMonitor, QWidget *parent = nullptr);

private:
    void refresh();

    MailMonitor &m_mailMonitor;
};
