#pragma once

#include <QMargins>
#include <QStyledItemDelegate>

// Draws one signature row: the name at the leading edge, the 18 × 18 lock slot
// at the trailing edge (the padlock only when the file is locked) and, for the
// selected row, a faint rounded background. The item view's own selection and
// focus drawing is never used. Clicks are reported, not acted on.
class SignatureRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int lockSlotSize = 18;
    static constexpr qreal highlightRadius = 6.0;
    static constexpr qreal highlightOpacity = 0.1;
    static constexpr qreal lockOpacity = 0.5;

    explicit SignatureRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Geometry of a row's parts inside its rectangle.
    static QMargins contentInsets();
    static QRect lockSlotRect(const QRect &row, Qt::LayoutDirection direction);
    static QRect nameRect(const QRect &row, Qt::LayoutDirection direction, int spacing);

signals:
    // A click anywhere in the row except on a visible padlock.
    void rowClicked(const QModelIndex &index);
    // A click on the padlock of a locked row.
    void lockClicked(const QModelIndex &index);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    static int spacing(const QStyleOptionViewItem &option);
};
