#include "preview/UpdateScript.h"

#include "preview/QuotedPrintable.h"

QString UpdateScript::build(const QString &html)
{
    QString text = html;
    // Soft line breaks go before decoding, or "=\n" would read as a malformed escape.
    text.replace(QStringLiteral("=\r\n"), QString());
    text.replace(QStringLiteral("=\n"), QString());
    text = QuotedPrintable::decodedFromQuotedPrintable(text, QStringConverter::Utf8);
    text.replace(u'\'', QStringLiteral("&#39;"));
    // A line break cannot stand inside a script string; carriage returns go
    // too, or HTML with Windows line ends would never reach the page.
    text.remove(u'\n');
    text.remove(u'\r');
    // Backslashes become an entity first, so the only backslashes left in the
    // script are the ones that escape double quotes below.
    text.replace(u'\\', QStringLiteral("&#092;"));
    text.replace(u'"', QStringLiteral("\\\""));
    return QStringLiteral("update(\"") + text + QStringLiteral("\")");
}
