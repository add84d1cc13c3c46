#include "store/HtmlInput.h"

#include "store/SignatureFileFormat.h"

#include <QFile>
#include <QFileInfo>

HtmlInput::Read HtmlInput::fromDevice(QFile &file, const QString &name, bool allowEmpty, qint64 limit)
{
    // One byte more than the limit tells a file over it from one that fills it.
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

HtmlInput::Read HtmlInput::fromFile(const QString &path, const QString &name, bool allowEmpty, qint64 limit)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return {std::nullopt, QStringLiteral("Cannot read %1: it is a folder.").arg(name)};
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("Cannot read %1: %2.").arg(name, file.errorString())};
    return fromDevice(file, name, allowEmpty, limit);
}
