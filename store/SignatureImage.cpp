#include "store/SignatureImage.h"

std::optional<QString> SignatureImage::contentIdOf(QByteArrayView address)
{
    const QByteArray text = address.toByteArray().trimmed();
    if (text.size() < 4 || text.first(4).toLower() != "cid:")
        return std::nullopt;
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.sliced(4)));
}

const SignatureImage *SignatureImage::named(const QList<SignatureImage> &images, QByteArrayView address)
{
    const std::optional<QString> id = contentIdOf(address);
    if (!id)
        return nullptr;
    for (const SignatureImage &image : images) {
        if (image.contentId == *id)
            return &image;
    }
    return nullptr;
}
