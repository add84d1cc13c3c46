#include "preview/UpdateScript.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace {

// Large enough that a signature of usual size is one piece, small enough that
// the encoder's copies of a piece reuse memory rather than take fresh pages.
constexpr qsizetype pieceSize = 256 * 1024;

} // namespace

QString UpdateScript::build(const QString &html, const QMap<QString, QByteArray> &images)
{
    // The text is encoded a piece at a time, each a string of its own joined by
    // "+", so the only copy of the whole text is the call itself. A surrogate
    // pair split between two pieces is joined again: the encoder writes each
    // half as an escape, and the page's strings are UTF-16 as well.
    QString call;
    call.reserve(html.size() + html.size() / 8 + 16);
    call += u"update(";
    QStringDecoder utf8(QStringDecoder::Utf8);
    qsizetype at = 0;
    do {
        const qsizetype size = std::min(pieceSize, html.size() - at);
        if (at > 0)
            call += u'+';
        // A one-element array is the smallest document whose text holds the string.
        const QByteArray json =
            QJsonDocument(QJsonArray{html.sliced(at, size)}).toJson(QJsonDocument::Compact);
        call += utf8(QByteArrayView(json).sliced(1, json.size() - 2));
        at += size;
    } while (at < html.size());
    if (!images.isEmpty()) {
        QJsonObject parts;
        for (auto it = images.cbegin(); it != images.cend(); ++it)
            parts.insert(it.key(), QString::fromLatin1(it.value()));
        call += u',' + QString::fromUtf8(QJsonDocument(parts).toJson(QJsonDocument::Compact));
    }
    call += u')';
    return call;
}
