#pragma once

#include <QString>

// The applications running for this user, identified by their bundle.
// Main thread only: implementations may keep a cache between calls.
class RunningApplications
{
public:
    virtual ~RunningApplications() = default;

    // How many running applications have this bundle identifier; zero when
    // none (or when the list cannot be read).
    virtual int countWithBundleIdentifier(const QString &bundleIdentifier) = 0;
};
