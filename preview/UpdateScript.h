#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Turns signature HTML into the text of one call of the preview page's
// `update` function (PreviewPage). The HTML travels as JSON strings, which
// JavaScript reads back exactly, whatever characters it holds.
namespace UpdateScript {
// images: the signature's own, by content id, as data: addresses.
QString build(const QString &html, const QMap<QString, QByteArray> &images = {});
} // namespace UpdateScript
