#include "store/SignatureFileFormat.h"

#include "store/ImageScan.h"
#include "store/MimeHeader.h"
#include "store/MimeLibrary.h"
#include "store/RelatedBody.h"
#include "store/SignatureParts.h"

#include <QSet>
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

// A body written in encoding, decoded, as text in charset (UTF-8 when none
// is named); none when its bytes are not valid in it.
std::optional<QString> decoded(const QString &body, GMimeContentEncoding encoding, const char *charset)
{
    QByteArray bytes = body.toUtf8();
    if (encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE || encoding == GMIME_CONTENT_ENCODING_BASE64)
        bytes = transcoded(bytes, encoding, false);
    if (!charset || g_ascii_strcasecmp(g_mime_charset_canon_name(charset), "utf-8") == 0)
        return SignatureFileFormat::decodeUtf8(bytes);
    gsize written = 0;
    char *utf8 = g_convert(bytes.constData(), bytes.size(), "UTF-8", g_mime_charset_iconv_name(charset),
                           nullptr, &written, nullptr);
    if (!utf8)
        return std::nullopt;
    const QString text = QString::fromUtf8(utf8, static_cast<qsizetype>(written));
    g_free(utf8);
    return text;
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

namespace {

struct Composed
{
    MimeHeader fields;
    QByteArray content;
    GMimeContentEncoding encoding;

    QByteArray bytes() const { return fields.bytes() + fields.lineBreak() + fields.lineBreak() + content; }
};

// html under header, as compose() writes it; quoted-printable when the
// declared encoding would have been 7bit, 8bit or binary and qpOnly is set.
std::optional<Composed> composed(const QByteArray &header, const QString &html, bool qpOnly = false)
{
    MimeLibrary::ensureInitialized();
    std::optional<MimeHeader> fields = MimeHeader::parse(header);
    if (!fields)
        return std::nullopt;
    const QByteArray text = html.toUtf8();
    const bool ascii = isAscii(text);
    const std::optional<QByteArray> declaredType = fields->value(contentTypeField);
    const auto type =
        MimeLibrary::own(g_mime_content_type_parse(nullptr, declaredType.value_or("").constData()));
    const bool multipart = declaredType && g_mime_content_type_is_type(type.get(), "multipart", "*");
    const GMimeContentEncoding declared = declaredEncoding(*fields);
    GMimeContentEncoding encoding = encodingFor(declared, ascii, multipart);
    if (qpOnly && encoding != GMIME_CONTENT_ENCODING_BASE64)
        encoding = GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;

    if (const std::optional<QByteArray> value =
            contentTypeFor(declaredType ? type.get() : nullptr, fields->lineBreak(), ascii))
        fields = fields->with(contentTypeField, *value);
    if (fields && encoding != declared)
        fields = fields->with(encodingField, QByteArrayLiteral("quoted-printable"));
    if (!fields)
        return std::nullopt;

    QByteArray content = text;
    if (encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE)
        content = quotedPrintable(text);
    else if (encoding == GMIME_CONTENT_ENCODING_BASE64)
        content = transcoded(text, encoding, true);
    return Composed{*fields, content, encoding};
}

bool isMultipart(const std::optional<MimeHeader> &fields)
{
    const std::optional<QByteArray> declared = fields ? fields->value(contentTypeField) : std::nullopt;
    if (!declared)
        return false;
    const auto type = MimeLibrary::own(g_mime_content_type_parse(nullptr, declared->constData()));
    return g_mime_content_type_is_type(type.get(), "multipart", "*");
}

// The HTML part of a multipart body under boundary: its header and content,
// no line of which reads as the boundary.
std::optional<QByteArray> htmlPart(const QByteArray &header, const QString &html, const QByteArray &boundary)
{
    std::optional<Composed> part = composed(header, html, true);
    if (part && part->encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE)
        part->content = RelatedBody::guarded(part->content, boundary);
    return part ? std::optional(part->bytes()) : std::nullopt;
}

// The content ids that html names as images.
class NamedParts : public ImageScan
{
public:
    QSet<QString> ids;

protected:
    void image(const Image &image) override
    {
        if (const std::optional<QString> id = SignatureImage::contentIdOf(image.address))
            ids.insert(*id);
    }
};

// The body of content decoded as its own header declares, as one part.
std::optional<QString> decodedPart(const AppleSignatureContent &content)
{
    const std::optional<MimeHeader> fields = MimeHeader::parse(content.header.toUtf8());
    const std::optional<QByteArray> declaredType = fields ? fields->value(contentTypeField) : std::nullopt;
    const auto type =
        MimeLibrary::own(g_mime_content_type_parse(nullptr, declaredType.value_or("").constData()));
    const char *charset = declaredType ? g_mime_content_type_get_parameter(type.get(), "charset") : nullptr;
    return decoded(content.htmlContent, fields ? declaredEncoding(*fields) : GMIME_CONTENT_ENCODING_7BIT,
                   charset);
}

// What content holds, read from its parts when it has them.
std::optional<SignatureFileFormat::Body> bodyOf(const AppleSignatureContent &content,
                                                const std::optional<SignatureParts> &parts)
{
    if (!parts) {
        const std::optional<QString> html = decodedPart(content);
        return html ? std::optional(SignatureFileFormat::Body{*html, {}}) : std::nullopt;
    }
    if (!parts->html())
        return std::nullopt;
    const std::optional<QString> html =
        decodedPart({QString::fromUtf8(parts->htmlHeader()), QString::fromUtf8(parts->htmlContent())});
    if (!html)
        return std::nullopt;
    SignatureFileFormat::Body body{*html, {}};
    for (const SignatureParts::Part &part : parts->others())
        body.parts.append(part.image);
    return body;
}

} // namespace

std::optional<QByteArray> SignatureFileFormat::compose(const QString &header, const QString &html)
{
    const std::optional<Composed> file = composed(header.toUtf8(), html);
    return file ? std::optional(file->bytes()) : std::nullopt;
}

std::optional<QByteArray> SignatureFileFormat::compose(const AppleSignatureContent &file, const QString &html,
                                                       const QList<SignatureImage> &available,
                                                       QList<SignatureImage> *leftOut,
                                                       std::optional<Body> *held)
{
    MimeLibrary::ensureInitialized();
    const QByteArray header = file.header.toUtf8();
    const std::optional<MimeHeader> fields = MimeHeader::parse(header);
    if (!fields)
        return std::nullopt;
    const QSet<QString> named = namedContentIds(html);
    // Parts kept in place are copied as they are: their bytes need no decoding.
    std::optional<SignatureParts> parts =
        isMultipart(fields) ? SignatureParts::read(header, file.htmlContent.toUtf8(), false) : std::nullopt;
    const bool inPlace = parts && parts->html() && parts->isFlatRelated();
    if (held)
        *held = bodyOf(file, parts);

    std::optional<SignatureParts> decoded;
    QList<SignatureImage> images;
    QList<qsizetype> kept;
    for (qsizetype i = 0; parts && i < parts->others().size(); ++i) {
        const SignatureImage &part = parts->others().at(i).image;
        if (!part.contentId.isEmpty() && named.contains(part.contentId)) {
            kept.append(i);
            images.append(part);
            // A body built anew encodes them again.
            if (!inPlace && !decoded)
                decoded = SignatureParts::read(header, file.htmlContent.toUtf8());
            if (!inPlace)
                images.last().data = decoded->others().at(i).image.data;
        } else if (leftOut) {
            leftOut->append(part);
        }
    }
    QList<SignatureImage> added;
    for (const SignatureImage &image : available) {
        const bool present = std::any_of(images.cbegin(), images.cend(), [&](const SignatureImage &held) {
            return held.contentId == image.contentId;
        });
        if (!present && named.contains(image.contentId)) {
            added.append(image);
            images.append(image);
        }
    }
    if (images.isEmpty())
        return compose(file.header, html);

    const QByteArray lineBreak = fields->lineBreak();
    if (inPlace) {
        const std::optional<QByteArray> part = htmlPart(parts->htmlHeader(), html, parts->boundary());
        if (!part)
            return std::nullopt;
        return header + lineBreak + lineBreak + RelatedBody::spliced(*parts, *part, kept, added);
    }
    const QByteArray boundary = RelatedBody::newBoundary();
    std::optional<MimeHeader> outer =
        fields->with(contentTypeField, RelatedBody::contentType(boundary, lineBreak));
    if (outer)
        outer = outer->without(encodingField);
    const std::optional<QByteArray> part =
        htmlPart("Content-Transfer-Encoding: quoted-printable" + lineBreak + "Content-Type: text/html;" +
                     lineBreak + "\tcharset=utf-8",
                 html, boundary);
    if (!outer || !part)
        return std::nullopt;
    return outer->bytes() + lineBreak + lineBreak + RelatedBody::built(*part, images, boundary, lineBreak);
}

std::optional<SignatureFileFormat::Body> SignatureFileFormat::body(const AppleSignatureContent &content,
                                                                   bool withData)
{
    MimeLibrary::ensureInitialized();
    const QByteArray header = content.header.toUtf8();
    return bodyOf(content, isMultipart(MimeHeader::parse(header))
                               ? SignatureParts::read(header, content.htmlContent.toUtf8(), withData)
                               : std::nullopt);
}

QSet<QString> SignatureFileFormat::namedContentIds(const QString &html)
{
    NamedParts named;
    named.scan(html.toUtf8());
    return named.ids;
}

std::optional<QString> SignatureFileFormat::decodedBody(const AppleSignatureContent &content)
{
    const std::optional<Body> read = body(content);
    return read ? std::optional(read->html) : std::nullopt;
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
