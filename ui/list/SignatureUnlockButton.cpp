#include "ui/list/SignatureUnlockButton.h"

#include "ui/list/LockIcon.h"
#include "ui/list/SignatureRowDelegate.h"

#include <QKeyEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextDocument>

SignatureUnlockButton::SignatureUnlockButton(const QString &signatureName, QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Unlock %1").arg(signatureName));
    // A tool tip that looks like HTML is shown as HTML: a name is shown as typed.
    setToolTip(Qt::convertFromPlainText(accessibleName()));
}

QSize SignatureUnlockButton::sizeHint() const
{
    return {SignatureRowDelegate::lockSlotSize, SignatureRowDelegate::lockSlotSize};
}

void SignatureUnlockButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QColor color = palette().color(QPalette::Active, QPalette::WindowText);
    color.setAlphaF(color.alphaF() * opacity);
    LockIcon::paint(painter, QRectF(rect()), color);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void SignatureUnlockButton::keyPressEvent(QKeyEvent *event)
{
    // A button on a Mac answers Return as well as Space.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
