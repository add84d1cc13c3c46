#pragma once

#include "base/Cancellable.h"
#include "base/Published.h"
#include "notes/SignatureNote.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class SignaturesEngine;

// The notes on the selected signature: on the content read when it was
// selected or restored, or on what a successful insert wrote, with the rich
// flag of its entry in the list as last loaded. None while nothing is
// selected. Checked on each change of the selection or the list (a click:
// once, after the preview was handed the signature), and on content read
// again for the same selection once the event loop runs. Set, and announced
// by changed(), only when the notes change.
class SignatureNotesUIModel : public QObject
{
    Q_OBJECT
public:
    explicit SignatureNotesUIModel(SignaturesEngine &engine, QObject *parent = nullptr);

    const Published<QList<SignatureNote>> &notes() const { return m_notes; }

signals:
    void changed();

private:
    void refresh();

    SignaturesEngine &m_engine;
    // (id, HTML) of the last successful insert, until a file is read again.
    std::optional<std::pair<QString, QString>> m_inserted;
    Published<QList<SignatureNote>> m_notes;
    // Content was published since the notes were last checked.
    bool m_stale = false;
};
