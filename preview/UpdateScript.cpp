#include "preview/UpdateScript.h"

#include "preview/QuotedPrintable.h"

namespace {

// Every occurrence of pattern (which ends in a line feed) taken out, left to
// right, as QString::replace would, but in linear time: Qt's replace moves
// the rest of the text once per batch of matches, which grows faster than the
// text. Line feeds are found with the fast single-character search.
QString withoutAll(const QString &text, QStringView pattern)
{
    const qsizetype before = pattern.size() - 1;
    QString result;
    bool found = false;
    qsizetype from = 0;
    for (qsizetype feed = text.indexOf(u'\n', before); feed >= 0; feed = text.indexOf(u'\n', feed + 1)) {
        const qsizetype at = feed - before;
        if (at < from || QStringView(text).sliced(at, before) != pattern.first(before))
            continue;
        if (!found)
            result.reserve(text.size());
        found = true;
        result += QStringView(text).sliced(from, at - from);
        from = feed + 1;
    }
    if (!found)
        return text;
    result += QStringView(text).sliced(from);
    return result;
}

} // namespace

QString UpdateScript::build(const QString &html)
{
    // Soft line breaks go before decoding, or "=\n" would read as a malformed escape.
    QString text = withoutAll(withoutAll(html, u"=\r\n"), u"=\n");
    text = QuotedPrintable::decodedFromQuotedPrintable(text, QStringConverter::Utf8);
    // One pass, for the same reason as withoutAll; plain runs are copied whole.
    QString script;
    script.reserve(text.size() + text.size() / 8 + 16);
    script += QStringLiteral("update(\"");
    const QStringView view(text);
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        QStringView replacement;
        switch (view[i].unicode()) {
        case u'\'':
            replacement = u"&#39;";
            break;
        // A line break cannot stand inside a script string; carriage returns
        // go too, or HTML with Windows line ends would never reach the page.
        case u'\n':
        case u'\r':
            break;
        // Backslashes become an entity, so the only backslashes in the script
        // are the ones that escape double quotes.
        case u'\\':
            replacement = u"&#092;";
            break;
        case u'"':
            replacement = u"\\\"";
            break;
        default:
            continue;
        }
        script += view.sliced(plainFrom, i - plainFrom);
        script += replacement;
        plainFrom = i + 1;
    }
    script += view.sliced(plainFrom);
    script += QStringLiteral("\")");
    return script;
}
