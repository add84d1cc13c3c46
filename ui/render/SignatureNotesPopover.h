#pragma once

#include "notes/SignatureNote.h"

#include <QFrame>

class QListWidget;
class QPushButton;

// The list of a signature's notes, one sentence a row, in a small popover
// under the note line. The list takes the keyboard focus and is named for
// assistive software; Escape or a click elsewhere closes it. Under a note on
// an image embedded in the HTML or out of recipients' reach, "Embed Images"
// asks for the signature to be written with its images as parts.
class SignatureNotesPopover : public QFrame
{
    Q_OBJECT
public:
    explicit SignatureNotesPopover(QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QPushButton *embedButton() const { return m_embed; }

    // Fills the list; it stays open or closed as it was.
    void setNotes(const QList<SignatureNote> &notes);
    void place(const QPoint &topLeft);
    void activate();

signals:
    void embedImagesAsked();

private:
    QListWidget *m_list;
    QPushButton *m_embed;
};
