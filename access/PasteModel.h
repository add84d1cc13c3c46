#pragma once

#include <QObject>
#include <QString>

#include <optional>

// Reads the HTML the user copied elsewhere. Holds no state; it exists for
// the insert button to own.
class PasteModel : public QObject
{
    Q_OBJECT
public:
    explicit PasteModel(QObject *parent = nullptr);

    // The clipboard's HTML, else its plain text, exactly as offered; none when
    // neither is offered or the HTML is not valid UTF-8 (plain text is then not
    // consulted).
    std::optional<QString> readClipboardHTML() const;
};
