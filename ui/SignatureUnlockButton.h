#pragma once

#include "store/SignatureModel.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class QWidget;
class SignaturesEngine;

// The padlock of a locked row: a click asks "File is Locked?" and only a
// confirmation unlocks. The alert is window-modal and opened without blocking;
// while it is up (showAlert) further clicks do nothing.
class SignatureUnlockButton : public QObject
{
    Q_OBJECT
public:
    SignatureUnlockButton(SignaturesEngine &engine, QWidget *alertParent);

    static QString alertTitle();
    static QString alertMessage();
    static QString confirmTitle();

    // The padlock is there to click only when the row's file is locked.
    static bool isClickable(const SignatureModel &signature);

    // The button's action: shows the alert for signature, if it is clickable.
    void activate(const SignatureModel &signature);

    bool showAlert() const { return m_alert && m_alert->isVisible(); }
    QMessageBox *alert() const { return m_alert; }

private:
    SignaturesEngine &m_engine;
    QWidget *m_alertParent;
    QPointer<QMessageBox> m_alert;
};
