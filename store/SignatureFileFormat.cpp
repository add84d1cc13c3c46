#include "store/SignatureFileFormat.h"

#include "store/MimeHeader.h"
#include "store/MimeLibrary.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QByteArray contentTypeField = QByteArrayLiteral("Content-Type");
const QByteArray encodingField = QByteArrayLiteral("Content-Transfer-Encoding");

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One pass of GMime's encoder or decoder over all of bytes.
QByteArray transcoded(const QByteArray &bytes, GMimeContentEncoding encoding, bool encode)
{
    GMimeEncoding state;
    if (encode)
        g_mime_encoding_init_encode(&state, encoding);
    else
        g_mime_encoding_init_decode(&state, encoding);
    const auto size = static_cast<size_t>(bytes.size());
    QByteArray out(static_cast<qsizetype>(g_mime_encoding_outlen(&state, size)), Qt::Uninitialized);
    out.truncate(static_cast<qsizetype>(g_mime_encoding_flush(&state, bytes.constData(), size, out.data())));
    return out;
}

// GMime writes a CR LF of the text as a plain line break, which decodes to
// LF alone; ending a pass right after such a CR writes it as "=0D" and a soft
// line break instead, so both bytes come back.
QByteArray quotedPrintable(const QByteArray &bytes)
{
    QByteArray out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype lineBreak = bytes.indexOf("\r\n", from);
        const qsizetype to = lineBreak < 0 ? bytes.size() : lineBreak + 1;
        out += transcoded(bytes.mid(from, to - from), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE, true);
        if (lineBreak < 0)
            return out;
        from = to;
    }
}

// The transfer encoding the header declares; 7bit when it declares none.
GMimeContentEncoding declaredEncoding(const MimeHeader &header)
{
    const std::optional<QByteArray> value = header.value(encodingField);
    return value ? g_mime_content_encoding_from_string(value->trimmed().constData())
                 : GMIME_CONTENT_ENCODING_7BIT;
}

// The encoding the text is written in: the declared one where it can carry
// the text, quoted-printable otherwise.
GMimeContentEncoding encodingFor(GMimeContentEncoding declared, bool ascii, bool multipart)
{
    if (multipart)
        return GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
    switch (declared) {
    case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
    case GMIME_CONTENT_ENCODING_BASE64:
    case GMIME_CONTENT_ENCODING_8BIT:
    case GMIME_CONTENT_ENCODING_BINARY:
        return declared;
    case GMIME_CONTENT_ENCODING_7BIT:
        return ascii ? declared : GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
    default:
        return GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
    }
}

// The Content-Type value that declares the text: none when the declared type
// (none when the header has no Content-Type) does. A missing, multipart or
// non-text type becomes text/html in UTF-8. Sets the charset of type.
std::optional<QByteArray> contentTypeFor(GMimeContentType *type, const QByteArray &lineBreak, bool ascii)
{
    if (!type || !g_mime_content_type_is_type(type, "text", "*"))
        return QByteArrayLiteral("text/html; charset=utf-8");
    const char *charset = g_mime_content_type_get_parameter(type, "charset");
    if (ascii || (charset && g_ascii_strcasecmp(charset, "utf-8") == 0))
        return std::nullopt;
    g_mime_content_type_set_parameter(type, "charset", "utf-8");
    GMimeFormatOptions *options = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(options, lineBreak == "\r\n" ? GMIME_NEWLINE_FORMAT_DOS
                                                                          : GMIME_NEWLINE_FORMAT_UNIX);
    char *encoded = g_mime_content_type_encode(type, options);
    const QByteArray value = QByteArray(encoded).trimmed();
    g_free(encoded);
    g_mime_format_options_free(options);
    return value;
}

// A body written in encoding, decoded, as UTF-8 text; none when it is not UTF-8.
std::optional<QString> decoded(const QString &body, GMimeContentEncoding encoding)
{
    QByteArray bytes = body.toUtf8();
    if (encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE || encoding == GMIME_CONTENT_ENCODING_BASE64)
        bytes = transcoded(bytes, encoding, false);
    return SignatureFileFormat::decodeUtf8(bytes);
}

} // namespace

std::optional<AppleSignatureContent> SignatureFileFormat::split(const QString &text)
{
    qsizetype line = 0;
    qsizetype previousBreak = 0;
    while (line < text.size()) {
        const qsizetype emptyLine = text.at(line) == u'\n' ? 1 : text.mid(line, 2) == u"\r\n" ? 2 : 0;
        if (emptyLine > 0)
            return AppleSignatureContent{text.left(line - previousBreak), text.mid(line + emptyLine)};
        const qsizetype feed = text.indexOf(u'\n', line);
        if (feed < 0)
            break;
        previousBreak = feed > 0 && text.at(feed - 1) == u'\r' ? 2 : 1;
        line = feed + 1;
    }
    return std::nullopt;
}

std::optional<AppleSignatureContent> SignatureFileFormat::parse(const QByteArray &bytes)
{
    const std::optional<QString> text = decodeUtf8(bytes);
    return text ? split(*text) : std::nullopt;
}

std::optional<QByteArray> SignatureFileFormat::compose(const QString &header, const QString &html)
{
    MimeLibrary::ensureInitialized();
    std::optional<MimeHeader> fields = MimeHeader::parse(header.toUtf8());
    if (!fields)
        return std::nullopt;
    const QByteArray text = html.toUtf8();
    const bool ascii = isAscii(text);
    const std::optional<QByteArray> declaredType = fields->value(contentTypeField);
    const auto type =
        MimeLibrary::own(g_mime_content_type_parse(nullptr, declaredType.value_or("").constData()));
    const bool multipart = declaredType && g_mime_content_type_is_type(type.get(), "multipart", "*");
    const GMimeContentEncoding declared = declaredEncoding(*fields);
    const GMimeContentEncoding encoding = encodingFor(declared, ascii, multipart);

    if (const std::optional<QByteArray> value =
            contentTypeFor(declaredType ? type.get() : nullptr, fields->lineBreak(), ascii))
        fields = fields->with(contentTypeField, *value);
    if (fields && encoding != declared)
        fields = fields->with(encodingField, QByteArrayLiteral("quoted-printable"));
    if (!fields)
        return std::nullopt;

    QByteArray body = text;
    if (encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE)
        body = quotedPrintable(text);
    else if (encoding == GMIME_CONTENT_ENCODING_BASE64)
        body = transcoded(text, encoding, true);
    const QByteArray lineBreak = fields->lineBreak();
    return fields->bytes() + lineBreak + lineBreak + body;
}

std::optional<QString> SignatureFileFormat::decodedBody(const AppleSignatureContent &content)
{
    MimeLibrary::ensureInitialized();
    const std::optional<MimeHeader> fields = MimeHeader::parse(content.header.toUtf8());
    return decoded(content.htmlContent, fields ? declaredEncoding(*fields) : GMIME_CONTENT_ENCODING_7BIT);
}

QString SignatureFileFormat::previewBody(const AppleSignatureContent &content)
{
    // The preview decodes quoted-printable itself, leniently, as Mail's own
    // files need it (and as a header it cannot read is taken to mean).
    const std::optional<MimeHeader> fields = MimeHeader::parse(content.header.toUtf8());
    if (!fields || declaredEncoding(*fields) == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE)
        return content.htmlContent;
    const std::optional<QString> text = decoded(content.htmlContent, declaredEncoding(*fields));
    return text ? previewText(*text) : content.htmlContent;
}

QString SignatureFileFormat::previewText(const QString &html)
{
    MimeLibrary::ensureInitialized();
    return QString::fromLatin1(quotedPrintable(html.toUtf8()));
}

std::optional<QString> SignatureFileFormat::decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<qsizetype> SignatureFileFormat::invalidUtf8Offset(const QByteArray &bytes)
{
    if (decodeUtf8(bytes))
        return std::nullopt;
    const char *end = bytes.constData();
    g_utf8_validate_len(bytes.constData(), static_cast<gsize>(bytes.size()), &end);
    return end - bytes.constData();
}
