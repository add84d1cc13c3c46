// The .mailsignature format: decoding, the split, and what an insert writes, into a file of one part and
// into the file itself, multipart ones among them.
#include "store/MimeLibrary.h"
#include "store/SignatureFileFormat.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QStringList>

#include <algorithm>

namespace {

// Headers as Mail and users have them; every one must carry any text.
const char *const headers[] = {
    "Content-Transfer-Encoding: quoted-printable\nContent-Type: text/html;\n\tcharset=utf-8\nX-A: <a@b>",
    "Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/html;\r\n\tcharset=us-ascii\r\nX-A: 1",
    "Content-Type: text/html; charset=us-ascii\nContent-Transfer-Encoding: 7bit\nMime-Version: 1.0",
    "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: 8bit",
    "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: base64",
    "Content-Type: text/html;\n\tcharset=utf-8\nMessage-Id: <a@b>",
    "Content-Type: multipart/related;\n\tboundary=\"B\"\nContent-Transfer-Encoding: 7bit\nMime-Version: 1.0",
};

// The header's lines but the Content- fields and their continuation lines, the fields an insert may rewrite.
QStringList untouched(QString header)
{
    QStringList lines = header.remove(u'\r').split(u'\n');
    lines.removeIf([](const QString &line) {
        return line.startsWith(QLatin1String("content-"), Qt::CaseInsensitive) || line.startsWith(u'\t') ||
               line.startsWith(u' ');
    });
    return lines;
}

// What GMime, as a MIME reader, decodes from a written file's body.
QByteArray decodedBody(const AppleSignatureContent &file)
{
    GMimeContentEncoding encoding = GMIME_CONTENT_ENCODING_7BIT;
    for (const QString &field : file.header.split(u'\n')) {
        if (field.startsWith(QLatin1String("Content-Transfer-Encoding:")))
            encoding = g_mime_content_encoding_from_string(field.mid(26).trimmed().toLatin1().constData());
    }
    const QByteArray bytes = file.htmlContent.toUtf8();
    if (encoding != GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE && encoding != GMIME_CONTENT_ENCODING_BASE64)
        return bytes;
    GMimeEncoding state;
    g_mime_encoding_init_decode(&state, encoding);
    QByteArray out(static_cast<qsizetype>(g_mime_encoding_outlen(&state, bytes.size())), Qt::Uninitialized);
    out.truncate(qsizetype(g_mime_encoding_step(&state, bytes.constData(), bytes.size(), out.data())));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MimeLibrary::ensureInitialized();
    const QByteArray bytes = fuzz::bytes(data, size);
    // Exactly the valid UTF-8 decodes, byte for byte (a byte-order mark included).
    const std::optional<QString> decoded = SignatureFileFormat::decodeUtf8(bytes);
    FUZZ_CHECK(decoded.has_value() == fuzz::isValidUtf8(bytes) && (!decoded || decoded->toUtf8() == bytes));
    const QString text = decoded ? *decoded : fuzz::text(bytes);

    // Whatever splits is the text cut at its first empty line; only a text without one does not split.
    const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(text);
    FUZZ_CHECK(content.has_value() == (text.startsWith(u'\n') || text.startsWith(QLatin1String("\r\n")) ||
                                       text.contains(QLatin1String("\n\n")) ||
                                       text.contains(QLatin1String("\n\r\n"))));
    if (content) {
        const qsizetype cut = content->header.size();
        FUZZ_CHECK(text.startsWith(content->header) && text.endsWith(content->htmlContent));
        FUZZ_CHECK(QStringList({"\n", "\r\n", "\n\n", "\r\n\r\n", "\n\r\n", "\r\n\n"})
                       .contains(text.mid(cut, text.size() - cut - content->htmlContent.size())));
        FUZZ_CHECK(!content->header.contains(QLatin1String("\n\n")) &&
                   !content->header.contains(QLatin1String("\n\r\n")));
    }

    // Written under each header, the text reads back exactly, other fields kept, and previews as itself.
    for (const char *header : headers) {
        const std::optional<QByteArray> file = SignatureFileFormat::compose(QString::fromUtf8(header), text);
        const std::optional<QString> back = file ? SignatureFileFormat::decodeUtf8(*file) : std::nullopt;
        const std::optional<AppleSignatureContent> split =
            back ? SignatureFileFormat::split(*back) : std::nullopt;
        FUZZ_CHECK(split && decodedBody(*split) == text.toUtf8());
        FUZZ_CHECK(untouched(split->header) == untouched(QString::fromUtf8(header)));
        FUZZ_CHECK(SignatureFileFormat::decodedBody(*split).value_or(QString()).toUtf8() == text.toUtf8());
    }

    // The input as a file: read whole, its parts named; HTML put into it that names every part it has reads
    // back as that HTML, with each of those parts still there.
    if (content) {
        const std::optional<SignatureFileFormat::Body> body = SignatureFileFormat::body(*content);
        if (body) {
            QString html = QStringLiteral("<p>x</p>");
            for (const SignatureImage &part : body->parts) {
                const bool plain = std::all_of(part.contentId.cbegin(), part.contentId.cend(), [](QChar c) {
                    return (c.isLetterOrNumber() && c.unicode() < 0x80) || c == u'@' || c == u'.' ||
                           c == u'-';
                });
                if (!part.contentId.isEmpty() && plain)
                    html += QStringLiteral("<img src=\"cid:%1\">").arg(part.contentId);
            }
            const std::optional<QByteArray> file = SignatureFileFormat::compose(*content, html);
            const std::optional<AppleSignatureContent> back =
                file ? SignatureFileFormat::parse(*file) : std::nullopt;
            const std::optional<SignatureFileFormat::Body> read =
                back ? SignatureFileFormat::body(*back) : std::nullopt;
            FUZZ_CHECK(!file || (read && read->html == html));
            for (const QString &id : SignatureFileFormat::namedContentIds(html)) {
                FUZZ_CHECK(!read ||
                           std::any_of(read->parts.cbegin(), read->parts.cend(),
                                       [&](const SignatureImage &part) { return part.contentId == id; }));
            }
        }
    }
    return 0;
}
