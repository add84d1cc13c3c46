#include "store/ImageScan.h"

#include <algorithm>

namespace {

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isCssSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isIdentChar(char c)
{
    return isAsciiAlpha(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Whether text at `at` starts with the lower-case `word`, in any case.
bool startsWithWord(QByteArrayView text, qsizetype at, QByteArrayView word)
{
    return text.size() - at >= word.size() &&
           QByteArrayView(text.data() + at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

} // namespace

void ImageScan::tag(const unsigned char *, const unsigned char **) {}

void ImageScan::import() {}

void ImageScan::element(const unsigned char *name, const unsigned char **attributes)
{
    tag(name, attributes);
    // Names come lower-cased from the parser.
    const bool isImg = is(name, "img");
    const bool isImage = isImg || is(name, "input") || is(name, "image");
    bool sized = false;
    for (const unsigned char **pair = attributes; isImg && pair && pair[0]; pair += 2)
        sized = sized || is(pair[0], "width") || is(pair[0], "height");
    for (const unsigned char **pair = attributes; pair && pair[0]; pair += 2) {
        const unsigned char *attribute = pair[0];
        if (!pair[1])
            continue;
        const QByteArrayView value(reinterpret_cast<const char *>(pair[1]));
        const Image found{value, name, attribute, sized};
        if (is(attribute, "style"))
            css(value, found);
        else if (is(attribute, "srcset") && (isImg || is(name, "source")))
            sourceSet(value, found);
        else if (is(attribute, "background") || (is(attribute, "poster") && is(name, "video")) ||
                 (is(attribute, "src") && isImage) || (is(attribute, "data") && is(name, "object")) ||
                 ((is(attribute, "href") || is(attribute, "xlink:href")) && is(name, "image")))
            image(found);
    }
}

void ImageScan::styleSheet(QByteArrayView text)
{
    css(text, Image{{}, reinterpret_cast<const unsigned char *>("style"), nullptr, false});
}

// "a.png 1x, data:image/png;base64,AAAA 2x": each candidate's address runs to
// the next white space (a data: address holds commas), its descriptors to the
// next comma outside parentheses.
void ImageScan::sourceSet(QByteArrayView value, Image found)
{
    qsizetype i = 0;
    const qsizetype size = value.size();
    while (i < size) {
        while (i < size && (isCssSpace(value[i]) || value[i] == ','))
            ++i;
        const qsizetype begin = i;
        while (i < size && !isCssSpace(value[i]))
            ++i;
        qsizetype end = i;
        const bool endsCandidate = end > begin && value[end - 1] == ',';
        while (end > begin && value[end - 1] == ',')
            --end;
        if (end > begin) {
            found.address = value.sliced(begin, end - begin);
            image(found);
        }
        if (endsCandidate)
            continue;
        int parentheses = 0;
        while (i < size && (value[i] != ',' || parentheses > 0)) {
            if (value[i] == '(')
                ++parentheses;
            else if (value[i] == ')' && parentheses > 0)
                --parentheses;
            ++i;
        }
    }
}

// Every url(...) outside comments and strings is an image, every @import a
// style sheet from elsewhere.
void ImageScan::css(QByteArrayView text, Image found)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    auto skipString = [&](qsizetype at) {
        const char quote = text[at];
        qsizetype j = at + 1;
        while (j < size && text[j] != quote && text[j] != '\n') {
            j += text[j] == '\\' ? 2 : 1;
        }
        return std::min(j + 1, size);
    };
    while (i < size) {
        const char c = text[i];
        if (c == '/' && i + 1 < size && text[i + 1] == '*') {
            const qsizetype close = text.indexOf(QByteArrayView("*/"), i + 2);
            i = close < 0 ? size : close + 2;
        } else if (c == '"' || c == '\'') {
            i = skipString(i);
        } else if (c == '@' && startsWithWord(text, i + 1, "import") &&
                   (i + 7 >= size || !isIdentChar(text[i + 7]))) {
            import();
            // Its address is a style sheet, not an image.
            i += 7;
            while (i < size && text[i] != ';')
                i = (text[i] == '"' || text[i] == '\'') ? skipString(i) : i + 1;
        } else if ((c == 'u' || c == 'U') && startsWithWord(text, i, "url(") &&
                   (i == 0 || !isIdentChar(text[i - 1]))) {
            i = cssUrl(text, i + 4, found);
        } else {
            ++i;
        }
    }
}

qsizetype ImageScan::cssUrl(QByteArrayView text, qsizetype at, Image found)
{
    const qsizetype size = text.size();
    while (at < size && isCssSpace(text[at]))
        ++at;
    if (at < size && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at];
        const qsizetype begin = at + 1;
        qsizetype end = begin;
        while (end < size && text[end] != quote)
            end += text[end] == '\\' ? 2 : 1;
        end = std::min(end, size);
        found.address = text.sliced(begin, end - begin);
        image(found);
        const qsizetype close = text.indexOf(')', std::min(end + 1, size));
        return close < 0 ? size : close + 1;
    }
    const qsizetype close = text.indexOf(')', at);
    const qsizetype end = close < 0 ? size : close;
    found.address = text.sliced(at, end - at);
    image(found);
    return close < 0 ? size : close + 1;
}
