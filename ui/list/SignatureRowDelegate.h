#pragma once

#include <QMargins>
#include <QStyledItemDelegate>

// Draws one signature row: the name at the leading edge, the 18 × 18 lock slot
// at the trailing edge (where a locked row's padlock button sits), the row's
// marks (iCloud Drive nearest the lock, then replaced) just before it, for the
// selected row a faint rounded background, and for the row the keyboard is
// on a focus ring. The item view's own selection drawing is never used.
class SignatureRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int lockSlotSize = 18;
    static constexpr int markSlotSize = 16;
    static constexpr int markGap = 2;
    static constexpr qreal highlightRadius = 6.0;
    static constexpr qreal highlightOpacity = 0.1;

    explicit SignatureRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // Geometry of a row's parts inside its rectangle.
    static QMargins contentInsets();
    static QRect lockSlotRect(const QRect &row, Qt::LayoutDirection direction);
    // position 0 is the mark nearest the lock slot.
    static QRect markSlotRect(const QRect &row, Qt::LayoutDirection direction, int position);
    static QRect nameRect(const QRect &row, Qt::LayoutDirection direction, int spacing, int marks = 0);

private:
    static int markCount(const QModelIndex &index);
    static int spacing(const QStyleOptionViewItem &option);
};
