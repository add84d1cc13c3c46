#include "store/SignatureParts.h"

#include "store/MimeLibrary.h"

#include <algorithm>

namespace {

bool isType(GMimeObject *object, const char *type, const char *subtype)
{
    return g_mime_content_type_is_type(g_mime_object_get_content_type(object), type, subtype);
}

// The part that holds the signature's HTML, as a mail program picks what to show.
GMimeObject *htmlRoot(GMimeObject *object)
{
    if (GMIME_IS_PART(object))
        return isType(object, "text", "html") ? object : nullptr;
    if (!GMIME_IS_MULTIPART(object))
        return nullptr;
    auto *multipart = GMIME_MULTIPART(object);
    const int count = g_mime_multipart_get_count(multipart);
    if (count == 0)
        return nullptr;
    if (isType(object, "multipart", "related")) {
        GMimeObject *root = g_mime_multipart_get_part(multipart, 0);
        if (const char *start =
                g_mime_content_type_get_parameter(g_mime_object_get_content_type(object), "start")) {
            const QByteArray wanted = QByteArray(start).trimmed().replace('<', "").replace('>', "");
            for (int i = 0; i < count; ++i) {
                GMimeObject *part = g_mime_multipart_get_part(multipart, i);
                const char *id = g_mime_object_get_content_id(part);
                if (id && wanted == id)
                    root = part;
            }
        }
        return htmlRoot(root);
    }
    // The alternatives go from plainest to richest.
    const bool alternative = isType(object, "multipart", "alternative");
    for (int i = 0; i < count; ++i) {
        if (GMimeObject *found =
                htmlRoot(g_mime_multipart_get_part(multipart, alternative ? count - 1 - i : i)))
            return found;
    }
    return nullptr;
}

QByteArray decodedContent(GMimePart *part)
{
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    if (!content)
        return {};
    const auto stream = MimeLibrary::own(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, stream.get());
    GByteArray *bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
    return QByteArray(reinterpret_cast<const char *>(bytes->data), qsizetype(bytes->len));
}

// A single part as read: where it lies, counted from offset in the stream.
std::optional<SignatureParts::Part> partOf(GMimeObject *object, qsizetype offset, bool withData)
{
    GMimePart *part = GMIME_PART(object);
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    GMimeStream *stream = content ? g_mime_data_wrapper_get_stream(content) : nullptr;
    if (!stream || stream->bound_start < offset || stream->bound_end < stream->bound_start)
        return std::nullopt;
    SignatureParts::Part found;
    found.contentBegin = qsizetype(stream->bound_start) - offset;
    found.end = qsizetype(stream->bound_end) - offset;
    GMimeHeaderList *headers = g_mime_object_get_header_list(object);
    found.begin =
        g_mime_header_list_get_count(headers) > 0
            ? qsizetype(g_mime_header_get_offset(g_mime_header_list_get_header_at(headers, 0))) - offset
            : found.contentBegin;
    if (found.begin < 0 || found.begin > found.contentBegin)
        return std::nullopt;
    GMimeContentType *type = g_mime_object_get_content_type(object);
    found.image.type = QByteArray(g_mime_content_type_get_media_type(type)).toLower() + '/' +
                       QByteArray(g_mime_content_type_get_media_subtype(type)).toLower();
    found.image.contentId = QString::fromUtf8(g_mime_object_get_content_id(object));
    found.image.filename = QString::fromUtf8(g_mime_part_get_filename(part));
    if (withData)
        found.image.data = decodedContent(part);
    return found;
}

} // namespace

std::optional<SignatureParts> SignatureParts::read(const QByteArray &header, const QByteArray &body,
                                                   bool withData)
{
    MimeLibrary::ensureInitialized();
    const QByteArray lineBreak =
        header.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    const QByteArray input = header + lineBreak + lineBreak + body;
    const qsizetype offset = input.size() - body.size();
    const auto stream = MimeLibrary::own(
        g_mime_stream_mem_new_with_buffer(input.constData(), static_cast<size_t>(input.size())));
    const auto parser = MimeLibrary::own(g_mime_parser_new_with_stream(stream.get()));
    const auto top = MimeLibrary::own(g_mime_parser_construct_part(parser.get(), nullptr));
    if (!top || !GMIME_IS_MULTIPART(top.get()) ||
        qsizetype(g_mime_parser_get_headers_end(parser.get())) > offset)
        return std::nullopt;

    SignatureParts parts;
    parts.m_body = body;
    parts.m_boundary = QByteArray(g_mime_multipart_get_boundary(GMIME_MULTIPART(top.get())));
    GMimeObject *root = htmlRoot(top.get());
    bool flat = isType(top.get(), "multipart", "related");
    bool rootIsChild = false;
    GMimePartIter *iter = g_mime_part_iter_new(top.get());
    for (bool more = g_mime_part_iter_is_valid(iter); more; more = g_mime_part_iter_next(iter)) {
        GMimeObject *object = g_mime_part_iter_get_current(iter);
        const bool child = g_mime_part_iter_get_parent(iter) == top.get();
        if (!GMIME_IS_PART(object)) {
            flat = flat && !child;
            continue;
        }
        std::optional<Part> part = partOf(object, offset, withData || object == root);
        if (!part) {
            flat = false;
            continue;
        }
        if (object == root) {
            parts.m_html = std::move(part);
            rootIsChild = child;
        } else {
            parts.m_others.append(std::move(*part));
        }
    }
    g_mime_part_iter_free(iter);
    parts.m_flatRelated = flat && rootIsChild && parts.delimited();
    if (!parts.m_html && parts.m_others.isEmpty())
        return std::nullopt;
    return parts;
}

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where the boundary line that starts at `at` (its leading line break
// included when `leading`) ends, its own line break included; none when none
// starts there. closing: the last one, "--" after the boundary.
std::optional<qsizetype> delimiterEnd(QByteArrayView body, qsizetype at, const QByteArray &boundary,
                                      bool leading, bool closing)
{
    if (leading) {
        if (body.sliced(at).startsWith("\r\n"))
            at += 2;
        else if (body.sliced(at).startsWith("\n"))
            at += 1;
        else
            return std::nullopt;
    }
    const QByteArray dashes = "--" + boundary + (closing ? "--" : "");
    if (!body.sliced(at).startsWith(dashes))
        return std::nullopt;
    at += dashes.size();
    while (at < body.size() && isBlank(body[at]))
        ++at;
    if (closing)
        return at;
    if (body.sliced(at).startsWith("\r\n"))
        return at + 2;
    if (body.sliced(at).startsWith("\n"))
        return at + 1;
    return std::nullopt;
}

} // namespace

bool SignatureParts::delimited()
{
    QList<Part *> pieces{&*m_html};
    for (Part &other : m_others)
        pieces.append(&other);
    std::sort(pieces.begin(), pieces.end(), [](const Part *a, const Part *b) { return a->begin < b->begin; });
    const QByteArrayView body(m_body);
    // The preamble ends in the first boundary line.
    const qsizetype first = pieces.first()->begin;
    const QByteArray dashes = "--" + m_boundary;
    const qsizetype opening = body.first(first).lastIndexOf(dashes);
    if (opening < 0 || delimiterEnd(body, opening, m_boundary, false, false) != first)
        return false;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        // GMime may place a part's end a byte or two off where lines end unlike the boundary's.
        Part *piece = pieces[i];
        bool found = false;
        for (qsizetype end = piece->end; !found && end <= piece->end + 2 && end < body.size(); ++end) {
            const std::optional<qsizetype> next = delimiterEnd(body, end, m_boundary, true, last);
            if (next && (last || *next == pieces[i + 1]->begin)) {
                piece->end = end;
                found = true;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

QByteArray SignatureParts::htmlHeader() const
{
    if (!m_html)
        return {};
    QByteArray header = m_body.sliced(m_html->begin, m_html->contentBegin - m_html->begin);
    // The empty line that ends the header, and the last field's line break.
    for (int i = 0; i < 2; ++i) {
        if (header.endsWith("\r\n"))
            header.chop(2);
        else if (header.endsWith('\n'))
            header.chop(1);
    }
    return header;
}

QByteArray SignatureParts::htmlContent() const
{
    return m_html ? m_body.sliced(m_html->contentBegin, m_html->end - m_html->contentBegin) : QByteArray();
}
