#pragma once

#include <QByteArray>
#include <QString>
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

// A Mail folder in a temporary home: Mail/V10/MailData/Signatures with
// `count` signatures of about `bodyBytes` each, every `lockEvery`-th locked
// (0: none), and `otherFolders` extra folders beside V10 in Mail/. The
// temporary folder is removed (after unlocking) when the object goes.
class MailHome
{
public:
    MailHome(int count, qsizetype bodyBytes, int lockEvery = 0, int otherFolders = 0);
    ~MailHome();
    MailHome(const MailHome &) = delete;
    MailHome &operator=(const MailHome &) = delete;

    bool isValid() const { return m_valid; }
    QString home() const { return m_dir.path(); }
    QString signaturesFolder() const;
    QString file(int index) const;
    QString listFile() const;
    QString id(int index) const;
    QString marker(int index) const;
    // Points HOME, the XDG folders and the settings of this process (and
    // the processes it starts) here.
    void enter() const;

private:
    QTemporaryDir m_dir;
    int m_count;
    bool m_valid = false;
};

} // namespace SampleSignatures
