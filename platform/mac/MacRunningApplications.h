#pragma once

#include "platform/RunningApplications.h"

// NSRunningApplication runningApplicationsWithBundleIdentifier:.
class MacRunningApplications : public RunningApplications
{
public:
    int countWithBundleIdentifier(const QString &bundleIdentifier) override;
};
