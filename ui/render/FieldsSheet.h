#pragma once

#include "ui/SignatureActions.h"

#include <QDialog>
#include <QMap>
#include <QString>

class MailMonitor;
class QLineEdit;
class QPushButton;
class SignaturesEngine;

// Asks for the value of each field of the template the user copied (a sheet
// on the Mac), each filled in with the value it was last given. The preview
// beside it shows the filled HTML as it is typed; Insert writes that,
// Cancel puts the preview back to the signature. Opened without blocking; it
// goes when closed.
class FieldsSheet : public QDialog
{
    Q_OBJECT
public:
    FieldsSheet(SignaturesEngine &engine, MailMonitor &mailMonitor,
                const SignatureActions::Template &templateBody, QWidget *window);

    // At the foot of pane, centred on it: a signature starts at the top of
    // the preview, which stays in sight while the values are typed.
    void placeAtFootOf(const QWidget *pane);

    QLineEdit *field(const QString &name) const { return m_fields.value(name); }
    QPushButton *insertButton() const { return m_insert; }

private:
    QMap<QString, QString> values() const;
    void showFilled();
    void insert();
    // The preview shows the signature again.
    void showSignature();

    SignaturesEngine &m_engine;
    MailMonitor &m_mailMonitor;
    // The template, with the images of its own that it names.
    const SignatureActions::Template m_template;
    QMap<QString, QLineEdit *> m_fields;
    QPushButton *m_insert;
};
