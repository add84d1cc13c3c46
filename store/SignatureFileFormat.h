#pragma once

#include "store/AppleSignatureContent.h"

#include <QByteArray>
#include <QString>

#include <optional>

// A .mailsignature file: a header kept verbatim, a blank line ("\n\n"), then
// the HTML body.
class SignatureFileFormat
{
public:
    // Splits at the one "\n\n<" (the "<" stays with the body), otherwise at the
    // one "\n\n". None when neither occurs exactly once.
    static std::optional<AppleSignatureContent> split(const QString &text);

    // header, "\n\n", html; nothing trimmed or added.
    static QString compose(const QString &header, const QString &html);

    // Strict UTF-8: none when any byte sequence is invalid. A leading byte-order
    // mark is kept so the header stays byte for byte.
    static std::optional<QString> decodeUtf8(const QByteArray &bytes);
};
