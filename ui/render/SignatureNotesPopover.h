#pragma once

#include "notes/SignatureNote.h"

#include <QFrame>

class QListWidget;

// The list of a signature's notes, one sentence a row, in a small popover
// under the note line. The list takes the keyboard focus and is named for
// assistive software; Escape or a click elsewhere closes it.
class SignatureNotesPopover : public QFrame
{
    Q_OBJECT
public:
    explicit SignatureNotesPopover(QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }

    // Fills the list; it stays open or closed as it was.
    void setNotes(const QList<SignatureNote> &notes);
    void place(const QPoint &topLeft);
    void activate();

private:
    QListWidget *m_list;
};
