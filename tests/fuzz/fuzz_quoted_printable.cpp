// The preview's decoding gives the text back unchanged, or as a MIME library decodes it.
#include "preview/QuotedPrintable.h"
#include "store/MimeLibrary.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MimeLibrary::ensureInitialized();
    const QString text = fuzz::text(fuzz::bytes(data, size));
    const QString decoded = QuotedPrintable::decodedFromQuotedPrintable(text);
    if (decoded == text)
        return 0;
    FUZZ_CHECK(text.contains(u'=') && decoded.size() < text.size());
    // Beyond the standard: "=+X" for one hex digit and "=-0" for a zero byte.
    if (text.contains(QLatin1String("=+")) || text.contains(QLatin1String("=-")))
        return 0;
    const QByteArray encoded = text.toUtf8();
    GMimeEncoding state;
    g_mime_encoding_init_decode(&state, GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
    QByteArray reference(static_cast<qsizetype>(g_mime_encoding_outlen(&state, encoded.size())),
                         Qt::Uninitialized);
    reference.truncate(static_cast<qsizetype>(
        g_mime_encoding_flush(&state, encoded.constData(), encoded.size(), reference.data())));
    FUZZ_CHECK(fuzz::isValidUtf8(reference) && decoded == fuzz::text(reference));
    return 0;
}
