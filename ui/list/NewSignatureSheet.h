#pragma once

#include <QDialog>
#include <QString>

class MailMonitor;
class QLineEdit;
class QPushButton;
class SignaturesEngine;

// Asks for the name of a new signature over the window (a sheet on the Mac)
// and makes it from the HTML read before it opened. OK waits for a name.
// Opened without blocking; it goes when closed.
class NewSignatureSheet : public QDialog
{
    Q_OBJECT
public:
    NewSignatureSheet(SignaturesEngine &engine, MailMonitor &mailMonitor, const QString &html,
                      QWidget *window);

    QLineEdit *nameField() const { return m_name; }
    QPushButton *okButton() const { return m_ok; }

private:
    void refresh();
    void create();

    SignaturesEngine &m_engine;
    MailMonitor &m_mailMonitor;
    const QString m_html;
    QLineEdit *m_name;
    QPushButton *m_ok;
};
