#pragma once

#include <optional>

#include <QString>
#include <QStringConverter>
#include <QTextBoundaryFinder>

// Lenient quoted-printable decoding of text that may or may not be encoded.
// All or nothing: one malformed escape, or one run of escaped bytes that is not
// valid in the encoding, leaves the whole text as it was given.
class QuotedPrintable
{
public:
    static QString decodedFromQuotedPrintable(const QString &text,
                                              QStringConverter::Encoding encoding = QStringConverter::Utf8);

private:
    static std::optional<char> byteAfter(const QString &text, std::optional<QTextBoundaryFinder> &characters,
                                         qsizetype equalsSign, qsizetype *next);
};
