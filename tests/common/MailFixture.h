#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Builds a Mail signatures folder in the shape Mail writes it: an XML
// AllSignatures.plist and quoted-printable .mailsignature files.
class MailFixture
{
public:
    struct Entry
    {
        QString id;
        QString name;
    };

    explicit MailFixture(QString signaturesFolder) : m_folder(std::move(signaturesFolder)) {}

    QString folder() const { return m_folder; }
    QString listFile() const { return m_folder + QStringLiteral("/AllSignatures.plist"); }
    QString signatureFile(const QString &id) const { return m_folder + QLatin1Char('/') + id + QStringLiteral(".mailsignature"); }

    static QByteArray header(const QString &id);
    static QByteArray listXml(const QList<Entry> &entries);
    // The same entries as a binary property list, produced by libplist.
    static QByteArray listBinary(const QList<Entry> &entries);

    bool writeList(const QList<Entry> &entries) const;
    // Writes <id>.mailsignature: header, blank line, body.
    bool writeSignature(const QString &id, const QByteArray &body) const;
    // Three signatures, as in a freshly used Mail; returns their entries.
    QList<Entry> writeSample() const;

private:
    QString m_folder;
};
