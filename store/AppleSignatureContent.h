#pragma once

#include <QMetaType>
#include <QString>

// A signature file split into the header Mail wrote and the HTML body.
struct AppleSignatureContent
{
    QString header;
    QString htmlContent;

    friend bool operator==(const AppleSignatureContent &a, const AppleSignatureContent &b);
    friend bool operator!=(const AppleSignatureContent &a, const AppleSignatureContent &b)
    {
        return !(a == b);
    }
};

Q_DECLARE_METATYPE(AppleSignatureContent)
