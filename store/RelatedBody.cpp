#include "store/RelatedBody.h"

#include "store/MimeLibrary.h"

#include <QUuid>

#include <algorithm>

namespace {

// A part for image, written by GMime, without the line break that ends it:
// that belongs to the boundary after it. The header comes from a part of
// GMime's own, the content from GMime's base64 encoder in one pass, which the
// part's stream of filters would take several times as long for.
QByteArray imagePart(const SignatureImage &image, const QByteArray &lineBreak)
{
    MimeLibrary::ensureInitialized();
    const qsizetype slash = image.type.indexOf('/');
    const QByteArray media = slash < 0 ? QByteArrayLiteral("application") : image.type.first(slash);
    const QByteArray subtype = slash < 0 ? QByteArrayLiteral("octet-stream") : image.type.sliced(slash + 1);
    const auto part = MimeLibrary::own(g_mime_part_new_with_type(media.constData(), subtype.constData()));
    GMimeObject *object = GMIME_OBJECT(part.get());
    g_mime_object_set_disposition(object, GMIME_DISPOSITION_INLINE);
    if (!image.filename.isEmpty())
        g_mime_part_set_filename(part.get(), image.filename.toUtf8().constData());
    g_mime_object_set_content_id(object, image.contentId.toUtf8().constData());
    const auto stream = MimeLibrary::own(g_mime_stream_mem_new());
    const auto content =
        MimeLibrary::own(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part.get(), content.get());
    g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
    GMimeFormatOptions *options = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(options, lineBreak == "\r\n" ? GMIME_NEWLINE_FORMAT_DOS
                                                                          : GMIME_NEWLINE_FORMAT_UNIX);
    char *text = g_mime_object_to_string(object, options);
    g_mime_format_options_free(options);
    QByteArray bytes(text);
    g_free(text);
    const auto size = static_cast<size_t>(image.data.size());
    QByteArray encoded(qsizetype(GMIME_BASE64_ENCODE_LEN(size)), Qt::Uninitialized);
    int state = 0;
    guint32 save = 0;
    encoded.truncate(qsizetype(g_mime_encoding_base64_encode_close(
        reinterpret_cast<const unsigned char *>(image.data.constData()), size,
        reinterpret_cast<unsigned char *>(encoded.data()), &state, &save)));
    if (lineBreak == "\r\n")
        encoded.replace("\n", "\r\n");
    // The header ends in its empty line; only the content's own last line break goes.
    if (encoded.endsWith(lineBreak))
        encoded.chop(lineBreak.size());
    return bytes + encoded;
}

QByteArray lineBreakOf(const QByteArray &bytes)
{
    return bytes.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

} // namespace

QByteArray RelatedBody::spliced(const SignatureParts &parts, const QByteArray &htmlPart,
                                const QList<qsizetype> &kept, const QList<SignatureImage> &added)
{
    struct Piece
    {
        const SignatureParts::Part *part;
        bool kept;
        QByteArray replacement;
    };
    QList<Piece> pieces{{&*parts.html(), true, htmlPart}};
    for (qsizetype i = 0; i < parts.others().size(); ++i)
        pieces.append({&parts.others().at(i), kept.contains(i), {}});
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece &a, const Piece &b) { return a.part->begin < b.part->begin; });

    const QByteArray &body = parts.body();
    // As the HTML part's header ends its lines: the body may be a megabyte.
    const QByteArray lineBreak = lineBreakOf(htmlPart.first(std::min<qsizetype>(htmlPart.size(), 4096)));
    // What stands between two parts: the line break and the boundary line.
    const QByteArray between =
        pieces.size() > 1
            ? body.sliced(pieces.at(0).part->end, pieces.at(1).part->begin - pieces.at(0).part->end)
            : lineBreak + "--" + parts.boundary() + lineBreak;
    qsizetype size = body.size() + htmlPart.size();
    for (const SignatureImage &image : added)
        size += between.size() + image.data.size() * 4 / 3 * 78 / 76 + 512;
    QByteArray out;
    out.reserve(size);
    // Up to the first part: the preamble and the first boundary line.
    const QByteArrayView all(body);
    out += all.first(pieces.first().part->begin);
    bool first = true;
    for (const Piece &piece : pieces) {
        if (!piece.kept)
            continue;
        if (!first)
            out += between;
        first = false;
        out += piece.replacement.isNull() ? all.sliced(piece.part->begin, piece.part->end - piece.part->begin)
                                          : QByteArrayView(piece.replacement);
    }
    for (const SignatureImage &image : added) {
        out += between;
        out += imagePart(image, lineBreak);
    }
    // The closing boundary and whatever follows it.
    out += all.sliced(pieces.constLast().part->end);
    return out;
}

QByteArray RelatedBody::built(const QByteArray &htmlPart, const QList<SignatureImage> &images,
                              const QByteArray &boundary, const QByteArray &lineBreak)
{
    const QByteArray delimiter = "--" + boundary;
    QByteArray out = delimiter + lineBreak + htmlPart;
    for (const SignatureImage &image : images)
        out += lineBreak + delimiter + lineBreak + imagePart(image, lineBreak);
    return out + lineBreak + delimiter + "--" + lineBreak;
}

QByteArray RelatedBody::newBoundary()
{
    return "Apple-Mail=_" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toLatin1();
}

QByteArray RelatedBody::contentType(const QByteArray &boundary, const QByteArray &lineBreak)
{
    return "multipart/related;" + lineBreak + "\ttype=\"text/html\";" + lineBreak + "\tboundary=\"" +
           boundary + '"';
}

QByteArray RelatedBody::guarded(QByteArray content, const QByteArray &boundary)
{
    const QByteArray delimiter = "--" + boundary;
    for (qsizetype at = 0; at < content.size();) {
        // A view: a copy of the rest at every line would be quadratic in the content.
        if (QByteArrayView(content).sliced(at).startsWith(delimiter))
            content.replace(at, 1, "=2D");
        const qsizetype feed = content.indexOf('\n', at);
        if (feed < 0)
            break;
        at = feed + 1;
    }
    return content;
}
