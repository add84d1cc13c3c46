#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The kept versions of one signature, newest first, as the restore dialog
// lists them: the local date and time, then the first words of what the
// version shows.
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

    // The first few words of the visible text of a signature file.
    static QString firstWords(const QByteArray &file);

private:
    struct Row
    {
        QString file;
        QString label;
    };
    QList<Row> m_rows;
};
