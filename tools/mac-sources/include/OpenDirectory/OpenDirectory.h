// Stands in for Apple's OpenDirectory framework header, which GNUstep does
// not have, for scripts/check-mac-sources only: the few declarations the Mac
// sources use, as Apple documents them. Each one names the page it follows.
#pragma once

#import <Foundation/Foundation.h>

// https://developer.apple.com/documentation/opendirectory/odnodetype
typedef uint32_t ODNodeType;
// https://developer.apple.com/documentation/opendirectory/kodnodetypeauthentication
enum : ODNodeType
{
    kODNodeTypeAuthentication = 0x2201,
};
// https://developer.apple.com/documentation/opendirectory/odrecordtype
typedef NSString *ODRecordType;
// https://developer.apple.com/documentation/opendirectory/odattributetype
typedef NSString *ODAttributeType;
// https://developer.apple.com/documentation/opendirectory/kodrecordtypeusers
extern "C" const ODRecordType kODRecordTypeUsers;
// https://developer.apple.com/documentation/opendirectory/kodattributetypefullname
// ("dsAttrTypeStandard:RealName")
extern "C" const ODAttributeType kODAttributeTypeFullName;
// https://developer.apple.com/documentation/opendirectory/kodattributetypeemailaddress
extern "C" const ODAttributeType kODAttributeTypeEMailAddress;
// https://developer.apple.com/documentation/opendirectory/kodattributetypejobtitle
extern "C" const ODAttributeType kODAttributeTypeJobTitle;
// https://developer.apple.com/documentation/opendirectory/kodattributetypephonenumber
extern "C" const ODAttributeType kODAttributeTypePhoneNumber;
// https://developer.apple.com/documentation/opendirectory/kodattributetypemobilenumber
extern "C" const ODAttributeType kODAttributeTypeMobileNumber;
// https://developer.apple.com/documentation/opendirectory/kodattributetypedepartment
extern "C" const ODAttributeType kODAttributeTypeDepartment;

// https://developer.apple.com/documentation/opendirectory/odsession
@interface ODSession : NSObject
// https://developer.apple.com/documentation/opendirectory/odsession/default()
+ (ODSession *)defaultSession;
@end

// https://developer.apple.com/documentation/opendirectory/odrecord
@interface ODRecord : NSObject
// https://developer.apple.com/documentation/opendirectory/odrecord/values(forattribute:)
- (NSArray *)valuesForAttribute:(ODAttributeType)inAttribute error:(NSError **)outError;
@end

// https://developer.apple.com/documentation/opendirectory/odnode
@interface ODNode : NSObject
// https://developer.apple.com/documentation/opendirectory/odnode/init(session:type:)
+ (instancetype)nodeWithSession:(ODSession *)inSession type:(ODNodeType)inType error:(NSError **)outError;
// https://developer.apple.com/documentation/opendirectory/odnode/record(withrecordtype:name:attributes:)
- (ODRecord *)recordWithRecordType:(ODRecordType)inRecordType
                              name:(NSString *)inRecordName
                        attributes:(id)inAttributes
                             error:(NSError **)outError;
@end
