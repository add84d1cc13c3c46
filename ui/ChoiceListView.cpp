#include "ui/ChoiceListView.h"

#include <QMouseEvent>

#include <algorithm>

ChoiceListView::ChoiceListView(QWidget *parent) : QListView(parent) {}

void ChoiceListView::setChosenRow(const QModelIndex &index)
{
    m_chosen = index;
    if (index.isValid())
        setCurrentIndex(index);
}

void ChoiceListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                 const QList<int> &roles)
{
    const bool drawnOnly = !roles.isEmpty() && std::all_of(roles.begin(), roles.end(), [this](int role) {
        return m_drawnOnlyRoles.contains(role);
    });
    // The item view's own handling repaints what changed; the list view's
    // would first lay out every row again, and then paint them all.
    if (drawnOnly)
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    else
        QListView::dataChanged(topLeft, bottomRight, roles);
}

QModelIndex ChoiceListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    if (!m_chosen.isValid() && rows > 0) {
        if (cursorAction == MoveDown || cursorAction == MoveNext || cursorAction == MoveHome)
            return model()->index(0, modelColumn(), rootIndex());
        if (cursorAction == MoveUp || cursorAction == MovePrevious || cursorAction == MoveEnd)
            return model()->index(rows - 1, modelColumn(), rootIndex());
    }
    return QListView::moveCursor(cursorAction, modifiers);
}

void ChoiceListView::keyPressEvent(QKeyEvent *event)
{
    const QPersistentModelIndex before = currentIndex();
    const bool wasChosen = m_chosen.isValid();
    const bool moves = QList<int>{Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End}.contains(event->key());
    QListView::keyPressEvent(event);
    // A move onto the row the focus frame was on chooses it too.
    if (currentIndex().isValid() && (currentIndex() != before || (moves && !wasChosen))) {
        event->accept();
        emit currentMovedByKey(currentIndex());
    }
}

bool ChoiceListView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // The item view hands the focus to a row's widget (a padlock) whenever that
    // row becomes current; an arrow key would then leave the list. The padlock
    // is reached with Tab instead.
    if (trigger == CurrentChanged)
        return false;
    return QListView::edit(index, trigger, event);
}

void ChoiceListView::mousePressEvent(QMouseEvent *event)
{
    // The item view would hand a click on a row with a padlock to the
    // padlock; here a row is a row, wherever it is clicked.
    m_pressed = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : QModelIndex();
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void ChoiceListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void ChoiceListView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void ChoiceListView::mouseReleaseEvent(QMouseEvent *event)
{
    const QModelIndex released = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && released.isValid() && released == m_pressed)
        emit rowClicked(released);
    m_pressed = QModelIndex();
    event->accept();
}

void ChoiceListView::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void ChoiceListView::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void ChoiceListView::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    emit droppedOn(indexAt(event->position().toPoint()), event->mimeData());
}
