#include "notes/SignatureCheck.h"

#include "notes/ImageOnDark.h"
#include "store/DataAddress.h"
#include "store/ImageScan.h"

#include <QByteArray>
#include <QByteArrayView>

#include <libxml/xmlstring.h>

#include <bitset>

namespace {

using Kind = SignatureNote::Kind;

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// What an address in an attribute or in CSS is, as a URL parser sees its start:
// surrounding spaces and controls dropped, tabs and line breaks ignored.
enum class Address
{
    None,
    Relative,
    File,
    Http,
    Data,
    JavaScript,
    Part,
    Other
};

Address addressOf(QByteArrayView value)
{
    qsizetype begin = 0, end = value.size();
    while (begin < end && static_cast<unsigned char>(value[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(value[end - 1]) <= 0x20)
        --end;
    if (begin == end)
        return Address::None;
    QByteArray scheme;
    for (qsizetype i = begin; i < end; ++i) {
        const char c = value[i];
        if (c == '\t' || c == '\n' || c == '\r')
            continue;
        if (c == ':')
            break;
        const bool allowed = scheme.isEmpty()
                                 ? isAsciiAlpha(c)
                                 : isAsciiAlpha(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.';
        if (!allowed)
            return Address::Relative;
        scheme.append(char(c | 0x20));
        if (i == end - 1)
            return Address::Relative;
    }
    if (scheme.isEmpty())
        return Address::Relative;
    // One letter before the colon is a Windows drive: "C:\Users\...".
    if (scheme == "file" || scheme.size() == 1)
        return Address::File;
    if (scheme == "http")
        return Address::Http;
    if (scheme == "data")
        return Address::Data;
    if (scheme == "javascript")
        return Address::JavaScript;
    if (scheme == "cid")
        return Address::Part;
    return Address::Other;
}

// SVG and WebP, which Gmail and Outlook for Windows do not show.
bool isUnshownType(const QByteArray &type)
{
    return type == "image/svg+xml" || type == "image/webp";
}

bool hasUnshownExtension(QByteArrayView address)
{
    QByteArray path = address.toByteArray().trimmed().toLower();
    for (const char end : {'#', '?'}) {
        if (const qsizetype at = path.indexOf(end); at >= 0)
            path.truncate(at);
    }
    return path.endsWith(".svg") || path.endsWith(".svgz") || path.endsWith(".webp");
}

// The notes found so far.
class Scan : public ImageScan
{
public:
    explicit Scan(const QList<SignatureImage> &parts) : m_parts(parts) {}

    void note(Kind kind) { m_found.set(static_cast<size_t>(kind)); }
    bool has(Kind kind) const { return m_found.test(static_cast<size_t>(kind)); }

protected:
    void tag(const xmlChar *name, const xmlChar **attributes) override;
    void image(const Image &image) override;
    void import() override { note(Kind::OutsideStyles); }

private:
    void address(QByteArrayView value, bool isImage);
    void darkImage(const QByteArray &bytes);

    static constexpr int maximumImagesDecoded = 8;

    const QList<SignatureImage> &m_parts;
    std::bitset<16> m_found;
    int m_imagesDecoded = 0;
};

void Scan::tag(const xmlChar *name, const xmlChar **attributes)
{
    // Names come lower-cased from the parser.
    if (is(name, "script"))
        note(Kind::Script);
    const bool isLink = is(name, "a") || is(name, "area");
    for (const xmlChar **pair = attributes; pair && pair[0]; pair += 2) {
        const xmlChar *attribute = pair[0];
        if (!pair[1])
            continue;
        const QByteArrayView value(reinterpret_cast<const char *>(pair[1]));
        if (attribute[0] == 'o' && attribute[1] == 'n' && attribute[2] != 0) {
            note(Kind::Script);
        } else if ((is(attribute, "href") || is(attribute, "xlink:href")) && isLink) {
            address(value, false);
        } else if (is(attribute, "rel") && is(name, "link")) {
            for (const QByteArray &token : value.toByteArray().simplified().split(' ')) {
                if (token.compare("stylesheet", Qt::CaseInsensitive) == 0)
                    note(Kind::OutsideStyles);
            }
        } else if ((is(attribute, "href") || is(attribute, "src") || is(attribute, "action") ||
                    is(attribute, "formaction") || is(attribute, "data")) &&
                   addressOf(value) == Address::JavaScript) {
            note(Kind::Script);
        }
    }
}

void Scan::image(const Image &image)
{
    if (is(image.element, "img") && image.attribute && is(image.attribute, "src") && !image.sized)
        note(Kind::ImageSize);
    if (addressOf(image.address) != Address::Part) {
        if (hasUnshownExtension(image.address))
            note(Kind::ImageFormat);
        address(image.address, true);
        return;
    }
    const SignatureImage *part = SignatureImage::named(m_parts, image.address);
    if (!part) {
        note(Kind::MissingPart);
        return;
    }
    if (isUnshownType(part->type))
        note(Kind::ImageFormat);
    darkImage(part->data);
}

void Scan::address(QByteArrayView value, bool isImage)
{
    switch (addressOf(value)) {
    case Address::Relative:
    case Address::File:
        note(Kind::UnreachableAddress);
        break;
    case Address::Http:
        note(Kind::PlainHttp);
        break;
    case Address::Data:
        if (!isImage)
            break;
        note(Kind::EmbeddedImage);
        if (const std::optional<DataAddress::Data> data = DataAddress::read(value)) {
            if (isUnshownType(data->type))
                note(Kind::ImageFormat);
            darkImage(data->bytes);
        }
        break;
    case Address::JavaScript:
        note(Kind::Script);
        break;
    case Address::Part:
    case Address::None:
    case Address::Other:
        break;
    }
}

void Scan::darkImage(const QByteArray &bytes)
{
    // A few images at most are decoded, however many there are.
    if (has(Kind::DarkImage) || m_imagesDecoded >= maximumImagesDecoded)
        return;
    ++m_imagesDecoded;
    if (ImageOnDark::isHardToSee(bytes))
        note(Kind::DarkImage);
}

} // namespace

QList<SignatureNote> SignatureCheck::check(const QString &html, std::optional<bool> isRich,
                                           const QList<SignatureImage> &parts, int *deepest)
{
    QByteArray bytes = html.toUtf8();
    const qsizetype size = bytes.size();
    Scan scan(parts);
    scan.scan(std::move(bytes));
    if (isRich == false)
        scan.note(Kind::PlainFont);
    if (size > clippedSize)
        scan.note(Kind::TooLarge);
    if (deepest)
        *deepest = scan.deepest();
    QList<SignatureNote> notes;
    for (const Kind kind : SignatureNote::allKinds()) {
        if (scan.has(kind))
            notes.append(SignatureNote::of(kind));
    }
    return notes;
}
