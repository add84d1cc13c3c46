#include "ui/SignatureVersionListModel.h"

#include "store/SignatureFileFormat.h"
#include "store/SignatureVersions.h"

#include <QLocale>
#include <QTextDocumentFragment>

namespace {
constexpr int wordsShown = 8;
} // namespace

SignatureVersionListModel::SignatureVersionListModel(const QString &id, QObject *parent)
    : QAbstractListModel(parent)
{
    for (const SignatureVersions::Version &version : SignatureVersions::list(id)) {
        const QString when = QLocale().toString(version.time.toLocalTime(), QLocale::ShortFormat);
        const QString words = firstWords(SignatureVersions::read(version.file).value_or(QByteArray()));
        m_rows.append(Row{version.file, words.isEmpty() ? when : when + QStringLiteral(" \u2014 ") + words});
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
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_rows.at(index.row()).label;
    if (role == FileRole)
        return m_rows.at(index.row()).file;
    return {};
}

QString SignatureVersionListModel::firstWords(const QByteArray &file)
{
    const std::optional<AppleSignatureContent> content = SignatureFileFormat::parse(file);
    const std::optional<QString> html = content ? SignatureFileFormat::decodedBody(*content) : std::nullopt;
    if (!html)
        return {};
    const QStringList words =
        QTextDocumentFragment::fromHtml(*html).toPlainText().simplified().split(u' ', Qt::SkipEmptyParts);
    const QString shown = words.mid(0, wordsShown).join(u' ');
    return words.size() > wordsShown ? shown + QStringLiteral("\u2026") : shown;
}
