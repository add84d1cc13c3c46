#include "ui/list/SignatureItemModel.h"

#include "store/SignatureListUIModel.h"
#include "store/SignatureSelectionUIModel.h"

#include <QTextDocument>

SignatureItemModel::SignatureItemModel(SignatureListUIModel &list, SignatureSelectionUIModel &selection,
                                       QObject *parent)
    : QAbstractListModel(parent), m_list(list), m_selection(selection), m_rows(list.signatures().get()),
      m_selected(selection.signature().get())
{
    connect(&m_list, &SignatureListUIModel::changed, this, &SignatureItemModel::reloadRows);
    connect(&m_selection, &SignatureSelectionUIModel::changed, this, &SignatureItemModel::reloadSelection);
}

int SignatureItemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SignatureItemModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SignatureModel &signature = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return signature.name;
    case Qt::ToolTipRole: {
        QStringList lines = QStringList{signature.name} + marks(signature);
        if (!signature.accounts.isEmpty())
            lines.append(usedByText(signature.accounts));
        if (!signature.chosenFor.isEmpty())
            lines.append(chosenForText(signature.chosenFor));
        // A tool tip that looks like HTML is shown as HTML: a name is shown as typed.
        return Qt::convertFromPlainText(lines.join(u'\n'));
    }
    case Qt::AccessibleTextRole:
        return (QStringList{signature.name} + marks(signature)).join(QStringLiteral(", "));
    case Qt::AccessibleDescriptionRole:
        return usedByText(signature.accounts);
    case SelectedRole:
        return m_selected.has_value() && m_selected->id == signature.id;
    case InICloudRole:
        return signature.isInICloud;
    case ReplacedRole:
        return signature.isReplacedSinceInsert;
    default:
        return {};
    }
}

Qt::ItemFlags SignatureItemModel::flags(const QModelIndex &index) const
{
    // Rows take clicks but never the item view's own selection: the highlight
    // comes from the published selection only.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QString SignatureItemModel::iCloudMarkText()
{
    return QStringLiteral("Kept in iCloud Drive");
}

QString SignatureItemModel::replacedMarkText()
{
    return QStringLiteral("Replaced since you inserted it");
}

QString SignatureItemModel::usedByText(const QStringList &accounts)
{
    return accounts.isEmpty() ? QString() : QStringLiteral("Used by ") + accounts.join(QStringLiteral(", "));
}

QString SignatureItemModel::chosenForText(const QStringList &accounts)
{
    return QStringLiteral("Chosen for ") + accounts.join(QStringLiteral(", "));
}

QStringList SignatureItemModel::marks(const SignatureModel &signature)
{
    QStringList marks;
    if (signature.isInICloud)
        marks.append(iCloudMarkText());
    if (signature.isReplacedSinceInsert)
        marks.append(replacedMarkText());
    return marks;
}

std::optional<SignatureModel> SignatureItemModel::record(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return std::nullopt;
    return m_rows.at(row);
}

std::optional<int> SignatureItemModel::rowOf(const QString &id) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).id == id)
            return row;
    }
    return std::nullopt;
}

void SignatureItemModel::reloadRows()
{
    beginResetModel();
    m_rows = m_list.signatures().get();
    endResetModel();
}

void SignatureItemModel::reloadSelection()
{
    const std::optional<int> was = m_selected ? rowOf(m_selected->id) : std::nullopt;
    m_selected = m_selection.signature().get();
    const std::optional<int> now = m_selected ? rowOf(m_selected->id) : std::nullopt;
    if (was == now)
        return;
    // Row by row: the list view takes a change over several rows as a reason
    // to lay out and paint them all again.
    for (const std::optional<int> &row : {was, now}) {
        if (row)
            emit dataChanged(index(*row), index(*row), {SelectedRole});
    }
}
