#include "platform/mac/MacManagedPreferences.h"

#include <QCoreApplication>
#include <QStringList>

#import <Foundation/Foundation.h>

std::optional<QMap<QString, QString>> MacManagedPreferences::dictionary(const QString &key,
                                                                        QString *failure) const
{
    // The bundle identifier, as Qt builds its preferences domain: the organisation's domain reversed, then
    // the application's name.
    QStringList parts = QCoreApplication::organizationDomain().split(u'.');
    std::reverse(parts.begin(), parts.end());
    const QString domain = parts.join(u'.') + u'.' + QCoreApplication::applicationName();
    @autoreleasepool {
        QMap<QString, QString> texts;
        const id value = CFBridgingRelease(CFPreferencesCopyAppValue(
            (__bridge CFStringRef)key.toNSString(), (__bridge CFStringRef)domain.toNSString()));
        if (!value)
            return texts;
        if (![value isKindOfClass:[NSDictionary class]]) {
            *failure = QStringLiteral("The managed %1 of %2 is not a dictionary.").arg(key, domain);
            return std::nullopt;
        }
        NSDictionary *dictionary = value;
        for (id name in dictionary) {
            const id text = dictionary[name];
            if (![name isKindOfClass:[NSString class]] || ![text isKindOfClass:[NSString class]]) {
                *failure = QStringLiteral("The managed %1 of %2 gives %3 a value that is not text.")
                               .arg(key, domain, QString::fromNSString([name description]));
                return std::nullopt;
            }
            texts.insert(QString::fromNSString(name), QString::fromNSString(text));
        }
        return texts;
    }
}
