#include "notes/DarkScheme.h"

#include "store/HtmlScan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace {

bool isCssSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isIdentChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// Whether a list of schemes ("light dark", "only light") names dark.
bool namesDark(QByteArrayView value)
{
    for (const QByteArray &token : value.toByteArray().toLower().simplified().split(' ')) {
        if (token == "dark")
            return true;
    }
    return false;
}

class Scan : public HtmlScan
{
public:
    bool declared = false;

protected:
    void element(const unsigned char *name, const unsigned char **attributes) override
    {
        const bool isMeta = is(name, "meta");
        bool namesScheme = false;
        QByteArrayView content;
        for (const unsigned char **pair = attributes; pair && pair[0]; pair += 2) {
            if (!pair[1])
                continue;
            const QByteArrayView value(reinterpret_cast<const char *>(pair[1]));
            if (is(pair[0], "style")) {
                styleSheet(value);
            } else if (isMeta && is(pair[0], "name")) {
                const QByteArray metaName = value.toByteArray().trimmed().toLower();
                namesScheme = metaName == "color-scheme" || metaName == "supported-color-schemes";
            } else if (isMeta && is(pair[0], "content")) {
                content = value;
            }
        }
        if (namesScheme && namesDark(content))
            declared = true;
    }

    // Every color-scheme (or supported-color-schemes) declaration outside
    // comments and strings; "prefers-color-scheme" is another word.
    void styleSheet(QByteArrayView text) override
    {
        const qsizetype size = text.size();
        qsizetype i = 0;
        while (i < size && !declared) {
            const char c = text[i];
            if (c == '/' && i + 1 < size && text[i + 1] == '*') {
                const qsizetype close = text.indexOf(QByteArrayView("*/"), i + 2);
                i = close < 0 ? size : close + 2;
            } else if (c == '"' || c == '\'') {
                ++i;
                while (i < size && text[i] != c && text[i] != '\n')
                    i += text[i] == '\\' ? 2 : 1;
                ++i;
            } else if (isIdentChar(c) && (i == 0 || !isIdentChar(text[i - 1]))) {
                qsizetype end = i;
                while (end < size && isIdentChar(text[end]))
                    ++end;
                const QByteArray word = text.sliced(i, end - i).toByteArray().toLower();
                i = end;
                if (word != "color-scheme" && word != "supported-color-schemes")
                    continue;
                while (i < size && isCssSpace(text[i]))
                    ++i;
                if (i >= size || text[i] != ':')
                    continue;
                const qsizetype begin = ++i;
                while (i < size && text[i] != ';' && text[i] != '}' && text[i] != '!')
                    ++i;
                declared = namesDark(text.sliced(begin, i - begin));
            } else {
                ++i;
            }
        }
    }
};

} // namespace

bool DarkScheme::isDeclared(const QString &html)
{
    Scan scan;
    scan.scan(html.toUtf8());
    return scan.declared;
}
