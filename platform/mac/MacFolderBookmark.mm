#include "platform/mac/MacFolderBookmark.h"

#import <Foundation/Foundation.h>

MacFolderBookmark::~MacFolderBookmark()
{
    for (const void *url : std::as_const(m_resolved))
        CFRelease(url);
}

std::optional<QByteArray> MacFolderBookmark::create(const QString &folder, QString *error)
{
    @autoreleasepool {
        NSURL *url = [NSURL fileURLWithPath:folder.toNSString() isDirectory:YES];
        NSError *failure = nil;
        NSData *data = [url bookmarkDataWithOptions:NSURLBookmarkCreationWithSecurityScope
                     includingResourceValuesForKeys:nil
                                      relativeToURL:nil
                                              error:&failure];
        if (!data) {
            *error = QString::fromNSString(failure.localizedDescription);
            return std::nullopt;
        }
        return QByteArray::fromNSData(data);
    }
}

std::optional<FolderBookmark::Resolved> MacFolderBookmark::resolve(const QByteArray &data, QString *error)
{
    @autoreleasepool {
        BOOL stale = NO;
        NSError *failure = nil;
        NSURL *url = [NSURL URLByResolvingBookmarkData:data.toNSData()
                                               options:NSURLBookmarkResolutionWithSecurityScope
                                         relativeToURL:nil
                                   bookmarkDataIsStale:&stale
                                                 error:&failure];
        if (!url) {
            *error = QString::fromNSString(failure.localizedDescription);
            return std::nullopt;
        }
        const QString path = QString::fromNSString(url.path);
        if (const void *previous = m_resolved.value(path))
            CFRelease(previous);
        m_resolved.insert(path, CFBridgingRetain(url));
        return Resolved{path, stale == YES};
    }
}

bool MacFolderBookmark::startAccessing(const QString &folder)
{
    const void *url = m_resolved.value(folder);
    if (!url)
        return false;
    // Never balanced by stopAccessing: the access is kept for the whole run.
    return [(__bridge NSURL *)url startAccessingSecurityScopedResource] == YES;
}
