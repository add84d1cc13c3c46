#pragma once

#include "store/KeptVersions.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The kept versions of one signature, newest first, as the restore dialog
// lists them: what each is (inserted, the original, kept before a change or
// when unlocked, and whether of the iCloud Drive copy) and the local date and
// time, then on a line of their own the first words of what the version shows.
class KeptVersionItemModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        FileRole = Qt::UserRole + 1
    };

    explicit KeptVersionItemModel(const QList<KeptVersions::Version> &versions, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The first few words of the visible text of a signature file, of which
    // only the first 64 KB are looked at; nothing it names is loaded.
    static QString firstWords(const QByteArray &start);
    // "Inserted", "Original", "Kept before a change", "Kept when unlocked",
    // followed by " (iCloud Drive)" for a version of the iCloud Drive copy.
    static QString kindLabel(const KeptVersions::Version &version);

private:
    struct Row
    {
        QString file;
        QString label;
    };
    QList<Row> m_rows;
};
