#include "store/AppleSignatureContent.h"

#include "store/SignatureModel.h"

bool operator==(const AppleSignatureContent &a, const AppleSignatureContent &b)
{
    return canonicallyEqual(a.header, b.header) && canonicallyEqual(a.htmlContent, b.htmlContent);
}
