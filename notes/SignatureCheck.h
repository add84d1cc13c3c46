#pragma once

#include "notes/SignatureNote.h"
#include "store/SignatureImage.h"

#include <QList>
#include <QString>

#include <optional>

// Reads a signature's HTML with libxml2's HTML parser, and the "SignatureIsRich"
// flag of its list entry, and says what Mail and recipients' mail programs will
// do otherwise than the user expects. One note per kind, in the order of the
// kinds; none for a signature without surprises. Never changes anything.
//
// Hostile HTML costs time in proportion to its size: the parser starts afresh
// after every 128 levels of nesting and after a tag with some 40 attributes,
// where libxml2's own work would otherwise grow with the square of either.
namespace SignatureCheck {
// isRich: the list entry's flag; none when the entry does not say. parts:
// the images the signature's file holds, which its cid: addresses name.
// deepest, when given, is set to the most elements the parser ever held open
// at once, which each end tag costs in proportion to.
QList<SignatureNote> check(const QString &html, std::optional<bool> isRich,
                           const QList<SignatureImage> &parts = {}, int *deepest = nullptr);

// Gmail clips a message beyond 102 KB; a signature near that size will be.
inline constexpr qsizetype clippedSize = 100 * 1024;
} // namespace SignatureCheck
