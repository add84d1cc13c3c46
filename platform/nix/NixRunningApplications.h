#pragma once

#include "platform/RunningApplications.h"

#include <QByteArray>
#include <QHash>

#include <optional>

// Applications are processes whose executable (/proc/<pid>/exe) lies in
// <Name>.app/Contents/MacOS/ of a bundle; the bundle's identifier is the
// CFBundleIdentifier of its Contents/Info.plist. Processes of other users that
// cannot be inspected are not seen.
class NixRunningApplications : public RunningApplications
{
public:
    // procRoot is where the process table is mounted.
    explicit NixRunningApplications(QByteArray procRoot = QByteArrayLiteral("/proc"));

    int countWithBundleIdentifier(const QString &bundleIdentifier) override;

    // The bundle folder of an executable path, or none when it is not the
    // executable of an application bundle.
    static std::optional<QByteArray> bundleOfExecutable(const QByteArray &executable);

private:
    struct BundleInfo
    {
        // What the Info.plist looked like when it was read; a change of any
        // of these makes it read again.
        qint64 mtimeNanoseconds = -1;
        qint64 size = -1;
        quint64 inode = 0;
        std::optional<QString> identifier;
        bool seen = false;
    };

    const std::optional<QString> &identifierOfBundle(const QByteArray &bundle);

    QByteArray m_procRoot;
    // One entry per bundle seen at the last call, so a poll reads each
    // Info.plist only when it changed.
    QHash<QByteArray, BundleInfo> m_bundles;
};
