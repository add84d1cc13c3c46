#include "platform/mac/MacFolderBookmark.h"

#include "platform/RegularFile.h"

#import <Foundation/Foundation.h>

MacFolderBookmark::~MacFolderBookmark()
{
    endAccess();
}

void MacFolderBookmark::forget(const Url &url)
{
    if (url.accessing)
        [(__bridge NSURL *)url.url stopAccessingSecurityScopedResource];
    CFRelease(url.url);
}

void MacFolderBookmark::endAccess()
{
    for (const Url &url : std::as_const(m_resolved))
        forget(url);
    m_resolved.clear();
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
        // The security scope is documented for apps in App Sandbox. Should it
        // be refused outside one, a plain bookmark still finds the folder again.
        if (!data)
            data = [url bookmarkDataWithOptions:static_cast<NSURLBookmarkCreationOptions>(0)
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
        // At start-up nothing may ask the user or mount a volume: a folder on
        // a disk that is not there is a failed resolve, and the chooser comes.
        const NSURLBookmarkResolutionOptions quiet =
            NSURLBookmarkResolutionWithoutUI | NSURLBookmarkResolutionWithoutMounting;
        NSURL *url = [NSURL URLByResolvingBookmarkData:data.toNSData()
                                               options:quiet | NSURLBookmarkResolutionWithSecurityScope
                                         relativeToURL:nil
                                   bookmarkDataIsStale:&stale
                                                 error:&failure];
        // A plain bookmark, made where the security scope was refused.
        if (!url)
            url = [NSURL URLByResolvingBookmarkData:data.toNSData()
                                            options:quiet
                                      relativeToURL:nil
                                bookmarkDataIsStale:&stale
                                              error:&failure];
        if (!url) {
            *error = QString::fromNSString(failure.localizedDescription);
            return std::nullopt;
        }
        const QString path = QString::fromNSString(url.path);
        // One grant at a time: a new resolve replaces the earlier one, wherever
        // it led, and the access that one opened is closed.
        endAccess();
        m_resolved.insert(path, Url{CFBridgingRetain(url), false});
        return Resolved{path, stale == YES};
    }
}

bool MacFolderBookmark::startAccessing(const QString &folder)
{
    const auto found = m_resolved.find(folder);
    if (found == m_resolved.end())
        return false;
    // Opened once per resolved URL and balanced by forget(). Apple describes
    // the call for apps in App Sandbox; outside one (the Developer ID build)
    // it may answer NO although nothing keeps the folder closed. Only a YES
    // is balanced; access is there when the folder can be listed, whatever
    // the answer.
    if (!found->accessing)
        found->accessing = [(__bridge NSURL *)found->url startAccessingSecurityScopedResource] == YES;
    return RegularFile::canListFolder(folder);
}
