#include "ui/render/SignatureNotesPopover.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int popoverWidth = 420;
}

SignatureNotesPopover::SignatureNotesPopover(QWidget *parent)
    : QFrame(parent, Qt::Popup), m_list(new QListWidget(this)),
      m_embed(new QPushButton(QStringLiteral("Embed Images"), this))
{
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(QStringLiteral("Notes on this signature"));
    auto *title = new QLabel(accessibleName(), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setBuddy(m_list);
    m_list->setAccessibleName(accessibleName());
    m_list->setWordWrap(true);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setSpacing(2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_list);
    layout->addWidget(m_embed, 0, Qt::AlignTrailing);
    m_embed->setAccessibleDescription(
        QStringLiteral("Writes the signature again with its images as parts of it, as Mail keeps them"));
    m_embed->hide();
    connect(m_embed, &QPushButton::clicked, this, [this] {
        close();
        emit embedImagesAsked();
    });
    setFixedWidth(popoverWidth);
}

void SignatureNotesPopover::setNotes(const QList<SignatureNote> &notes)
{
    m_list->clear();
    // Each row as tall as its sentence wrapped at the popover's width.
    const int textWidth = popoverWidth - 4 * m_list->spacing() - 32;
    int height = 2 * m_list->frameWidth();
    for (const SignatureNote &note : notes) {
        auto *item = new QListWidgetItem(note.sentence, m_list);
        item->setToolTip(note.sentence);
        const QRect text =
            m_list->fontMetrics().boundingRect(QRect(0, 0, textWidth, 1000), Qt::TextWordWrap, note.sentence);
        item->setSizeHint(QSize(textWidth, text.height() + 8));
        height += item->sizeHint().height() + 2 * m_list->spacing();
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_embed->setVisible(std::any_of(notes.cbegin(), notes.cend(), [](const SignatureNote &note) {
        return note.kind == SignatureNote::Kind::EmbeddedImage ||
               note.kind == SignatureNote::Kind::UnreachableAddress;
    }));
    m_list->setFixedHeight(height);
    adjustSize();
}

void SignatureNotesPopover::place(const QPoint &topLeft)
{
    move(topLeft);
}

void SignatureNotesPopover::activate()
{
    QFrame::show();
    m_list->setFocus(Qt::PopupFocusReason);
}
