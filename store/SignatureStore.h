#pragma once

#include <QList>
#include <QString>

#include <optional>

// One place Mail keeps signatures: a Signatures folder with its
// AllSignatures.plist and one <id>.mailsignature per signature. A Mac has the
// local one, and a second in iCloud Drive when Mail syncs through it; Mail
// rebuilds the local list from the iCloud one.
struct SignatureStore
{
    enum class Kind
    {
        Local,
        ICloud,
    };

    Kind kind = Kind::Local;
    QString folder;

    QString listFile() const { return folder + QStringLiteral("/AllSignatures.plist"); }
    // The file of signature id here; none when id could name something outside
    // the folder, or when the file is a symbolic link.
    std::optional<QString> fileOf(const QString &id) const;
    // The file of id here when it is a symbolic link: a file that is never
    // read or written through, wherever it points.
    std::optional<QString> linkOf(const QString &id) const;
    // Why the file of id here cannot be read or written, in one sentence
    // naming it; none when it is there.
    std::optional<QString> fileProblem(const QString &id) const;

    // "local" or "iCloud": the word mailsig prints and kept versions record.
    static QString kindName(Kind kind);
    QString kindName() const { return kindName(kind); }
    // How the user names it in a sentence: "the local copy", "the iCloud Drive copy".
    static QString copyName(Kind kind);

    friend bool operator==(const SignatureStore &, const SignatureStore &) = default;
};
