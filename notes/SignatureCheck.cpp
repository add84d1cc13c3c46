#include "notes/SignatureCheck.h"

#include "notes/HtmlScan.h"
#include "notes/ImageOnDark.h"

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

bool isCssSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isIdentChar(char c)
{
    return isAsciiAlpha(c) || isAsciiDigit(c) || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Whether text at `at` starts with the lower-case `word`, in any case.
bool startsWithWord(QByteArrayView text, qsizetype at, QByteArrayView word)
{
    return text.size() - at >= word.size() &&
           QByteArrayView(text.data() + at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
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
    return Address::Other;
}

// The notes found so far.
class Scan : public HtmlScan
{
public:
    void note(Kind kind) { m_found.set(static_cast<size_t>(kind)); }
    bool has(Kind kind) const { return m_found.test(static_cast<size_t>(kind)); }

protected:
    void element(const xmlChar *name, const xmlChar **attributes) override;
    void styleSheet(QByteArrayView text) override { css(text); }

private:
    void address(QByteArrayView value, bool isImage);
    void sourceSet(QByteArrayView value);
    void css(QByteArrayView text);
    qsizetype cssUrl(QByteArrayView text, qsizetype at);

    static constexpr int maximumImagesDecoded = 8;

    std::bitset<8> m_found;
    int m_imagesDecoded = 0;
};

void Scan::element(const xmlChar *name, const xmlChar **attributes)
{
    // Names come lower-cased from the parser.
    if (is(name, "script"))
        note(Kind::Script);
    const bool isLink = is(name, "a") || is(name, "area");
    const bool isImage = is(name, "img") || is(name, "input") || is(name, "image");
    for (const xmlChar **pair = attributes; pair && pair[0]; pair += 2) {
        const xmlChar *attribute = pair[0];
        if (!pair[1])
            continue;
        const QByteArrayView value(reinterpret_cast<const char *>(pair[1]));
        if (attribute[0] == 'o' && attribute[1] == 'n' && attribute[2] != 0) {
            note(Kind::Script);
        } else if (is(attribute, "style")) {
            css(value);
        } else if (is(attribute, "background") || (is(attribute, "poster") && is(name, "video"))) {
            address(value, true);
        } else if (is(attribute, "srcset") && (is(name, "img") || is(name, "source"))) {
            sourceSet(value);
        } else if (is(attribute, "src") && isImage) {
            address(value, true);
        } else if ((is(attribute, "href") || is(attribute, "xlink:href")) && (isLink || is(name, "image"))) {
            address(value, !isLink);
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
        if (isImage)
            note(Kind::EmbeddedImage);
        // A few images at most are decoded, however many there are.
        if (isImage && !has(Kind::DarkImage) && m_imagesDecoded < maximumImagesDecoded) {
            ++m_imagesDecoded;
            if (ImageOnDark::isHardToSee(value))
                note(Kind::DarkImage);
        }
        break;
    case Address::JavaScript:
        note(Kind::Script);
        break;
    case Address::None:
    case Address::Other:
        break;
    }
}

// "a.png 1x, data:image/png;base64,AAAA 2x": each candidate's address runs to
// the next white space (a data: address holds commas), its descriptors to the
// next comma outside parentheses.
void Scan::sourceSet(QByteArrayView value)
{
    qsizetype i = 0;
    const qsizetype size = value.size();
    while (i < size) {
        while (i < size && (isCssSpace(value[i]) || value[i] == ','))
            ++i;
        const qsizetype begin = i;
        while (i < size && !isCssSpace(value[i]))
            ++i;
        qsizetype end = i;
        const bool endsCandidate = end > begin && value[end - 1] == ',';
        while (end > begin && value[end - 1] == ',')
            --end;
        if (end > begin)
            address(value.sliced(begin, end - begin), true);
        if (endsCandidate)
            continue;
        int parentheses = 0;
        while (i < size && (value[i] != ',' || parentheses > 0)) {
            if (value[i] == '(')
                ++parentheses;
            else if (value[i] == ')' && parentheses > 0)
                --parentheses;
            ++i;
        }
    }
}

// CSS from a style attribute or element: every url(...) outside comments and
// strings is an image, every @import an outside style sheet.
void Scan::css(QByteArrayView text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    auto skipString = [&](qsizetype at) {
        const char quote = text[at];
        qsizetype j = at + 1;
        while (j < size && text[j] != quote && text[j] != '\n') {
            j += text[j] == '\\' ? 2 : 1;
        }
        return std::min(j + 1, size);
    };
    while (i < size) {
        const char c = text[i];
        if (c == '/' && i + 1 < size && text[i + 1] == '*') {
            const qsizetype close = text.indexOf(QByteArrayView("*/"), i + 2);
            i = close < 0 ? size : close + 2;
        } else if (c == '"' || c == '\'') {
            i = skipString(i);
        } else if (c == '@' && startsWithWord(text, i + 1, "import") &&
                   (i + 7 >= size || !isIdentChar(text[i + 7]))) {
            note(Kind::OutsideStyles);
            // Its address is a style sheet, not an image.
            i += 7;
            while (i < size && text[i] != ';')
                i = (text[i] == '"' || text[i] == '\'') ? skipString(i) : i + 1;
        } else if ((c == 'u' || c == 'U') && startsWithWord(text, i, "url(") &&
                   (i == 0 || !isIdentChar(text[i - 1]))) {
            i = cssUrl(text, i + 4);
        } else {
            ++i;
        }
    }
}

qsizetype Scan::cssUrl(QByteArrayView text, qsizetype at)
{
    const qsizetype size = text.size();
    while (at < size && isCssSpace(text[at]))
        ++at;
    if (at < size && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at];
        const qsizetype begin = at + 1;
        qsizetype end = begin;
        while (end < size && text[end] != quote)
            end += text[end] == '\\' ? 2 : 1;
        end = std::min(end, size);
        address(text.sliced(begin, end - begin), true);
        const qsizetype close = text.indexOf(')', std::min(end + 1, size));
        return close < 0 ? size : close + 1;
    }
    const qsizetype close = text.indexOf(')', at);
    const qsizetype end = close < 0 ? size : close;
    address(text.sliced(at, end - at), true);
    return close < 0 ? size : close + 1;
}

} // namespace

QList<SignatureNote> SignatureCheck::check(const QString &html, std::optional<bool> isRich, int *deepest)
{
    QByteArray bytes = html.toUtf8();
    const qsizetype size = bytes.size();
    Scan scan;
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
