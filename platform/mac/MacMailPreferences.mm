#include "platform/mac/MacMailPreferences.h"

#import <Foundation/Foundation.h>

namespace {

NSString *const mailDomain = @"com.apple.mail";

QString notOwnSentence()
{
    return QStringLiteral(
        "Mail's choice of signature can be changed only for the user running mailsig: run it "
        "as the user whose Mail folder this is.");
}

id copyValue(const QString &key)
{
    return CFBridgingRelease(
        CFPreferencesCopyAppValue((__bridge CFStringRef)key.toNSString(), (__bridge CFStringRef)mailDomain));
}

} // namespace

QString MacMailPreferences::location() const
{
    return QStringLiteral("the com.apple.mail preferences domain");
}

std::optional<QHash<QString, QString>> MacMailPreferences::dictionary(const QString &key,
                                                                      QString *failure) const
{
    if (!m_isUsersOwn) {
        *failure = notOwnSentence();
        return std::nullopt;
    }
    @autoreleasepool {
        QHash<QString, QString> texts;
        const id value = copyValue(key);
        if (!value)
            return texts;
        if (![value isKindOfClass:[NSDictionary class]]) {
            *failure = QStringLiteral("Mail's preferences hold a %1 that is not a dictionary.").arg(key);
            return std::nullopt;
        }
        NSDictionary *dictionary = value;
        for (id entry in dictionary) {
            const id text = dictionary[entry];
            if ([entry isKindOfClass:[NSString class]] && [text isKindOfClass:[NSString class]])
                texts.insert(QString::fromNSString(entry), QString::fromNSString(text));
        }
        return texts;
    }
}

std::optional<QByteArray> MacMailPreferences::contents() const
{
    if (!m_isUsersOwn)
        return std::nullopt;
    @autoreleasepool {
        NSArray *keys = CFBridgingRelease(CFPreferencesCopyKeyList(
            (__bridge CFStringRef)mailDomain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost));
        if (keys.count == 0)
            return std::nullopt;
        NSDictionary *values = CFBridgingRelease(
            CFPreferencesCopyMultiple((__bridge CFArrayRef)keys, (__bridge CFStringRef)mailDomain,
                                      kCFPreferencesCurrentUser, kCFPreferencesAnyHost));
        NSError *error = nil;
        NSData *data = [NSPropertyListSerialization dataWithPropertyList:values
                                                                  format:NSPropertyListBinaryFormat_v1_0
                                                                 options:0
                                                                   error:&error];
        if (!data)
            return std::nullopt;
        return QByteArray::fromNSData(data);
    }
}

std::optional<QString> MacMailPreferences::change(const QList<Change> &changes)
{
    if (!m_isUsersOwn)
        return notOwnSentence();
    @autoreleasepool {
        NSMutableDictionary<NSString *, NSMutableDictionary *> *edited = [NSMutableDictionary dictionary];
        for (const Change &change : changes) {
            NSString *key = change.key.toNSString();
            NSMutableDictionary *dictionary = edited[key];
            if (!dictionary) {
                const id value = copyValue(change.key);
                if (value && ![value isKindOfClass:[NSDictionary class]])
                    return QStringLiteral("Mail's preferences hold a %1 that is not a dictionary, so nothing "
                                          "was changed.")
                        .arg(change.key);
                dictionary = value ? [value mutableCopy] : [NSMutableDictionary dictionary];
                edited[key] = dictionary;
            }
            if (change.value)
                dictionary[change.entry.toNSString()] = change.value->toNSString();
            else
                [dictionary removeObjectForKey:change.entry.toNSString()];
        }
        for (NSString *key in edited)
            CFPreferencesSetAppValue((__bridge CFStringRef)key, (__bridge CFPropertyListRef)edited[key],
                                     (__bridge CFStringRef)mailDomain);
        if (!CFPreferencesAppSynchronize((__bridge CFStringRef)mailDomain))
            return QStringLiteral("Mail's preferences could not be saved.");
        return std::nullopt;
    }
}
