#pragma once

#include "store/SignatureService.h"

#include <QList>
#include <QString>

#include <optional>

// The name a new signature may take. It is printed on a line of its own
// between tabs (mailsig list), passed back by scripts (mailsig insert NAME,
// which matches in any case) and shown in Mail's settings: so no control
// character, no blank at either end (refused rather than trimmed, so that the
// name a script gives is the name it later finds), and none that another
// signature already answers to.
namespace SignatureName {
// None when a new signature among entries may be named name; otherwise why not.
std::optional<SignatureService::Failure> refusal(const QString &name,
                                                 const QList<SignatureService::Entry> &entries);
} // namespace SignatureName
