#include "ui/restore/KeptVersionItemModel.h"

#include "store/SignatureFileFormat.h"
#include "store/SignaturesEngine.h"
#include "ui/restore/InertHtmlDocument.h"

#include <QLocale>
#include <QTextDocument>

namespace {
constexpr int wordsShown = 8;
// Far more than the first words need: a kept version of any size costs the same.
constexpr qint64 bytesLooked = 64 * 1024;
} // namespace

KeptVersionItemModel::KeptVersionItemModel(const QList<KeptVersions::Version> &versions, QObject *parent)
    : QAbstractListModel(parent)
{
    for (const KeptVersions::Version &version : versions) {
        const QString when = QLocale().toString(version.time.toLocalTime(), QLocale::ShortFormat);
        const QString title = kindLabel(version) + QStringLiteral(", ") + when;
        const QString words = firstWords(
            SignaturesEngine::keptVersionStart(version.file, bytesLooked + 1).value_or(QByteArray()));
        m_rows.append(Row{version.file, words.isEmpty() ? title : title + u'\n' + words});
    }
}

int KeptVersionItemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant KeptVersionItemModel::data(const QModelIndex &index, int role) const
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

QString KeptVersionItemModel::kindLabel(const KeptVersions::Version &version)
{
    // The original first, as mailsig names it: the one most often wanted back.
    QString kind = QStringLiteral("Kept before a change");
    if (version.isOriginal)
        kind = QStringLiteral("Original");
    else if (version.kind == KeptVersions::Kind::Inserted)
        kind = QStringLiteral("Inserted");
    else if (version.kind == KeptVersions::Kind::Unlocked)
        kind = QStringLiteral("Kept when unlocked");
    return version.store == SignatureStore::Kind::ICloud ? kind + QStringLiteral(" (iCloud Drive)") : kind;
}

QString KeptVersionItemModel::firstWords(const QByteArray &start)
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
