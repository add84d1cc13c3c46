#include "preview/GuardedScript.h"

QString GuardedScript::wrapped(const QString &script)
{
    // Indirect eval runs the script at global scope, as a top-level script would.
    return QStringLiteral("(function () { try { (0, eval)(") + stringLiteral(script) +
           QStringLiteral("); return null; } catch (e) {"
                          " try { return String(e); } catch (f) { return 'Error'; } } })()");
}

QString GuardedScript::stringLiteral(const QString &text)
{
    QString literal;
    literal.reserve(text.size() + 2);
    literal += u'"';
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'"' || unit == u'\\') {
            literal += u'\\';
            literal += c;
        } else if (unit >= 0x20 && unit < 0x7f) {
            literal += c;
        } else {
            literal += QStringLiteral("\\u%1").arg(unit, 4, 16, QLatin1Char('0'));
        }
    }
    literal += u'"';
    return literal;
}
