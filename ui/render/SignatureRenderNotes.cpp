#include "ui/render/SignatureRenderNotes.h"

#include "notes/SignatureNotesUIModel.h"
#include "ui/render/SignatureNotesPopover.h"

#include <QStyle>

SignatureRenderNotes::SignatureRenderNotes(SignaturesEngine &engine, QWidget *parent)
    : QToolButton(parent), m_model(std::make_unique<SignatureNotesUIModel>(engine))
{
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    setFocusPolicy(Qt::StrongFocus);
    // Hidden, the line keeps its place: the preview below starts at the same
    // height for every signature, with or without notes.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    setAccessibleDescription(
        QStringLiteral("Shows what Mail and recipients will do otherwise than expected"));
    connect(m_model.get(), &SignatureNotesUIModel::changed, this, &SignatureRenderNotes::refresh);
    connect(this, &QToolButton::clicked, this, &SignatureRenderNotes::openList);
    refresh();
}

SignatureRenderNotes::~SignatureRenderNotes() = default;

void SignatureRenderNotes::refresh()
{
    const QList<SignatureNote> &notes = m_model->notes().get();
    setText(SignatureNote::countText(notes.size()));
    setAccessibleName(text());
    setToolTip(text());
    setVisible(!notes.isEmpty());
    if (m_popover) {
        if (notes.isEmpty())
            m_popover->close();
        else
            m_popover->setNotes(notes);
    }
}

void SignatureRenderNotes::openList()
{
    if (!m_popover) {
        m_popover = new SignatureNotesPopover(this);
        connect(m_popover, &SignatureNotesPopover::embedImagesAsked, this,
                &SignatureRenderNotes::embedImagesAsked);
    }
    m_popover->setNotes(m_model->notes().get());
    m_popover->place(mapToGlobal(rect().bottomLeft()));
    m_popover->activate();
}
