#include "ui/SignatureRowsView.h"

#include <QMouseEvent>

SignatureRowsView::SignatureRowsView(QWidget *parent) : QListView(parent) {}

void SignatureRowsView::keyPressEvent(QKeyEvent *event)
{
    const QPersistentModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex() != before)
        emit currentMovedByKey(currentIndex());
}

void SignatureRowsView::mousePressEvent(QMouseEvent *event)
{
    // The item view would hand a click on a row with a padlock to the
    // padlock; here a row is a row, wherever it is clicked.
    m_pressed = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : QModelIndex();
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void SignatureRowsView::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void SignatureRowsView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void SignatureRowsView::mouseReleaseEvent(QMouseEvent *event)
{
    const QModelIndex released = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && released.isValid() && released == m_pressed)
        emit rowClicked(released);
    m_pressed = QModelIndex();
    event->accept();
}
