#pragma once

#include "store/SignatureImage.h"

#include <QList>
#include <QString>

#include <optional>

// Turns the images that recipients' mail programs drop or cannot reach into
// image parts, as Mail keeps an image dragged into a signature: a data:
// image, and an image that an HTML file names by a path relative to its own
// folder. Each becomes "cid:" and a content id, an upper-case UUID made from
// its bytes (the same image gets the same id, so embedding again changes
// nothing).
//
// The HTML is untrusted: only regular files inside the folder are read (no
// "..", no absolute path, no link leading out), only PNG, JPEG and GIF
// images (by their leading bytes), each of them up to maximumImageSize and
// at most maximumImages of them. Anything else refuses the whole embedding.
namespace ImageEmbedding {
struct Embedded
{
    // The HTML with each embedded image's address replaced by its cid:,
    // every other byte as it was.
    QString html;
    QList<SignatureImage> images;
};

// None, with the refusal in one sentence, when an image cannot be embedded.
// folder: where the HTML's file lies; none when the HTML came from anywhere
// else, and then an image named by a relative path is refused.
// withData: data: images are embedded too, not only files.
std::optional<Embedded> embed(const QString &html, const std::optional<QString> &folder, QString *failure,
                              bool withData = true);

inline constexpr qint64 maximumImageSize = 5 * 1024 * 1024;
inline constexpr int maximumImages = 20;
} // namespace ImageEmbedding
