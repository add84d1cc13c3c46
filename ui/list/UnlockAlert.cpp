#include "ui/list/UnlockAlert.h"

#include "store/SignaturesEngine.h"

#include <QMessageBox>
#include <QPushButton>

UnlockAlert::UnlockAlert(SignaturesEngine &engine, QWidget *alertParent)
    : QObject(alertParent), m_engine(engine), m_alertParent(alertParent)
{
}

QString UnlockAlert::alertTitle()
{
    return QStringLiteral("File is Locked?");
}

QString UnlockAlert::alertMessage()
{
    return QStringLiteral(
        "The file is locked to prevent Mail from modifying it. By unlocking it, Mail will revert "
        "it back to its original state.");
}

QString UnlockAlert::confirmTitle()
{
    return QStringLiteral("Confirm");
}

bool UnlockAlert::isClickable(const SignatureModel &signature)
{
    return signature.isFileLocked;
}

void UnlockAlert::activate(const SignatureModel &signature)
{
    if (!isClickable(signature) || showAlert())
        return;

    auto *alert = new QMessageBox(m_alertParent);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setIcon(QMessageBox::Warning);
    alert->setWindowTitle(alertTitle());
    alert->setText(alertTitle());
    alert->setInformativeText(alertMessage());
    QPushButton *confirm = alert->addButton(confirmTitle(), QMessageBox::DestructiveRole);
    alert->addButton(QMessageBox::Cancel);
    alert->setDefaultButton(QMessageBox::Cancel);
    alert->setEscapeButton(QMessageBox::Cancel);

    // The id is all the confirmation needs; the record may be replaced by a
    // reload while the alert is up.
    const QString id = signature.id;
    QPointer<QPushButton> confirmButton(confirm);
    SignaturesEngine *engine = &m_engine;
    connect(alert, &QMessageBox::buttonClicked, this, [engine, id, confirmButton](QAbstractButton *clicked) {
        if (confirmButton && clicked == confirmButton)
            engine->unlockSignature(id);
    });
    m_alert = alert;
    alert->open();
}
