#pragma once

#include <QString>

#include <optional>

class QMimeData;

// What a drop on the preview or on a row hands over: one HTML file, or the
// reason nothing is taken.
namespace DroppedFile {
struct Verdict
{
    std::optional<QString> file;
    // Why nothing is taken, in one sentence.
    QString refusal;
};

Verdict of(const QMimeData &mime);
} // namespace DroppedFile
