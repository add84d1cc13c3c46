#pragma once

#include <QString>

// Wraps a script so that its evaluation reports failure as a value.
// runJavaScript has no error callback, and a syntax error cannot be caught by
// a try block in the same source; so the script travels as a string literal
// into eval inside a try block, and the wrapper returns null on success or the
// error's text on failure.
class GuardedScript
{
public:
    static QString wrapped(const QString &script);
    // A JavaScript string literal for any text: everything outside printable
    // ASCII is a \u escape, so line terminators and lone surrogates survive.
    static QString stringLiteral(const QString &text);
};
