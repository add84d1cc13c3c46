#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

struct _xmlParserCtxt;

// Reads HTML with libxml2's HTML parser and hands every start tag and every
// style element's text to a subclass. The text is read as UTF-8, whatever a
// <meta> in it claims, and nothing is fetched.
//
// Hostile HTML costs time in proportion to its size: the parser starts afresh
// after every 128 levels of nesting and after a tag with some 40 attributes,
// where libxml2's own work would otherwise grow with the square of either.
class HtmlScan
{
public:
    virtual ~HtmlScan() = default;

    // Reads all of bytes; a NUL byte, which libxml2 takes for the end, as a space.
    void scan(QByteArray bytes);
    // The most elements the parser ever held open at once, which each end tag
    // costs in proportion to.
    int deepest() const { return m_deepest; }

protected:
    // name lower-case; attributes null-terminated name and value pairs, a
    // value null where the attribute has none.
    virtual void element(const unsigned char *name, const unsigned char **attributes) = 0;
    // The content of a style element, once it ends (or the text does).
    virtual void styleSheet(QByteArrayView text) = 0;

    // Where, in the bytes scanned, lies what element() or styleSheet() is
    // being told of: the start tag (with nothing but white space before it),
    // or the style element's text with its end tag.
    struct Span
    {
        qsizetype begin = 0;
        qsizetype end = 0;
    };
    const Span &source() const { return m_source; }
    const QByteArray &bytes() const { return m_bytes; }

    static bool is(const unsigned char *name, const char *expected);

private:
    // Parses from `start` until the end or until the parser has to start
    // afresh; returns where the next pass begins.
    qsizetype pass(qsizetype start);

    static int read(void *context, char *buffer, int length);
    static void startElement(void *context, const unsigned char *name, const unsigned char **attributes);
    static void endElement(void *context, const unsigned char *name);
    static void text(void *context, const unsigned char *characters, int length);
    // Anything else the parser reports (a comment, a doctype): only where it ends.
    static void passed(void *context);

    qsizetype offset() const;
    // The next pass begins at `at`; what this one reports after it is ignored
    // when `ignoreRest`.
    void cut(qsizetype at, bool ignoreRest);

    QByteArray m_bytes;
    _xmlParserCtxt *m_context = nullptr;
    qsizetype m_supplied = 0;
    std::optional<qsizetype> m_cut;
    bool m_ignoring = false;
    int m_depth = 0;
    int m_deepest = 0;
    bool m_inStyle = false;
    QByteArray m_style;
    qsizetype m_styleBegin = 0;
    // Where the last thing the parser reported ended.
    qsizetype m_reported = 0;
    Span m_source;
};
