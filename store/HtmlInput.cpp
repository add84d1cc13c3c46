#include "store/HtmlInput.h"

#include "store/SignatureFileFormat.h"
#include "store/SignatureLimits.h"

#include <QFile>
#include <QFileInfo>

HtmlInput::Read HtmlInput::fromDevice(QFile &file, const QString &name, bool allowEmpty)
{
    const qint64 limit = SignatureLimits::maximumFileSize;
    const QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > limit)
        return {std::nullopt, QStringLiteral("Cannot read %1: %2.")
                                  .arg(name, bytes.size() > limit ? QStringLiteral("it is too large")
                                                                  : file.errorString())};
    if (const std::optional<qsizetype> offset = SignatureFileFormat::invalidUtf8Offset(bytes))
        return {
            std::nullopt,
            QStringLiteral("%1 is not UTF-8: the byte at offset %2 is not valid.").arg(name).arg(*offset)};
    const QString html = *SignatureFileFormat::decodeUtf8(bytes);
    if (!allowEmpty && html.trimmed().isEmpty())
        return {std::nullopt, QStringLiteral("%1 holds no HTML: it is empty or only white space.").arg(name)};
    return {html, QString()};
}

HtmlInput::Read HtmlInput::fromFile(const QString &path, const QString &name, bool allowEmpty)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return {std::nullopt, QStringLiteral("Cannot read %1: it is a folder.").arg(name)};
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("Cannot read %1: %2.").arg(name, file.errorString())};
    return fromDevice(file, name, allowEmpty);
}
