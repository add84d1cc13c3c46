#pragma once

#include <QListView>
#include <QPersistentModelIndex>

// The list of signatures as the user drives it. A click anywhere in a row
// (pressed and released on it) is reported; arrows, Home, End and typing a
// name's first letters move the current row, and each such move is reported
// too, so the row becomes the selection. Moves the program makes (after a
// reload, say) are not reported, and the view starts no selection, drag or
// editing of its own.
class SignatureRowsView : public QListView
{
    Q_OBJECT
public:
    explicit SignatureRowsView(QWidget *parent = nullptr);

signals:
    void rowClicked(const QModelIndex &index);
    void currentMovedByKey(const QModelIndex &index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPersistentModelIndex m_pressed;
};
