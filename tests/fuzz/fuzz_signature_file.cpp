// The .mailsignature format: decoding, the split, and composing then splitting.
#include "store/SignatureFileFormat.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const QString blankLine = QStringLiteral("\n\n");
const QString blankLineTag = QStringLiteral("\n\n<");

// Whatever splits composes back to the very same text, and the split succeeds
// exactly when one of its two separators occurs once.
void checkSplit(const QString &text)
{
    const int tagSeparators = fuzz::occurrences(text, blankLineTag);
    const int plainSeparators = fuzz::occurrences(text, blankLine);
    const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(text);
    FUZZ_CHECK(content.has_value() == (tagSeparators == 1 || plainSeparators == 1));
    if (!content)
        return;
    FUZZ_CHECK(SignatureFileFormat::compose(content->header, content->htmlContent) == text);
    if (tagSeparators == 1) {
        FUZZ_CHECK(content->htmlContent.startsWith(u'<'));
        FUZZ_CHECK(!content->header.contains(blankLineTag));
    }
}

// What the insert writes must read back as what was previewed.
void checkRoundTrip(const QString &header, const QString &html)
{
    const std::optional<AppleSignatureContent> back =
        SignatureFileFormat::split(SignatureFileFormat::compose(header, html));
    const bool same = back && back->header == header && back->htmlContent == html;

    // HTML that begins with a tag, and no blank line followed by a tag in either text.
    if (html.startsWith(u'<') && !header.contains(blankLineTag) && !html.contains(blankLineTag))
        FUZZ_CHECK(same);

    // Any body, when the separator is the only blank line and no line feed touches it.
    if (!header.contains(blankLine) && !html.contains(blankLine) && !header.endsWith(u'\n') &&
        !html.startsWith(u'\n'))
        FUZZ_CHECK(same);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);

    // Exactly the valid UTF-8 decodes, and it decodes byte for byte (a
    // byte-order mark included).
    const std::optional<QString> decoded = SignatureFileFormat::decodeUtf8(bytes);
    FUZZ_CHECK(decoded.has_value() == fuzz::isValidUtf8(bytes));
    if (decoded)
        FUZZ_CHECK(decoded->toUtf8() == bytes);

    const QString text = decoded ? *decoded : fuzz::text(bytes);
    checkSplit(text);

    // The first two bytes choose where the text is cut into header and HTML.
    const qsizetype cut = size >= 2 ? (data[0] | data[1] << 8) % (text.size() + 1) : 0;
    const QString header = text.left(cut);
    const QString body = text.mid(cut);
    checkRoundTrip(header, body);
    if (!body.startsWith(u'<'))
        checkRoundTrip(header, u'<' + body);
    return 0;
}
