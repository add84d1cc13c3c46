#pragma once

#include "store/SignatureModel.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class QWidget;
class SignaturesEngine;

// What a click on a locked row's padlock (SignatureUnlockButton) runs: it
// asks "File is Locked?" and only a confirmation unlocks. The alert is window-modal and opened without
// blocking; while it is up (showAlert) further clicks do nothing.
class UnlockAlert : public QObject
{
    Q_OBJECT
public:
    UnlockAlert(SignaturesEngine &engine, QWidget *alertParent);

    static QString alertTitle();
    static QString alertMessage();
    static QString confirmTitle();

    // The padlock is there to click only when the row's file is locked.
    static bool isClickable(const SignatureModel &signature);

    // The padlock's action: shows the alert for signature, if it is clickable.
    void activate(const SignatureModel &signature);

    bool showAlert() const { return m_alert && m_alert->isVisible(); }
    QMessageBox *alert() const { return m_alert; }

private:
    SignaturesEngine &m_engine;
    QWidget *m_alertParent;
    QPointer<QMessageBox> m_alert;
};
