#pragma once

#include "store/AppleSignatureContent.h"

#include <QByteArray>
#include <QString>

#include <optional>

// A .mailsignature file: a MIME header (Content-Type, Content-Transfer-Encoding,
// Message-Id, ...), an empty line, then the HTML body, encoded as the header
// says. What this program writes, any MIME reader decodes to exactly the
// inserted text.
class SignatureFileFormat
{
public:
    // Splits as a MIME reader does: the header ends at the first empty line
    // (LF LF, or CR LF CR LF), everything after it is the body. None when the
    // text has no empty line.
    static std::optional<AppleSignatureContent> split(const QString &text);
    // A file's bytes split as above; none when they are not strict UTF-8 or
    // have no empty line.
    static std::optional<AppleSignatureContent> parse(const QByteArray &bytes);

    // The file that puts html into a signature with this header: the body
    // encoded as the header declares, and only the header fields that must
    // change rewritten (the transfer encoding when the text cannot go as
    // declared, the charset when non-ASCII text is not declared as UTF-8, a
    // multipart or missing type made text/html). None when the header holds a
    // line that belongs to no field.
    static std::optional<QByteArray> compose(const QString &header, const QString &html);

    // The body of content decoded as its header declares, as UTF-8 text;
    // none when it is not UTF-8.
    static std::optional<QString> decodedBody(const AppleSignatureContent &content);

    // The body of content as text for the preview, which reads it as
    // quoted-printable: a body declared otherwise is decoded and encoded again.
    static QString previewBody(const AppleSignatureContent &content);
    // Any text as quoted-printable, so the preview shows exactly that text.
    static QString previewText(const QString &html);

    // Strict UTF-8: none when any byte sequence is invalid. A leading byte-order
    // mark is kept so the header stays byte for byte.
    static std::optional<QString> decodeUtf8(const QByteArray &bytes);
    // Where the first byte that decodeUtf8 refuses sits; none when it takes them all.
    static std::optional<qsizetype> invalidUtf8Offset(const QByteArray &bytes);
};
