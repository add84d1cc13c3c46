#include "ui/SignatureVersionListModel.h"

#include "platform/RegularFile.h"
#include "store/SignatureFileFormat.h"
#include "store/SignatureVersions.h"
#include "ui/InertHtmlDocument.h"

#include <QLocale>
#include <QTextDocument>

namespace {
constexpr int wordsShown = 8;
// Far more than the first words need: a kept version of any size costs the same.
constexpr qint64 bytesLooked = 64 * 1024;
} // namespace

SignatureVersionListModel::SignatureVersionListModel(const QString &id, QObject *parent)
    : QAbstractListModel(parent)
{
    for (const SignatureVersions::Version &version : SignatureVersions::list(id)) {
        const QString when = QLocale().toString(version.time.toLocalTime(), QLocale::ShortFormat);
        const QString title = version.isOriginal ? originalLabel().arg(when) : when;
        const QString words =
            firstWords(RegularFile::readStart(version.file, bytesLooked + 1).value_or(QByteArray()));
        m_rows.append(
            Row{version.file, words.isEmpty() ? title : title + QStringLiteral(" \u2014 ") + words});
    }
}

int SignatureVersionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SignatureVersionListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return m_rows.at(index.row()).label;
    // A tool tip is read as rich text when it looks like it: the words are the version's.
    if (role == Qt::ToolTipRole)
        return Qt::convertFromPlainText(m_rows.at(index.row()).label);
    if (role == FileRole)
        return m_rows.at(index.row()).file;
    return {};
}

QString SignatureVersionListModel::originalLabel()
{
    return QStringLiteral("Original, %1");
}

QString SignatureVersionListModel::firstWords(const QByteArray &start)
{
    // Of a longer file, the whole lines of its first bytes: a cut inside a
    // character or an encoded group would make the rest undecodable.
    const QByteArray looked =
        start.size() <= bytesLooked ? start : start.left(start.lastIndexOf('\n', bytesLooked - 1) + 1);
    const std::optional<AppleSignatureContent> content = SignatureFileFormat::parse(looked);
    const std::optional<QString> html = content ? SignatureFileFormat::decodedBody(*content) : std::nullopt;
    if (!html)
        return {};
    const QStringList words = InertHtmlDocument::plainText(*html)
                                  .remove(QChar::ObjectReplacementCharacter)
                                  .simplified()
                                  .split(u' ', Qt::SkipEmptyParts);
    const QString shown = words.mid(0, wordsShown).join(u' ');
    return words.size() > wordsShown ? shown + QStringLiteral("\u2026") : shown;
}
