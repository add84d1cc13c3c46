#include "ui/list/SignatureRowDelegate.h"

#include "ui/list/RowMarkIcon.h"
#include "ui/list/SignatureItemModel.h"
#include "ui/list/SignatureUnlockButton.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QWidget>

SignatureRowDelegate::SignatureRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QMargins SignatureRowDelegate::contentInsets()
{
    return {2, 6, 2, 6};
}

QRect SignatureRowDelegate::lockSlotRect(const QRect &row, Qt::LayoutDirection direction)
{
    const QRect content = row.marginsRemoved(contentInsets());
    const int top = content.top() + (content.height() - lockSlotSize) / 2;
    const int left = direction == Qt::RightToLeft ? content.left() : content.right() - lockSlotSize + 1;
    return {left, top, lockSlotSize, lockSlotSize};
}

QRect SignatureRowDelegate::markSlotRect(const QRect &row, Qt::LayoutDirection direction, int position)
{
    const QRect lock = lockSlotRect(row, direction);
    const int top = lock.top() + (lockSlotSize - markSlotSize) / 2;
    const int left = direction == Qt::RightToLeft
                         ? lock.right() + 1 + markGap + position * (markSlotSize + markGap)
                         : lock.left() - (position + 1) * (markSlotSize + markGap);
    return {left, top, markSlotSize, markSlotSize};
}

QRect SignatureRowDelegate::nameRect(const QRect &row, Qt::LayoutDirection direction, int spacing, int marks)
{
    QRect name = row.marginsRemoved(contentInsets());
    const int trailing = lockSlotSize + marks * (markSlotSize + markGap) + spacing;
    if (direction == Qt::RightToLeft)
        name.setLeft(name.left() + trailing);
    else
        name.setRight(name.right() - trailing);
    return name;
}

int SignatureRowDelegate::markCount(const QModelIndex &index)
{
    return int(index.data(SignatureItemModel::InICloudRole).toBool()) +
           int(index.data(SignatureItemModel::ReplacedRole).toBool());
}

int SignatureRowDelegate::spacing(const QStyleOptionViewItem &option)
{
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    const int metric = style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, option.widget);
    return metric >= 0 ? metric
                       : style->layoutSpacing(QSizePolicy::Label, QSizePolicy::PushButton, Qt::Horizontal,
                                              nullptr, option.widget);
}

void SignatureRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    const QColor foreground = option.palette.color(QPalette::Active, QPalette::WindowText);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);

    if (index.data(SignatureItemModel::SelectedRole).toBool()) {
        QColor fill = foreground;
        fill.setAlphaF(highlightOpacity);
        QPainterPath background;
        background.addRoundedRect(QRectF(option.rect), highlightRadius, highlightRadius);
        painter->fillPath(background, fill);
    }

    int marks = 0;
    if (index.data(SignatureItemModel::InICloudRole).toBool()) {
        // Where it lives is quiet, like the padlock; a replaced file is not.
        QColor quiet = foreground;
        quiet.setAlphaF(quiet.alphaF() * SignatureUnlockButton::opacity);
        RowMarkIcon::paintCloud(*painter, markSlotRect(option.rect, option.direction, marks++), quiet);
    }
    if (index.data(SignatureItemModel::ReplacedRole).toBool())
        RowMarkIcon::paintReplaced(*painter, markSlotRect(option.rect, option.direction, marks++),
                                   foreground);

    const QRect name = nameRect(option.rect, option.direction, spacing(option), marks);
    painter->setFont(option.font);
    painter->setPen(foreground);
    const QString text = index.data(SignatureItemModel::NameRole).toString();
    painter->drawText(name, Qt::AlignVCenter | Qt::AlignLeading | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, name.width()));

    // The row the keyboard is on, while the list has the focus.
    if (option.state & QStyle::State_HasFocus) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(option.rect).adjusted(1, 1, -1, -1), highlightRadius, highlightRadius);
        painter->strokePath(ring, QPen(option.palette.color(QPalette::Active, QPalette::Highlight), 2));
    }
    painter->restore();
}

QSize SignatureRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QMargins insets = contentInsets();
    const QString text = index.data(SignatureItemModel::NameRole).toString();
    const int height = std::max(option.fontMetrics.height(), lockSlotSize) + insets.top() + insets.bottom();
    const int width = option.fontMetrics.horizontalAdvance(text) + spacing(option) + lockSlotSize +
                      markCount(index) * (markSlotSize + markGap) + insets.left() + insets.right();
    return {width, height};
}

void SignatureRowDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                                const QModelIndex &) const
{
    // The only widgets in rows are padlocks, and they sit in the lock slot.
    editor->setGeometry(lockSlotRect(option.rect, option.direction));
}
