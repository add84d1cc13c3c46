#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The kept versions of one signature, newest first, as the restore dialog
// lists them: the local date and time (the oldest marked as the original),
// then the first words of what the version shows.
class SignatureVersionListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        FileRole = Qt::UserRole + 1
    };

    explicit SignatureVersionListModel(const QString &id, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The first few words of the visible text of a signature file, of which
    // only the first 64 KB are looked at; nothing it names is loaded.
    static QString firstWords(const QByteArray &start);
    // "Original, <date and time>": the version from before any change.
    static QString originalLabel();

private:
    struct Row
    {
        QString file;
        QString label;
    };
    QList<Row> m_rows;
};
