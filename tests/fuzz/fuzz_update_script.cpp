// Whatever the HTML, one call of update() with one string the page's script engine takes as it is.
#include "preview/UpdateScript.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString html = fuzz::text(fuzz::bytes(data, size));
    const QString script = UpdateScript::build(html);
    FUZZ_CHECK(script.startsWith(QLatin1String("update(\"")) && script.endsWith(QLatin1String("\")")) &&
               script.size() >= 10);
    // No line end or apostrophe, and backslashes only before escaped double quotes: no early end.
    const QStringView argument = QStringView(script).sliced(8, script.size() - 10);
    QString unescaped;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        FUZZ_CHECK(c != u'\n' && c != u'\r' && c != u'\'' && c != u'"');
        FUZZ_CHECK(c != u'\\' || (i + 1 < argument.size() && argument.at(++i) == u'"'));
        unescaped += argument.at(i);
    }
    // HTML with nothing to decode, replace, remove or escape reaches the page unchanged.
    if (std::none_of(html.begin(), html.end(),
                     [](QChar c) { return QStringView(u"='\\\"\n\r").contains(c); }))
        FUZZ_CHECK(unescaped == html);
    return 0;
}
