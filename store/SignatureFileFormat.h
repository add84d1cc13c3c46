#pragma once

#include "store/AppleSignatureContent.h"
#include "store/SignatureImage.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// A .mailsignature file: a MIME header (Content-Type, Content-Transfer-Encoding,
// Message-Id, ...), an empty line, then the HTML body, encoded as the header
// says; or, for a signature with images, a multipart/related body of an HTML
// part and image parts that the HTML names by "cid:". What this program
// writes, any MIME reader decodes to exactly the inserted text.
namespace SignatureFileFormat {
// Splits as a MIME reader does: the header ends at the first empty line
// (LF LF, or CR LF CR LF), everything after it is the body. None when the
// text has no empty line.
std::optional<AppleSignatureContent> split(const QString &text);
// A file's bytes split as above; none when they are not strict UTF-8 or
// have no empty line.
std::optional<AppleSignatureContent> parse(const QByteArray &bytes);

// The file that puts html into a signature with this header: the body
// encoded as the header declares, and only the header fields that must
// change rewritten (the transfer encoding when the text cannot go as
// declared, the charset when non-ASCII text is not declared as UTF-8, a
// multipart or missing type made text/html). None when the header holds a
// line that belongs to no field.
std::optional<QByteArray> compose(const QString &header, const QString &html);

// What a signature holds: its HTML, decoded once as its header declares
// (its transfer encoding, then its charset, UTF-8 when it names none), and
// its other parts, images among them. The HTML of a multipart body is its
// root text/html part, decoded by that part's own header. None when the
// bytes are not valid in the charset, or a multipart body has no HTML part.
struct Body
{
    QString html;
    QList<SignatureImage> parts;
};
// The file that puts html into the signature file holds: a multipart/related
// one keeps its outer header, its boundary and, byte for byte, every part
// html names by cid:; the others are left out, and added to leftOut. An image of available that html names
// and the file lacks becomes a new part; a file of one part that gains
// images becomes multipart/related. With no image left, the file is one
// text/html part, as compose() above makes it. held, when given, is set to
// what the file holds now, as body() reads it without the parts' bytes.
std::optional<QByteArray> compose(const AppleSignatureContent &file, const QString &html,
                                  const QList<SignatureImage> &available = {},
                                  QList<SignatureImage> *leftOut = nullptr,
                                  std::optional<Body> *held = nullptr);

// What content holds; without withData the parts' bytes are left empty, not decoded.
std::optional<Body> body(const AppleSignatureContent &content, bool withData = true);
// Its HTML alone.
std::optional<QString> decodedBody(const AppleSignatureContent &content);
// The content ids that html names by cid: as images.
QSet<QString> namedContentIds(const QString &html);

// Strict UTF-8: none when any byte sequence is invalid. A leading byte-order
// mark is kept so the header stays byte for byte.
std::optional<QString> decodeUtf8(const QByteArray &bytes);
// Where the first byte that decodeUtf8 refuses sits; none when it takes them all.
std::optional<qsizetype> invalidUtf8Offset(const QByteArray &bytes);
} // namespace SignatureFileFormat
