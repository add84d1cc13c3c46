#include "notes/SignatureNotesUIModel.h"

#include "notes/SignatureCheck.h"
#include "store/SignatureListUIModel.h"
#include "store/SignatureRenderUIModel.h"
#include "store/SignatureSelectionUIModel.h"
#include "store/SignaturesEngine.h"

SignatureNotesUIModel::SignatureNotesUIModel(SignaturesEngine &engine, QObject *parent)
    : QObject(parent), m_engine(engine), m_notes({}, [this] { emit changed(); })
{
    connect(engine.renderedUiModel(), &SignatureRenderUIModel::changed, this, [this] {
        // A file read again holds what the preview now shows.
        m_inserted.reset();
        // A click publishes the file it read before the selection itself is
        // stored, and the selection's announcement follows at once: the notes
        // are checked then, once. A file read again for the same selection (an
        // insert, a restore) is checked as soon as the event loop runs.
        m_stale = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_stale)
                    refresh();
            },
            Qt::QueuedConnection);
    });
    connect(engine.selectionUiModel(), &SignatureSelectionUIModel::changed, this,
            &SignatureNotesUIModel::refresh);
    connect(engine.uiModel(), &SignatureListUIModel::changed, this, &SignatureNotesUIModel::refresh);
    connect(&engine, &SignaturesEngine::inserted, this, [this](const QString &id, const QString &html) {
        m_inserted = {id, html};
        refresh();
    });
    refresh();
}

void SignatureNotesUIModel::refresh()
{
    m_stale = false;
    const std::optional<SignatureModel> &selected = m_engine.selectionUiModel()->signature().get();
    const std::optional<AppleSignatureContent> &content = m_engine.renderedUiModel()->signature().get();
    QList<SignatureNote> notes;
    if (selected && content) {
        const QString html = m_inserted && m_inserted->first == selected->id
                                 ? m_inserted->second
                                 : m_engine.renderedUiModel()->html();
        // The selection keeps the record as it was clicked; the list has the flag as Mail last wrote it.
        std::optional<bool> isRich = selected->isRich;
        for (const SignatureModel &signature : m_engine.uiModel()->signatures().get()) {
            if (signature.id == selected->id) {
                isRich = signature.isRich;
                break;
            }
        }
        // The parts are the file's as now read: an insert reads back what it wrote.
        notes = SignatureCheck::check(html, isRich, m_engine.renderedUiModel()->images());
    }
    if (notes != m_notes.get())
        m_notes.set(notes);
}
