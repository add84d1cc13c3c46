#pragma once

#include <QAbstractButton>

// The padlock of a locked row, a button of its own so that it can be reached
// with Tab, pressed with Space or Return, and named for assistive software
// ("Unlock" and the signature's name).
class SignatureUnlockButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr qreal opacity = 0.5;

    explicit SignatureUnlockButton(const QString &signatureName, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
