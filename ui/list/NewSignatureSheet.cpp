#include "ui/list/NewSignatureSheet.h"

#include "ui/list/NewSignatureActions.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NewSignatureSheet::NewSignatureSheet(SignaturesEngine &engine, MailMonitor &mailMonitor, const QString &html,
                                     QWidget *window)
    : QDialog(window, Qt::Sheet), m_engine(engine), m_mailMonitor(mailMonitor), m_html(html),
      m_name(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("New Signature"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    auto *prompt =
        new QLabel(QStringLiteral("Name of the new signature, made from the HTML you copied:"), this);
    prompt->setWordWrap(true);
    prompt->setBuddy(m_name);
    m_name->setAccessibleName(QStringLiteral("Name"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_name);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    connect(m_name, &QLineEdit::textChanged, this, &NewSignatureSheet::refresh);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewSignatureSheet::create);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    refresh();
}

void NewSignatureSheet::refresh()
{
    m_ok->setEnabled(NewSignatureActions::acceptsName(m_name->text()));
}

void NewSignatureSheet::create()
{
    // A refusal is told in the top bar, which the sheet would cover.
    NewSignatureActions::create(m_engine, m_mailMonitor, m_name->text(), m_html);
    accept();
}
