#include "ui/SignatureRowDelegate.h"

#include "ui/SignatureListModel.h"

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

QRect SignatureRowDelegate::nameRect(const QRect &row, Qt::LayoutDirection direction, int spacing)
{
    QRect name = row.marginsRemoved(contentInsets());
    if (direction == Qt::RightToLeft)
        name.setLeft(name.left() + lockSlotSize + spacing);
    else
        name.setRight(name.right() - lockSlotSize - spacing);
    return name;
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

    if (index.data(SignatureListModel::SelectedRole).toBool()) {
        QColor fill = foreground;
        fill.setAlphaF(highlightOpacity);
        QPainterPath background;
        background.addRoundedRect(QRectF(option.rect), highlightRadius, highlightRadius);
        painter->fillPath(background, fill);
    }

    const QRect name = nameRect(option.rect, option.direction, spacing(option));
    painter->setFont(option.font);
    painter->setPen(foreground);
    const QString text = index.data(SignatureListModel::NameRole).toString();
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
    const QString text = index.data(SignatureListModel::NameRole).toString();
    const int height = std::max(option.fontMetrics.height(), lockSlotSize) + insets.top() + insets.bottom();
    const int width = option.fontMetrics.horizontalAdvance(text) + spacing(option) + lockSlotSize +
                      insets.left() + insets.right();
    return {width, height};
}

void SignatureRowDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                                const QModelIndex &) const
{
    // The only widgets in rows are padlocks, and they sit in the lock slot.
    editor->setGeometry(lockSlotRect(option.rect, option.direction));
}
