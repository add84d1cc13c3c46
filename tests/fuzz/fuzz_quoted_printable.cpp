// Quoted-printable decoding is all or nothing: either the text comes back as
// it was given, or every equals sign in it began an escape and every escaped
// byte was decoded.
#include "preview/QuotedPrintable.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QList>
#include <QStringDecoder>

namespace {

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// The byte an escape's two characters stand for, or -1 when they are malformed.
int escapedByte(QChar first, QChar second)
{
    const int low = hexValue(second);
    if (first == u'+')
        return low;
    if (first == u'-')
        return second == u'0' ? 0 : -1;
    const int high = hexValue(first);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Decoding for ASCII text, where each UTF-16 unit is one character: the one
// wider character, CR LF, never takes part in a well-formed escape.
QString asciiReference(const QString &text)
{
    QString result;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i) != u'=') {
            result += text.at(i++);
            continue;
        }
        QByteArray run;
        while (i < text.size() && text.at(i) == u'=') {
            if (text.size() - i < 3)
                return text;
            const int byte = escapedByte(text.at(i + 1), text.at(i + 2));
            if (byte < 0)
                return text;
            run += static_cast<char>(byte);
            i += 3;
        }
        if (!fuzz::isValidUtf8(run))
            return text;
        // Not QString::fromUtf8, which drops a leading U+FEFF as a byte-order mark.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        result += decoder.decode(run);
    }
    return result;
}

// For any text: a changed result is shorter, every equals sign of the input
// began a well-formed escape, and the stretches between escapes are kept, in order.
void checkAllOrNothing(const QString &text, const QString &decoded)
{
    if (!text.contains(u'=')) {
        FUZZ_CHECK(decoded == text);
        return;
    }
    if (decoded == text)
        return;
    FUZZ_CHECK(decoded.size() < text.size());
    qsizetype i = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype equalsSign = text.indexOf(u'=', i);
        const QStringView plain = QStringView(text).mid(i, (equalsSign < 0 ? text.size() : equalsSign) - i);
        if (i == 0) {
            FUZZ_CHECK(decoded.startsWith(plain));
            from = plain.size();
        } else {
            const qsizetype at = decoded.indexOf(plain, from);
            FUZZ_CHECK(at >= 0);
            from = at + plain.size();
        }
        if (equalsSign < 0) {
            FUZZ_CHECK(decoded.endsWith(plain));
            return;
        }
        FUZZ_CHECK(text.size() - equalsSign >= 3);
        FUZZ_CHECK(escapedByte(text.at(equalsSign + 1), text.at(equalsSign + 2)) >= 0);
        i = equalsSign + 3;
    }
}

// Deterministic choices drawn from the input itself.
class Choices
{
public:
    explicit Choices(const QByteArray &seed)
    {
        for (const char c : seed)
            m_state = (m_state ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    bool next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state & 1;
    }

private:
    uint64_t m_state = 14695981039346656037ULL;
};

// Characters that may stand unescaped next to an escape without joining it
// into one user-perceived character: Latin letters and CJK ideographs.
bool isSafeLiteral(char32_t c)
{
    return (c >= 0xC0 && c <= 0x24F) || (c >= 0x4E00 && c <= 0x9FFF);
}

void appendEscaped(QString &out, unsigned char byte, Choices &choices)
{
    static const char upper[] = "0123456789ABCDEF";
    static const char lower[] = "0123456789abcdef";
    if (byte == 0 && choices.next()) {
        out += QLatin1String("=-0");
    } else if (byte < 16 && choices.next()) {
        out += QLatin1String("=+");
        out += QLatin1Char(upper[byte]);
    } else {
        const char *digits = choices.next() ? upper : lower;
        out += u'=';
        out += QLatin1Char(digits[byte >> 4]);
        out += QLatin1Char(digits[byte & 0xF]);
    }
}

// Encodes text so that decoding must give it back exactly: every equals sign
// and every character outside ASCII (but some safe letters) escaped, plus a
// random choice of other ASCII characters, in every accepted form.
QString encoded(const QString &text, Choices &choices)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        // One code point at a time (QString::fromUcs4 would drop a U+FEFF as a byte-order mark).
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, width);
        i += width;
        const char32_t c = character.toUcs4().constFirst();
        const bool mustEscape = c == U'=' || (c >= 0x80 && !(isSafeLiteral(c) && choices.next()));
        if (mustEscape || choices.next()) {
            for (const char byte : character.toUtf8())
                appendEscaped(out, static_cast<unsigned char>(byte), choices);
        } else {
            out += character;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const QString text = fuzz::text(bytes);

    const QString decoded = QuotedPrintable::decodedFromQuotedPrintable(text);
    checkAllOrNothing(text, decoded);
    if (isAscii(text))
        FUZZ_CHECK(decoded == asciiReference(text));

    // The input taken as the text to encode: decoding its encoding gives it back.
    Choices choices(bytes);
    const QString encodedText = encoded(text, choices);
    const QString roundTrip = QuotedPrintable::decodedFromQuotedPrintable(encodedText);
    checkAllOrNothing(encodedText, roundTrip);
    FUZZ_CHECK(roundTrip == text);
    return 0;
}
