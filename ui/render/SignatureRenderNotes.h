#pragma once

#include <QToolButton>

#include <memory>

class SignatureNotesPopover;
class SignatureNotesUIModel;
class SignaturesEngine;

// The compact line under the top bar: "2 notes on this signature" while the
// selected signature has notes, an empty line of the same height otherwise.
// A click, Space or Return opens the list of them. It owns the notes model, which follows the
// selection, inserts and restores; the line never blocks anything.
class SignatureRenderNotes : public QToolButton
{
    Q_OBJECT
public:
    explicit SignatureRenderNotes(SignaturesEngine &engine, QWidget *parent = nullptr);
    ~SignatureRenderNotes() override;

    SignatureNotesUIModel &notesModel() const { return *m_model; }
    // The list, once opened.
    SignatureNotesPopover *popover() const { return m_popover; }

signals:
    // "Embed Images" under the notes was pressed.
    void embedImagesAsked();

private:
    void refresh();
    void openList();

    std::unique_ptr<SignatureNotesUIModel> m_model;
    SignatureNotesPopover *m_popover = nullptr;
};
