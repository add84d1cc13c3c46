#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Signature text shaped like what Mail writes, in any size, and Mail folders
// built from it in a temporary home.
namespace SampleSignatures {

// HTML of a business-card signature repeated until it is at least `bytes`
// long (UTF-8), carrying `marker` once so a reader can tell it apart.
QString html(qsizetype bytes, const QString &marker = QString());

// Quoted-printable encoding as Mail writes it: "=" and non-ASCII bytes
// escaped, lines of at most 76 characters joined by soft breaks ("=\n").
QByteArray quotedPrintable(const QByteArray &utf8);

// Where Mail keeps the signatures: its own folder only, or also iCloud Drive,
// which then holds a copy of every signature under the same id.
enum class Stores
{
    Local,
    LocalAndICloud,
};

// A Mail folder in a temporary home: Mail/V10/MailData/Signatures with
// `count` signatures of about `bodyBytes` each, every `lockEvery`-th locked
// (0: none), and `otherFolders` extra folders beside V10 in Mail/; with
// iCloud Drive, the same signatures again in its Mail data folder. The
// temporary folder is removed (after unlocking) when the object goes.
class MailHome
{
public:
    MailHome(int count, qsizetype bodyBytes, int lockEvery = 0, int otherFolders = 0,
             Stores stores = Stores::Local);
    ~MailHome();
    MailHome(const MailHome &) = delete;
    MailHome &operator=(const MailHome &) = delete;

    bool isValid() const { return m_valid; }
    QString home() const { return m_dir.path(); }
    QString signaturesFolder() const;
    QString file(int index) const;
    // Empty without iCloud Drive.
    QString iCloudSignaturesFolder() const;
    QString iCloudFile(int index) const;
    QString listFile() const;
    QString id(int index) const;
    QString marker(int index) const;
    // Points HOME, the XDG folders and the settings of this process (and
    // the processes it starts) here.
    void enter() const;
    // Leaves every `every`-th signature as an insert leaves it: each copy's
    // earlier bytes kept, then what it holds kept as the inserted version, so
    // a load reads both to see that it was not replaced. Versions go to the
    // data folder of this process's application name: call after enter(),
    // under the name of the program that reads them. The number of copies
    // done, or -1 when a version could not be kept.
    int keepInserted(int every) const;

private:
    bool writeStore(const QString &folder) const;
    QStringList files() const;

    QTemporaryDir m_dir;
    int m_count;
    qsizetype m_bodyBytes;
    Stores m_stores;
    bool m_valid = false;
};

} // namespace SampleSignatures
