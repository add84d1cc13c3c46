#include "access/DroppedFile.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

DroppedFile::Verdict DroppedFile::of(const QMimeData &mime)
{
    const QString onlyHtml = QStringLiteral("Only an HTML file (.html or .htm) can be dropped here.");
    const QList<QUrl> urls = mime.urls();
    if (urls.isEmpty())
        return {std::nullopt, onlyHtml};
    if (urls.size() > 1)
        return {std::nullopt, QStringLiteral("Drop one HTML file at a time.")};
    if (!urls.first().isLocalFile())
        return {std::nullopt, QStringLiteral("Only a file can be dropped here, not a link.")};
    const QFileInfo file(urls.first().toLocalFile());
    const QString suffix = file.suffix().toLower();
    if (file.isDir() || (suffix != u"html" && suffix != u"htm"))
        return {std::nullopt, onlyHtml};
    return {file.filePath(), QString()};
}
