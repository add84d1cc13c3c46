#pragma once

#include <QLabel>

class MailMonitor;
class SignatureStatusUIModel;

// The top bar's message slot: "Mail must be closed before inserting a
// signature" while Mail runs, otherwise what went wrong with the last insert.
// Hidden, it keeps its place so the button beside it never moves.
class SignatureRenderTopbarMessageMailRunning : public QLabel
{
    Q_OBJECT
public:
    SignatureRenderTopbarMessageMailRunning(MailMonitor &mailMonitor, SignatureStatusUIModel &status,
                                            QWidget *parent = nullptr);

private:
    void refresh();

    MailMonitor &m_mailMonitor;
    SignatureStatusUIModel &m_status;
};
