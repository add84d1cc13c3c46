#include "notes/SignatureCheck.h"

#include <QByteArray>
#include <QByteArrayView>

#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>

#include <bitset>
#include <cstring>

namespace {

using Kind = SignatureNote::Kind;

// Past this depth libxml2 compares every end tag with every open element.
constexpr int maximumDepth = 128;
// libxml2 compares each attribute of a tag with every one before it; its array
// for them has room for this many names and values once a tag has about 43.
constexpr int maximumAttributeRoom = 88;
// How much the parser gets at a time, so a tag with too many attributes is
// seen after a few hundred more at most.
constexpr int readSize = 512;

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

bool is(const xmlChar *name, const char *expected)
{
    return std::strcmp(reinterpret_cast<const char *>(name), expected) == 0;
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

// The notes found so far, and the state of one pass of the parser over part
// of the HTML.
class Scan
{
public:
    explicit Scan(const QByteArray &bytes) : m_bytes(bytes) {}

    void note(Kind kind) { m_found.set(static_cast<size_t>(kind)); }
    bool has(Kind kind) const { return m_found.test(static_cast<size_t>(kind)); }
    int deepest() const { return m_deepest; }

    // Parses from `start` until the end or until the parser has to start
    // afresh; returns where the next pass begins.
    qsizetype pass(qsizetype start);

private:
    static int read(void *context, char *buffer, int length);
    static void startElement(void *context, const xmlChar *name, const xmlChar **attributes);
    static void endElement(void *context, const xmlChar *name);
    static void text(void *context, const xmlChar *characters, int length);
    static void ignoreError(void *, xmlErrorPtr) {}

    void element(const xmlChar *name, const xmlChar **attributes);
    void address(QByteArrayView value, bool isImage);
    void sourceSet(QByteArrayView value);
    void css(QByteArrayView text);
    qsizetype cssUrl(QByteArrayView text, qsizetype at);
    qsizetype offset() const;
    // The next pass begins at `at`; what this one reports after it is ignored
    // when `ignoreRest`.
    void cut(qsizetype at, bool ignoreRest);

    const QByteArray &m_bytes;
    std::bitset<8> m_found;
    htmlParserCtxtPtr m_context = nullptr;
    qsizetype m_supplied = 0;
    std::optional<qsizetype> m_cut;
    bool m_ignoring = false;
    int m_depth = 0;
    int m_deepest = 0;
    bool m_inStyle = false;
    QByteArray m_style;
};

qsizetype Scan::pass(qsizetype start)
{
    m_supplied = start;
    m_cut.reset();
    m_ignoring = false;
    m_depth = 0;
    m_inStyle = false;
    m_style.clear();

    htmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElement = &Scan::startElement;
    handler.endElement = &Scan::endElement;
    // Raw text (style and script content) comes as CDATA, other text as characters.
    handler.characters = &Scan::text;
    handler.cdataBlock = &Scan::text;
    handler.serror = &Scan::ignoreError;

    m_context = htmlNewParserCtxt();
    if (!m_context)
        return m_bytes.size();
    xmlParserInputBufferPtr input =
        xmlParserInputBufferCreateIO(&Scan::read, nullptr, this, XML_CHAR_ENCODING_UTF8);
    xmlParserInputPtr stream =
        input ? xmlNewIOInputStream(m_context, input, XML_CHAR_ENCODING_UTF8) : nullptr;
    if (!stream) {
        if (input)
            xmlFreeParserInputBuffer(input);
        htmlFreeParserCtxt(m_context);
        return m_bytes.size();
    }
    inputPush(m_context, stream);
    std::memcpy(m_context->sax, &handler, sizeof handler);
    m_context->userData = this;
    // The text is UTF-8 whatever a <meta> in it claims; nothing is fetched.
    htmlCtxtUseOptions(m_context, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                      HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED | HTML_PARSE_IGNORE_ENC);
    htmlParseDocument(m_context);
    if (m_context->myDoc)
        xmlFreeDoc(m_context->myDoc);
    htmlFreeParserCtxt(m_context);
    m_context = nullptr;
    // A style element the text never closes.
    if (m_inStyle)
        css(m_style);

    qsizetype next = m_cut.value_or(m_bytes.size());
    if (next <= start)
        next = start + 1;
    // Never in the middle of a character.
    while (next < m_bytes.size() && (static_cast<unsigned char>(m_bytes[next]) & 0xC0) == 0x80)
        ++next;
    return std::min(next, m_bytes.size());
}

int Scan::read(void *context, char *buffer, int length)
{
    auto *scan = static_cast<Scan *>(context);
    if (scan->m_cut)
        return 0;
    if (scan->m_context && scan->m_context->maxatts > maximumAttributeRoom) {
        scan->cut(scan->m_supplied, false);
        return 0;
    }
    const int size =
        int(std::min<qsizetype>({qsizetype(length), readSize, scan->m_bytes.size() - scan->m_supplied}));
    if (size <= 0)
        return 0;
    std::memcpy(buffer, scan->m_bytes.constData() + scan->m_supplied, size_t(size));
    scan->m_supplied += size;
    return size;
}

qsizetype Scan::offset() const
{
    const xmlParserInputPtr input = m_context->input;
    return m_supplied - (input->end - input->cur);
}

void Scan::cut(qsizetype at, bool ignoreRest)
{
    if (m_cut)
        return;
    m_cut = at;
    m_ignoring = ignoreRest;
}

void Scan::startElement(void *context, const xmlChar *name, const xmlChar **attributes)
{
    auto *scan = static_cast<Scan *>(context);
    if (scan->m_ignoring || !name)
        return;
    scan->element(name, attributes);
    // The parser's own count, which its work follows, not ours.
    scan->m_deepest = std::max(scan->m_deepest, scan->m_context->nameNr);
    // Cut right after a start tag whose content is markup, not raw text.
    if (++scan->m_depth > maximumDepth && !is(name, "style") && !is(name, "script") &&
        !is(name, "textarea") && !is(name, "title") && !is(name, "xmp") && !is(name, "iframe") &&
        !is(name, "noembed") && !is(name, "noframes") && !is(name, "plaintext"))
        scan->cut(scan->offset(), true);
}

void Scan::endElement(void *context, const xmlChar *name)
{
    auto *scan = static_cast<Scan *>(context);
    if (scan->m_ignoring || !name)
        return;
    --scan->m_depth;
    if (scan->m_inStyle && is(name, "style")) {
        scan->m_inStyle = false;
        scan->css(scan->m_style);
        scan->m_style.clear();
    }
}

void Scan::text(void *context, const xmlChar *characters, int length)
{
    auto *scan = static_cast<Scan *>(context);
    if (!scan->m_ignoring && scan->m_inStyle && length > 0)
        scan->m_style.append(reinterpret_cast<const char *>(characters), length);
}

void Scan::element(const xmlChar *name, const xmlChar **attributes)
{
    // Names come lower-cased from the parser.
    if (is(name, "script"))
        note(Kind::Script);
    if (is(name, "style")) {
        m_inStyle = true;
        m_style.clear();
    }
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
    xmlInitParser();
    QByteArray bytes = html.toUtf8();
    const qsizetype size = bytes.size();
    // libxml2 reads a NUL byte as the end of its input.
    bytes.replace('\0', ' ');
    Scan scan(bytes);
    for (qsizetype start = 0; start < bytes.size();)
        start = scan.pass(start);
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
