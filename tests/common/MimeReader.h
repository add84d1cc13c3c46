#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Python's standard e-mail package, an independent MIME reader: each file's
// text/html body decoded by its transfer encoding and charset, or none when
// the file is not a single text/html part read without defects.
namespace MimeReader {
QList<std::optional<QString>> decode(const QStringList &files);
}
