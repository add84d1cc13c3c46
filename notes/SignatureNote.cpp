#include "notes/SignatureNote.h"

SignatureNote SignatureNote::of(Kind kind)
{
    switch (kind) {
    case Kind::PlainFont:
        return {kind, QStringLiteral("Mail shows this signature in your default message font: untick "
                                     "\u201CAlways match my default message font\u201D in Mail's signature "
                                     "settings.")};
    case Kind::MissingPart:
        return {kind, QStringLiteral("An image names a part of the signature (a cid: address) that the "
                                     "signature does not hold, so it shows as a broken image: insert the "
                                     "HTML again with its images.")};
    case Kind::EmbeddedImage:
        return {kind,
                QStringLiteral("An image is embedded in the HTML, which Mail shows but many recipients' "
                               "mail programs drop: embed it as an image part, as Mail does, or host the "
                               "image and link it over https.")};
    case Kind::ImageFormat:
        return {kind, QStringLiteral("An image is SVG or WebP, which Gmail and Outlook for Windows do not "
                                     "show: use PNG or JPEG.")};
    case Kind::DarkImage:
        return {kind, QStringLiteral("An embedded image is dark on a transparent background, so on a dark "
                                     "background (Mail in dark mode, many recipients) it can hardly be seen: "
                                     "give it a light outline or a background of its own.")};
    case Kind::ImageSize:
        return {kind, QStringLiteral("An image has neither a width nor a height, so Outlook shows it at its "
                                     "full size, and a logo made at twice the size for sharp screens shows "
                                     "twice as big: give it a width.")};
    case Kind::UnreachableAddress:
        return {kind, QStringLiteral("An image or link points to a file on this Mac or has no full address, "
                                     "so recipients cannot reach it: use a full https address.")};
    case Kind::PlainHttp:
        return {kind,
                QStringLiteral("An image or link uses plain http, which some mail programs block or warn "
                               "about: use https.")};
    case Kind::Script:
        return {kind,
                QStringLiteral("The signature holds script, which Mail never runs in a signature, so it "
                               "does nothing there: remove it.")};
    case Kind::OutsideStyles:
        return {kind,
                QStringLiteral("The signature loads an outside style sheet, which most recipients' mail "
                               "programs do not load: put the styles inline.")};
    case Kind::TooLarge:
        return {kind, QStringLiteral("The signature is larger than 100 KB and Gmail clips messages over "
                                     "102 KB, so it will often be cut: make it smaller.")};
    }
    return {kind, QString()};
}

QList<SignatureNote::Kind> SignatureNote::allKinds()
{
    return {Kind::PlainFont,          Kind::MissingPart, Kind::EmbeddedImage,
            Kind::ImageFormat,        Kind::DarkImage,   Kind::ImageSize,
            Kind::UnreachableAddress, Kind::PlainHttp,   Kind::Script,
            Kind::OutsideStyles,      Kind::TooLarge};
}

QString SignatureNote::name(Kind kind)
{
    switch (kind) {
    case Kind::PlainFont:
        return QStringLiteral("plain-font");
    case Kind::MissingPart:
        return QStringLiteral("missing-part");
    case Kind::EmbeddedImage:
        return QStringLiteral("embedded-image");
    case Kind::ImageFormat:
        return QStringLiteral("image-format");
    case Kind::ImageSize:
        return QStringLiteral("image-size");
    case Kind::DarkImage:
        return QStringLiteral("dark-image");
    case Kind::UnreachableAddress:
        return QStringLiteral("unreachable-address");
    case Kind::PlainHttp:
        return QStringLiteral("plain-http");
    case Kind::Script:
        return QStringLiteral("script");
    case Kind::OutsideStyles:
        return QStringLiteral("outside-styles");
    case Kind::TooLarge:
        return QStringLiteral("too-large");
    }
    return QString();
}

QString SignatureNote::countText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 note on this signature")
                      : QStringLiteral("%1 notes on this signature").arg(count);
}
