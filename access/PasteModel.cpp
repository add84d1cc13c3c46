#include "access/PasteModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

namespace {
const QLatin1String htmlType("text/html");
const QLatin1String plainTextType("text/plain");
} // namespace

PasteModel::PasteModel(QObject *parent) : QObject(parent) {}

std::optional<QString> PasteModel::readClipboardHTML() const
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *mime = clipboard ? clipboard->mimeData() : nullptr;
    if (!mime)
        return std::nullopt;
    // Which kinds are offered decides; an offered kind may well hold zero bytes.
    bool hasHtml = false;
    bool hasPlainText = false;
    for (const QString &format : mime->formats()) {
        if (format == htmlType)
            hasHtml = true;
        else if (format == plainTextType)
            hasPlainText = true;
    }
    if (hasHtml)
        return decodeHtml(mime->data(htmlType));
    if (hasPlainText)
        return mime->text();
    return std::nullopt;
}

std::optional<QString> PasteModel::decodeHtml(const QByteArray &bytes)
{
    // Kept exactly: a byte order mark stays, and an invalid or cut-off
    // sequence anywhere makes the whole text unusable.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
