#pragma once

#include <QString>

#include <optional>

// Where Mail keeps its signatures: <Library>/Mail/V<n>/MailData/Signatures.
// Every location is computed afresh from the file system on each call.
namespace MailFolders {
QString userLibraryFolder();
QString mailFolder();
// Makes mailFolder() answer folder for the rest of the process, or the
// one in the user's Library again with none: the command line's choice.
void useMailFolder(const std::optional<QString> &folder);
// Whether mailFolder() is the one in the user's Library (no other was chosen).
bool isUsersOwnMailFolder();
// The Library folder that holds the Mail folder in use, and with it Mail's
// container and iCloud Drive's folder.
QString libraryFolder();

// The version folder in use. Prints "Error while accessing directory: ..."
// or "No folder starting with 'V' found." when there is none.
std::optional<QString> findVersionFolder();

std::optional<QString> signaturesFolder();

// Where Mail keeps what iCloud Drive syncs: Mobile Documents/com~apple~mail/Data
// in the Library that holds the Mail folder in use.
QString iCloudDataFolder();
// What the iCloud Data folder holds: the Signatures folder of the highest
// V<m> that has an AllSignatures.plist, or an older layout this program
// does not write (V<m>/MailData/Signatures, ubiquitous_ names), or nothing.
struct ICloudSignatures
{
    std::optional<QString> folder;
    bool olderLayout = false;
};
ICloudSignatures findICloudSignatures();

// name joined to folder as one component; none for a name that could
// leave the folder ("/", ".", "..", NUL).
std::optional<QString> fileIn(const QString &folder, const QString &name);
// The file of signature id in signaturesFolder; none when id could name
// something outside it ("/", NUL, "." or ".."), or when the file is a
// symbolic link.
std::optional<QString> signatureFile(const QString &id);
std::optional<QString> signatureFileIn(const QString &signaturesFolder, const QString &id);

// Of the version folder names, in listing order, the one Mail uses:
// the name recorded as last used when it is among them, otherwise the
// highest number after "V", otherwise the first.
std::optional<QString> chooseVersionFolder(const QStringList &candidates,
                                           const std::optional<QString> &lastUsed);

inline constexpr const char *persistenceInfoName = "PersistenceInfo.plist";
inline constexpr const char *lastUsedVersionKey = "LastUsedVersionDirectoryName";
} // namespace MailFolders
