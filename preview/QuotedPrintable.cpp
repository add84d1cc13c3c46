#include "preview/QuotedPrintable.h"

namespace {

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

// One user-perceived character as a single UTF-16 unit, or nothing when the
// character is wider (a combining sequence, a surrogate pair, CR LF).
std::optional<QChar> single(const QString &text, qsizetype from, qsizetype to)
{
    if (to - from != 1)
        return std::nullopt;
    return text.at(from);
}

} // namespace

std::optional<char> QuotedPrintable::byteAfter(const QString &text, QTextBoundaryFinder &characters,
                                               qsizetype equalsSign, qsizetype *next)
{
    characters.setPosition(equalsSign + 1);
    const qsizetype firstEnd = characters.toNextBoundary();
    const qsizetype secondEnd = firstEnd < 0 ? -1 : characters.toNextBoundary();
    if (secondEnd < 0) {
        *next = -1; // fewer than two characters left
        return std::nullopt;
    }
    *next = secondEnd;
    const std::optional<QChar> first = single(text, equalsSign + 1, firstEnd);
    const std::optional<QChar> second = single(text, firstEnd, secondEnd);
    if (!first || !second)
        return std::nullopt;
    const int low = hexValue(*second);
    if (low < 0)
        return std::nullopt;
    if (*first == u'+')
        return static_cast<char>(low);
    if (*first == u'-')
        return *second == u'0' ? std::optional<char>('\0') : std::nullopt;
    const int high = hexValue(*first);
    if (high < 0)
        return std::nullopt;
    return static_cast<char>(high * 16 + low);
}

QString QuotedPrintable::decodedFromQuotedPrintable(const QString &text, QStringConverter::Encoding encoding)
{
    // Positions count user-perceived characters, so the two characters after
    // an equals sign are found by grapheme boundaries, not by UTF-16 units.
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    QString result;
    qsizetype p = 0;
    while (true) {
        const qsizetype equalsSign = text.indexOf(u'=', p);
        if (equalsSign < 0)
            return result + text.mid(p);
        result += QStringView(text).mid(p, equalsSign - p);
        p = equalsSign;

        // Consecutive escapes form one run, so a character whose bytes are
        // spread over several escapes comes out whole.
        QByteArray run;
        do {
            qsizetype next = -1;
            const std::optional<char> byte = byteAfter(text, characters, p, &next);
            if (!byte)
                return text;
            run.append(*byte);
            p = next;
        } while (p < text.size() && text.at(p) == u'=');

        // A run that begins with EF BB BF is a U+FEFF in the text, not a
        // byte-order mark: without ConvertInitialBom it would vanish, or not,
        // depending on whether the character before it happened to be escaped.
        QStringDecoder decoder(encoding,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        const QString decoded = decoder.decode(run);
        if (decoder.hasError())
            return text;
        result += decoded;
    }
}
