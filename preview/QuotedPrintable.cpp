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

// Whether the two characters after the equals sign are single ASCII units
// with a character boundary after them. Only CR LF and marks outside ASCII
// join units into one character, so that holds when both are ASCII but not
// CR and what follows is ASCII or the end.
bool isPlainPair(const QString &text, qsizetype equalsSign)
{
    const qsizetype end = equalsSign + 3;
    if (end > text.size())
        return false;
    const auto plain = [](QChar c) { return c.unicode() < 0x80 && c != u'\r'; };
    return plain(text.at(equalsSign + 1)) && plain(text.at(equalsSign + 2)) &&
           (end == text.size() || text.at(end).unicode() < 0x80);
}

} // namespace

std::optional<char> QuotedPrintable::byteAfter(const QString &text,
                                               std::optional<QTextBoundaryFinder> &characters,
                                               qsizetype equalsSign, qsizetype *next)
{
    std::optional<QChar> first;
    std::optional<QChar> second;
    if (isPlainPair(text, equalsSign)) {
        *next = equalsSign + 3;
        first = text.at(equalsSign + 1);
        second = text.at(equalsSign + 2);
    } else {
        // Made on first need: finding every boundary of a long text costs
        // more than all the rest of the decoding.
        if (!characters)
            characters.emplace(QTextBoundaryFinder::Grapheme, text);
        characters->setPosition(equalsSign + 1);
        const qsizetype firstEnd = characters->toNextBoundary();
        const qsizetype secondEnd = firstEnd < 0 ? -1 : characters->toNextBoundary();
        if (secondEnd < 0) {
            *next = -1; // fewer than two characters left
            return std::nullopt;
        }
        *next = secondEnd;
        first = single(text, equalsSign + 1, firstEnd);
        second = single(text, firstEnd, secondEnd);
    }
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
    std::optional<QTextBoundaryFinder> characters;
    QString result;
    result.reserve(text.size());
    qsizetype p = 0;
    while (true) {
        const qsizetype equalsSign = text.indexOf(u'=', p);
        if (equalsSign < 0) {
            result += QStringView(text).sliced(p);
            return result;
        }
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
