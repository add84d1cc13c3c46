#pragma once

#include "store/SignatureLimits.h"

#include <QString>

#include <optional>

class QFile;

// HTML handed to the program in a file (or on standard input): read whole,
// up to the size a signature may have, and only as UTF-8.
namespace HtmlInput {
struct Read
{
    std::optional<QString> html;
    // Why there is none, in one sentence.
    QString failure;
};

// The HTML of an opened file; name is what the sentences call it. Text that
// is empty or only white space is refused unless allowEmpty, and so is more
// than limit bytes, never cut (only a test passes a smaller limit: it reaches
// it without a file of the real size, which nothing a user gives can change).
Read fromDevice(QFile &file, const QString &name, bool allowEmpty = false,
                qint64 limit = SignatureLimits::maximumFileSize);
// The same for the file at path, named name.
Read fromFile(const QString &path, const QString &name, bool allowEmpty = false,
              qint64 limit = SignatureLimits::maximumFileSize);
} // namespace HtmlInput
