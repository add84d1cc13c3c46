#include "platform/mac/MacRunningApplications.h"

#import <AppKit/AppKit.h>

int MacRunningApplications::countWithBundleIdentifier(const QString &bundleIdentifier)
{
    @autoreleasepool {
        NSArray<NSRunningApplication *> *applications =
            [NSRunningApplication runningApplicationsWithBundleIdentifier:bundleIdentifier.toNSString()];
        return static_cast<int>(applications.count);
    }
}
