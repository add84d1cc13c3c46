#pragma once

#include <QString>

// Turns signature HTML into the text of one call of the preview page's
// `update` function (PreviewPage). The HTML travels as JSON strings, which
// JavaScript reads back exactly, whatever characters it holds.
namespace UpdateScript {
QString build(const QString &html);
} // namespace UpdateScript
