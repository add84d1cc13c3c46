#pragma once

#include "store/SignatureModel.h"

#include <QAbstractListModel>
#include <QList>

#include <optional>

class SignatureListUIModel;
class SignatureSelectionUIModel;

// The published signatures as item-view rows, in published order. Every
// publish of the list resets the rows (they are keyed by id, and a reload may
// change any of them); every publish of the selection announces the rows
// whose highlight changed (the one left, the one chosen), where selected
// means the selection has the row's id: a write reloads the list with the
// row changed (its lock, say) while the selection keeps the record it was
// made with.
// A row's marks (kept in iCloud Drive, replaced since the insert) are named in
// its tool tip and accessible text; the accounts that use its signature in its
// tool tip and accessible description.
class SignatureItemModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        NameRole = Qt::UserRole + 1,
        SelectedRole,
        InICloudRole,
        ReplacedRole,
    };

    SignatureItemModel(SignatureListUIModel &list, SignatureSelectionUIModel &selection,
                       QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static QString iCloudMarkText();
    static QString replacedMarkText();
    // "Used by jane@example.com, bob@example.org"; empty without accounts.
    static QString usedByText(const QStringList &accounts);
    // "Chosen for jane@example.com": the accounts Mail sends it for.
    static QString chosenForText(const QStringList &accounts);

    // The record shown in row, if there is such a row.
    std::optional<SignatureModel> record(int row) const;
    // The row showing the record with this id, if any.
    std::optional<int> rowOf(const QString &id) const;

private:
    static QStringList marks(const SignatureModel &signature);
    void reloadRows();
    void reloadSelection();

    SignatureListUIModel &m_list;
    SignatureSelectionUIModel &m_selection;
    // Copies of the published values, so the rows only change between the
    // reset notifications.
    QList<SignatureModel> m_rows;
    std::optional<SignatureModel> m_selected;
};
