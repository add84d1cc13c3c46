#pragma once

#include <QByteArray>

#include <optional>

// libplist parses nested containers recursively, so a few hundred kilobytes of
// nesting exhaust the stack. Mail's files are a few levels deep; this measures
// the nesting of XML and binary data without recursion before it is parsed.
namespace PropertyListShape {
inline constexpr int maximumDepth = 256;

// The XML document as elements, attributes and text only, for the parser
// to read instead of the data, so it sees nothing that was not measured:
// comments, processing instructions and the DOCTYPE are gone, CDATA and
// entities are plain text. None when the data is not well-formed XML,
// refers to an entity it does not declare, or nests elements deeper than
// maximumDepth.
std::optional<QByteArray> shallowXml(const QByteArray &data);
// True when the binary data's objects nest no deeper than maximumDepth;
// false too when the object graph is malformed or cyclic.
bool binaryIsShallowEnough(const QByteArray &data);
} // namespace PropertyListShape
