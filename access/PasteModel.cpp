#include "access/PasteModel.h"

#include "store/SignatureFileFormat.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

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
        return SignatureFileFormat::decodeUtf8(mime->data(htmlType));
    if (hasPlainText)
        return mime->text();
    return std::nullopt;
}
