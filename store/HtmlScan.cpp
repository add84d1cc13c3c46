#include "store/HtmlScan.h"

#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>

#include <cstring>

namespace {

// Past this depth libxml2 compares every end tag with every open element.
constexpr int maximumDepth = 128;
// libxml2 compares each attribute of a tag with every one before it; its array
// for them has room for this many names and values once a tag has about 43.
constexpr int maximumAttributeRoom = 88;
// How much the parser gets at a time, so a tag with too many attributes is
// seen after a few hundred more at most.
constexpr int readSize = 512;

void ignoreError(void *, xmlErrorPtr) {}

} // namespace

bool HtmlScan::is(const unsigned char *name, const char *expected)
{
    return std::strcmp(reinterpret_cast<const char *>(name), expected) == 0;
}

void HtmlScan::scan(QByteArray bytes)
{
    xmlInitParser();
    bytes.replace('\0', ' ');
    m_bytes = std::move(bytes);
    for (qsizetype start = 0; start < m_bytes.size();)
        start = pass(start);
}

qsizetype HtmlScan::pass(qsizetype start)
{
    m_supplied = start;
    m_cut.reset();
    m_ignoring = false;
    m_depth = 0;
    m_inStyle = false;
    m_style.clear();
    m_reported = start;

    htmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElement = &HtmlScan::startElement;
    handler.endElement = &HtmlScan::endElement;
    // Raw text (style and script content) comes as CDATA, other text as characters.
    handler.characters = &HtmlScan::text;
    handler.cdataBlock = &HtmlScan::text;
    handler.ignorableWhitespace = &HtmlScan::text;
    handler.comment = [](void *context, const xmlChar *) { passed(context); };
    handler.processingInstruction = [](void *context, const xmlChar *, const xmlChar *) { passed(context); };
    handler.internalSubset = [](void *context, const xmlChar *, const xmlChar *, const xmlChar *) {
        passed(context);
    };
    handler.serror = &ignoreError;

    m_context = htmlNewParserCtxt();
    if (!m_context)
        return m_bytes.size();
    xmlParserInputBufferPtr input =
        xmlParserInputBufferCreateIO(&HtmlScan::read, nullptr, this, XML_CHAR_ENCODING_UTF8);
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
    if (m_inStyle) {
        m_source = {m_styleBegin, m_bytes.size()};
        styleSheet(m_style);
    }

    qsizetype next = m_cut.value_or(m_bytes.size());
    if (next <= start)
        next = start + 1;
    // Never in the middle of a character.
    while (next < m_bytes.size() && (static_cast<unsigned char>(m_bytes[next]) & 0xC0) == 0x80)
        ++next;
    return std::min(next, m_bytes.size());
}

int HtmlScan::read(void *context, char *buffer, int length)
{
    auto *scan = static_cast<HtmlScan *>(context);
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

qsizetype HtmlScan::offset() const
{
    const xmlParserInputPtr input = m_context->input;
    return m_supplied - (input->end - input->cur);
}

void HtmlScan::cut(qsizetype at, bool ignoreRest)
{
    if (m_cut)
        return;
    m_cut = at;
    m_ignoring = ignoreRest;
}

void HtmlScan::startElement(void *context, const unsigned char *name, const unsigned char **attributes)
{
    auto *scan = static_cast<HtmlScan *>(context);
    if (scan->m_ignoring || !name)
        return;
    const qsizetype end = scan->offset();
    if (is(name, "style")) {
        scan->m_inStyle = true;
        scan->m_style.clear();
        scan->m_styleBegin = end;
    }
    scan->m_source = {scan->m_reported, end};
    scan->m_reported = end;
    scan->element(name, attributes);
    // The parser's own count, which its work follows, not ours.
    scan->m_deepest = std::max(scan->m_deepest, scan->m_context->nameNr);
    // Cut right after a start tag whose content is markup, not raw text.
    if (++scan->m_depth > maximumDepth && !is(name, "style") && !is(name, "script") &&
        !is(name, "textarea") && !is(name, "title") && !is(name, "xmp") && !is(name, "iframe") &&
        !is(name, "noembed") && !is(name, "noframes") && !is(name, "plaintext"))
        scan->cut(scan->offset(), true);
}

void HtmlScan::endElement(void *context, const unsigned char *name)
{
    auto *scan = static_cast<HtmlScan *>(context);
    if (scan->m_ignoring || !name)
        return;
    --scan->m_depth;
    scan->m_reported = scan->offset();
    if (scan->m_inStyle && is(name, "style")) {
        scan->m_inStyle = false;
        scan->m_source = {scan->m_styleBegin, scan->m_reported};
        scan->styleSheet(scan->m_style);
        scan->m_style.clear();
    }
}

void HtmlScan::text(void *context, const unsigned char *characters, int length)
{
    auto *scan = static_cast<HtmlScan *>(context);
    if (scan->m_ignoring)
        return;
    if (scan->m_inStyle && length > 0)
        scan->m_style.append(reinterpret_cast<const char *>(characters), length);
    else
        scan->m_reported = scan->offset();
}

void HtmlScan::passed(void *context)
{
    auto *scan = static_cast<HtmlScan *>(context);
    if (!scan->m_ignoring)
        scan->m_reported = scan->offset();
}
