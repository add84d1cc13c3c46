#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// An image a signature file holds as a part of its own, which the HTML names
// as "cid:" followed by the part's content id, as Mail does for an image
// dragged into a signature.
struct SignatureImage
{
    // Without its angle brackets.
    QString contentId;
    // The name the part gives its file; may be empty.
    QString filename;
    // Lower-case media type, "image/png".
    QByteArray type;
    // The part's bytes, decoded.
    QByteArray data;

    friend bool operator==(const SignatureImage &, const SignatureImage &) = default;

    // The image a "cid:" address names among images; null when none does.
    static const SignatureImage *named(const QList<SignatureImage> &images, QByteArrayView address);
    // The content id a "cid:" address names, percent-decoding undone; none
    // for any other address.
    static std::optional<QString> contentIdOf(QByteArrayView address);
};
