#pragma once

#include <QMimeData>

#include <QListView>
#include <QPersistentModelIndex>

// A list whose rows the user chooses (the signatures, the kept versions). A
// click anywhere in a row (pressed and released on it) is reported; arrows,
// Home, End and typing a name's first letters move the current row, and each
// such move is reported too, so the row becomes the chosen one. Moves the
// program makes (after a reload, say) are not reported, and the view starts
// no selection, drag or editing of its own.
class ChoiceListView : public QListView
{
    Q_OBJECT
public:
    explicit ChoiceListView(QWidget *parent = nullptr);

    // The row the keys move on from. Until one is chosen, the row the focus
    // frame starts on is no choice: the first Down (or Up) chooses the first
    // (or last) row.
    void setChosenRow(const QModelIndex &index);
    QModelIndex chosenRow() const { return m_chosen; }
    // Roles that change only how a row is drawn (a highlight), never its
    // size: a change of these alone repaints the rows it names and lays out
    // nothing, where the list view would lay out and repaint every row.
    void setDrawnOnlyRoles(const QList<int> &roles) { m_drawnOnlyRoles = roles; }

signals:
    void rowClicked(const QModelIndex &index);
    // Something was dropped on the row at index (an invalid index: below the rows).
    void droppedOn(const QModelIndex &index, const QMimeData *mime);
    void currentMovedByKey(const QModelIndex &index);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Every drag is taken, so that a refusal can say why.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QPersistentModelIndex m_pressed;
    QPersistentModelIndex m_chosen;
    QList<int> m_drawnOnlyRoles;
};
