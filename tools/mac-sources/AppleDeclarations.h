// Force-included by scripts/check-mac-sources before each Mac source, never
// built into the program. GNUstep's Foundation and AppKit stand in for Apple's
// SDK on Linux; what they lack is declared here as Apple documents it, and
// nothing else: a declaration that differs from Apple's would let a wrong call
// through. Each one names the page it follows.
#pragma once

// Qt declares its NSString/NSData conversions only when Q_OS_DARWIN is set
// (qstring.h, qbytearray.h). Set it around these two headers alone, so Qt's
// own declarations are what the sources are checked against; every other Qt
// header still sees Linux.
#include <QtCore/qglobal.h>
#define Q_OS_DARWIN 1
#include <QtCore/qbytearray.h>
#include <QtCore/qstring.h>
#undef Q_OS_DARWIN

#ifdef __OBJC__
#import <Foundation/Foundation.h>

// CoreFoundation, which GNUstep does not ship.
// https://developer.apple.com/documentation/corefoundation/cftyperef
typedef const void *CFTypeRef;
// https://developer.apple.com/documentation/corefoundation/cfrelease
extern "C" void CFRelease(CFTypeRef cf);
// https://developer.apple.com/documentation/foundation/cfbridgingretain(_:)
// "Casts an Objective-C pointer to a Core Foundation pointer and also transfers
// ownership to the caller", who releases it with CFRelease.
extern "C" CFTypeRef CFBridgingRetain(id X);

// https://developer.apple.com/documentation/foundation/cfbridgingrelease(_:)
// "Moves a non-Objective-C pointer to Objective-C and also transfers ownership to ARC."
extern "C" id CFBridgingRelease(CFTypeRef X);

// CFPreferences, the preferences system `defaults` uses.
// https://developer.apple.com/documentation/corefoundation/cfpropertylistref
typedef CFTypeRef CFPropertyListRef;
// https://developer.apple.com/documentation/corefoundation/cfarrayref
typedef const struct __CFArray *CFArrayRef;
// https://developer.apple.com/documentation/corefoundation/cfdictionaryref
typedef const struct __CFDictionary *CFDictionaryRef;
// MacTypes.h: "typedef unsigned char Boolean;"
typedef unsigned char Boolean;
// https://developer.apple.com/documentation/corefoundation/kcfpreferencescurrentuser
extern "C" const CFStringRef kCFPreferencesCurrentUser;
// https://developer.apple.com/documentation/corefoundation/kcfpreferencesanyhost
extern "C" const CFStringRef kCFPreferencesAnyHost;
// https://developer.apple.com/documentation/corefoundation/1515488-cfpreferencescopyappvalue
extern "C" CFPropertyListRef CFPreferencesCopyAppValue(CFStringRef key, CFStringRef applicationID);
// https://developer.apple.com/documentation/corefoundation/1515528-cfpreferencessetappvalue
extern "C" void CFPreferencesSetAppValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID);
// https://developer.apple.com/documentation/corefoundation/1515550-cfpreferencesappsynchronize
extern "C" Boolean CFPreferencesAppSynchronize(CFStringRef applicationID);
// https://developer.apple.com/documentation/corefoundation/1515510-cfpreferencescopykeylist
extern "C" CFArrayRef CFPreferencesCopyKeyList(CFStringRef applicationID, CFStringRef userName,
                                               CFStringRef hostName);
// https://developer.apple.com/documentation/corefoundation/1515535-cfpreferencescopymultiple
extern "C" CFDictionaryRef CFPreferencesCopyMultiple(CFArrayRef keysToFetch, CFStringRef applicationID,
                                                     CFStringRef userName, CFStringRef hostName);

// https://developer.apple.com/documentation/foundation/nsurl/bookmarkcreationoptions
typedef NSUInteger NSURLBookmarkCreationOptions;
// https://developer.apple.com/documentation/foundation/nsurl/bookmarkcreationoptions/withsecurityscope
static const NSURLBookmarkCreationOptions NSURLBookmarkCreationWithSecurityScope = (1UL << 11);

@interface NSURL (AppleBookmarks)
// https://developer.apple.com/documentation/foundation/nsurl/bookmarkdata(options:includingresourcevaluesforkeys:relativeto:)
- (NSData *)bookmarkDataWithOptions:(NSURLBookmarkCreationOptions)options
     includingResourceValuesForKeys:(NSArray<NSString *> *)keys
                      relativeToURL:(NSURL *)relativeURL
                              error:(NSError **)error;
// https://developer.apple.com/documentation/foundation/nsurl/init(resolvingbookmarkdata:options:relativeto:bookmarkdataisstale:)
+ (instancetype)URLByResolvingBookmarkData:(NSData *)bookmarkData
                                   options:(NSURLBookmarkResolutionOptions)options
                             relativeToURL:(NSURL *)relativeURL
                       bookmarkDataIsStale:(BOOL *)isStale
                                     error:(NSError **)error;
// https://developer.apple.com/documentation/foundation/nsurl/startaccessingsecurityscopedresource()
- (BOOL)startAccessingSecurityScopedResource;
// https://developer.apple.com/documentation/foundation/nsurl/stopaccessingsecurityscopedresource()
- (void)stopAccessingSecurityScopedResource;
@end
#endif

// The BSD file flags of Darwin's stat(2) and chflags(2), which Linux lacks.
// https://developer.apple.com/library/archive/documentation/System/Conceptual/ManPages_iPhoneOS/man2/chflags.2.html
// https://developer.apple.com/library/archive/documentation/System/Conceptual/ManPages_iPhoneOS/man2/stat.2.html
#include <cstdint>
#include <sys/stat.h>
// Darwin: "uint32_t st_flags; /* user defined flags for file */". glibc's
// struct stat has no such member; its spare field takes the name, the way
// glibc itself maps st_atime onto st_atim.tv_sec.
#define st_flags __glibc_reserved[0]
// Darwin's sys/stat.h: "#define UF_IMMUTABLE 0x00000002 /* file may not be changed */".
#define UF_IMMUTABLE 0x00000002u
// chflags(2): "int lchflags(const char *path, __uint32_t flags);"
extern "C" int lchflags(const char *path, std::uint32_t flags);
