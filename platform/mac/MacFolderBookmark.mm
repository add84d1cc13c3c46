#include "platform/mac/MacFolderBookmark.h"

#include <QFile>

#include <dirent.h>

#import <Foundation/Foundation.h>

namespace {

bool canList(const QString &folder)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

} // namespace

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
        NSURL *url = [NSURL URLByResolvingBookmarkData:data.toNSData()
                                               options:NSURLBookmarkResolutionWithSecurityScope
                                         relativeToURL:nil
                                   bookmarkDataIsStale:&stale
                                                 error:&failure];
        // A plain bookmark, made where the security scope was refused.
        if (!url)
            url = [NSURL URLByResolvingBookmarkData:data.toNSData()
                                            options:static_cast<NSURLBookmarkResolutionOptions>(0)
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
    // Apple describes the call for apps in App Sandbox; outside one (the
    // Developer ID build) it may answer NO although nothing keeps the folder
    // closed. Access is there when the folder can be listed, whatever it said.
    (void)[(__bridge NSURL *)url startAccessingSecurityScopedResource];
    return canList(folder);
}
