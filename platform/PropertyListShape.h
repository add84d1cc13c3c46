#pragma once

#include <QByteArray>

// libplist parses nested containers recursively, so a few hundred kilobytes of
// nesting exhaust the stack. Mail's files are a few levels deep; this checks
// the nesting of XML and binary data without recursion before it is parsed.
class PropertyListShape
{
public:
    static constexpr int maximumDepth = 256;

    // True when the data's containers nest no deeper than maximumDepth. For
    // binary data also false when the object graph is malformed or cyclic.
    static bool isShallowEnough(const QByteArray &data);

private:
    static bool xmlIsShallowEnough(const QByteArray &data);
    static bool binaryIsShallowEnough(const QByteArray &data);
};
