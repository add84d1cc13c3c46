#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// One signature HTML for many people: a Mustache template whose {{name}}
// takes a value HTML-escaped and {{{name}}} takes it as it is. Rendered by
// kainjow's Mustache, never by hand.
namespace SignatureTemplate {
struct Filled
{
    std::optional<QString> html;
    // Why nothing could be filled, in one sentence.
    std::optional<QString> failure;
};

// Why html is refused as a template before anything reads it (sections
// nested more than 100 deep, a partial), in one sentence; none otherwise.
std::optional<QString> refusal(const QString &html);

// Whether html holds any placeholder or section.
bool hasPlaceholders(const QString &html);

// The names html asks values for, in the order they first appear, those
// inside sections included; none when it does not parse or is refused.
QStringList fieldNames(const QString &html);

// html with every placeholder filled from values. A placeholder without a
// value, or a template that does not parse or is refused, fills nothing; a
// section without a value, or with an empty one, is left out.
Filled fill(const QString &html, const QMap<QString, QString> &values);
} // namespace SignatureTemplate
