// The update script: whatever the HTML, one call of update() with one
// double-quoted string that the page's script engine takes as it is.
#include "preview/UpdateScript.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString html = fuzz::text(fuzz::bytes(data, size));
    const QString script = UpdateScript::build(html);

    const QLatin1String open("update(\"");
    const QLatin1String close("\")");
    FUZZ_CHECK(script.startsWith(open));
    FUZZ_CHECK(script.endsWith(close));
    FUZZ_CHECK(script.size() >= open.size() + close.size());
    const QStringView argument =
        QStringView(script).mid(open.size(), script.size() - open.size() - close.size());

    // Inside the string: no line end, no apostrophe, every double quote
    // escaped and no backslash but those escaping a double quote. So the
    // string cannot end early, and no escape sequence means anything else.
    QString unescaped;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        FUZZ_CHECK(c != u'\n' && c != u'\r');
        FUZZ_CHECK(c != u'\'');
        FUZZ_CHECK(c != u'"');
        if (c == u'\\') {
            FUZZ_CHECK(i + 1 < argument.size() && argument.at(i + 1) == u'"');
            ++i;
            unescaped += u'"';
            continue;
        }
        unescaped += c;
    }

    // HTML with nothing to decode, replace, remove or escape reaches the page unchanged.
    static const QString touched = QStringLiteral("='\\\"\n\r");
    bool plain = true;
    for (const QChar c : html)
        plain = plain && !touched.contains(c);
    if (plain)
        FUZZ_CHECK(unescaped == html);
    return 0;
}
