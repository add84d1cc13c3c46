#include "platform/mac/MacUserRecord.h"

#import <Foundation/Foundation.h>
#import <OpenDirectory/OpenDirectory.h>

std::optional<QMap<QString, QString>> MacUserRecord::fields(const std::optional<QString> &user) const
{
    @autoreleasepool {
        NSError *error = nil;
        ODNode *node = [ODNode nodeWithSession:[ODSession defaultSession]
                                          type:kODNodeTypeAuthentication
                                         error:&error];
        NSArray<ODAttributeType> *attributes = @[
            kODAttributeTypeFullName, kODAttributeTypeEMailAddress, kODAttributeTypeJobTitle,
            kODAttributeTypePhoneNumber, kODAttributeTypeMobileNumber, kODAttributeTypeDepartment
        ];
        ODRecord *record = [node recordWithRecordType:kODRecordTypeUsers
                                                 name:user ? user->toNSString() : NSUserName()
                                           attributes:attributes
                                                error:&error];
        if (!record)
            return std::nullopt;
        static const char *const names[] = {"name", "email", "title", "phone", "mobile", "department"};
        QMap<QString, QString> fields;
        for (NSUInteger i = 0; i < attributes.count; ++i) {
            NSArray *values = [record valuesForAttribute:attributes[i] error:&error];
            const id value = values.firstObject;
            if ([value isKindOfClass:[NSString class]] && [value length] > 0)
                fields.insert(QLatin1String(names[i]), QString::fromNSString(value));
        }
        return fields;
    }
}
