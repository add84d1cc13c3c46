#include "store/MimeHeader.h"

#include "store/MimeLibrary.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<MimeHeader> MimeHeader::parse(const QByteArray &bytes)
{
    MimeHeader header;
    header.m_bytes = bytes;
    if (bytes.isEmpty())
        return header;
    // The header's last line gets its line break, then one empty line ends it.
    const QByteArray input = bytes + "\n\n";
    MimeLibrary::ensureInitialized();
    const auto stream = MimeLibrary::own(
        g_mime_stream_mem_new_with_buffer(input.constData(), static_cast<size_t>(input.size())));
    const auto parser = MimeLibrary::own(g_mime_parser_new_with_stream(stream.get()));
    const auto part = MimeLibrary::own(g_mime_parser_construct_part(parser.get(), nullptr));
    if (!part)
        return std::nullopt;
    GMimeHeaderList *list = g_mime_object_get_header_list(part.get());
    const int count = g_mime_header_list_get_count(list);
    const qsizetype headerEnd = bytes.size() + 1;
    for (int i = 0; i < count; ++i) {
        GMimeHeader *field = g_mime_header_list_get_header_at(list, i);
        const qsizetype begin = g_mime_header_get_offset(field);
        const qsizetype end = i + 1 < count
                                  ? g_mime_header_get_offset(g_mime_header_list_get_header_at(list, i + 1))
                                  : headerEnd;
        const QByteArray name(g_mime_header_get_name(field));
        const QByteArray value(g_mime_header_get_raw_value(field));
        // GMime skips lines that are no field; such a line shows up as text
        // between a field's value and the next field.
        const QByteArray text = input.mid(begin, end - begin);
        qsizetype colon = name.size();
        while (colon < text.size() && isBlank(text.at(colon)))
            ++colon;
        if ((i == 0 && begin != 0) || end > headerEnd || !text.startsWith(name) || colon >= text.size() ||
            text.at(colon) != ':' || text.mid(colon + 1) != value || !text.endsWith('\n'))
            return std::nullopt;
        const qsizetype lineBreak = text.endsWith("\r\n") ? 2 : 1;
        header.m_fields.append(Field{name, value, begin, end - lineBreak});
    }
    if (count == 0)
        return std::nullopt;
    return header;
}

std::optional<QByteArray> MimeHeader::value(const QByteArray &name) const
{
    for (const Field &field : m_fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return field.value;
    }
    return std::nullopt;
}

std::optional<MimeHeader> MimeHeader::with(const QByteArray &name, const QByteArray &value) const
{
    QByteArray bytes;
    qsizetype from = 0;
    for (const Field &field : m_fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        bytes += m_bytes.mid(from, field.begin - from) + field.name + ": " + value;
        from = field.end;
    }
    if (from == 0) {
        bytes = m_bytes;
        if (!bytes.isEmpty())
            bytes += lineBreak();
        bytes += name + ": " + value;
    } else {
        bytes += m_bytes.mid(from);
    }
    return parse(bytes);
}

std::optional<MimeHeader> MimeHeader::without(const QByteArray &name) const
{
    QByteArray bytes;
    qsizetype from = 0;
    for (const Field &field : m_fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        bytes += m_bytes.mid(from, field.begin - from);
        // The field's own line break, or for the last line the one before it.
        from = field.end;
        if (from < m_bytes.size())
            from += m_bytes.mid(from).startsWith("\r\n") ? 2 : 1;
        else if (bytes.endsWith("\r\n"))
            bytes.chop(2);
        else if (bytes.endsWith('\n'))
            bytes.chop(1);
    }
    if (from == 0)
        return *this;
    bytes += m_bytes.mid(from);
    return parse(bytes);
}

QByteArray MimeHeader::lineBreak() const
{
    return m_bytes.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}
