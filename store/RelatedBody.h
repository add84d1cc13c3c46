#pragma once

#include "store/SignatureImage.h"
#include "store/SignatureParts.h"

#include <QByteArray>
#include <QList>

// The body of a multipart/related signature, as Mail writes one for a
// signature with images: the HTML part first, then an image part (base64,
// inline, its file name and content id) for each image the HTML names.
namespace RelatedBody {
// The body of parts with its HTML part replaced by htmlPart (header, empty
// line, content), the other parts at the indexes kept (into parts.others())
// byte for byte and the rest left out, and added appended as new parts. The
// boundary and every byte between parts stay as they were.
QByteArray spliced(const SignatureParts &parts, const QByteArray &htmlPart, const QList<qsizetype> &kept,
                   const QList<SignatureImage> &added);
// A new body: htmlPart, then a part for each image, under boundary.
QByteArray built(const QByteArray &htmlPart, const QList<SignatureImage> &images, const QByteArray &boundary,
                 const QByteArray &lineBreak);
// A boundary no text of a signature holds: "Apple-Mail=_" and a new UUID,
// as Mail makes them (QP content cannot hold its "=_").
QByteArray newBoundary();
// The Content-Type of a body built under boundary.
QByteArray contentType(const QByteArray &boundary, const QByteArray &lineBreak);
// Content written quoted-printable with no line that a reader could take
// for the boundary: such a line's first "-" is written as "=2D".
QByteArray guarded(QByteArray content, const QByteArray &boundary);
} // namespace RelatedBody
