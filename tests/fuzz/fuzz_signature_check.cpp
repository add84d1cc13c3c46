// The notes on a signature's HTML: any text is read without harm, and what it
// hides in a comment never counts.
#include "notes/SignatureCheck.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>

namespace {

QList<SignatureNote::Kind> kindsOf(const QList<SignatureNote> &notes)
{
    QList<SignatureNote::Kind> kinds;
    for (const SignatureNote &note : notes)
        kinds.append(note.kind);
    return kinds;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString html = fuzz::text(fuzz::bytes(data, size));
    const QList<SignatureNote::Kind> kinds = kindsOf(SignatureCheck::check(html, size % 2 == 0));
    // One note per kind, in the order of the kinds; the flag and the size decide their own notes alone.
    FUZZ_CHECK(std::is_sorted(kinds.begin(), kinds.end()) &&
               std::adjacent_find(kinds.begin(), kinds.end()) == kinds.end());
    FUZZ_CHECK(kinds.contains(SignatureNote::Kind::PlainFont) == (size % 2 == 1));
    FUZZ_CHECK(kinds.contains(SignatureNote::Kind::TooLarge) ==
               (html.toUtf8().size() > SignatureCheck::clippedSize));
    // The same text again gives the same notes.
    FUZZ_CHECK(kindsOf(SignatureCheck::check(html, size % 2 == 0)) == kinds);
    // Inside a comment nothing but its size can be noted; without "-" nothing can end the comment early.
    QString hidden = html;
    hidden.remove(u'-');
    const QList<SignatureNote::Kind> commented =
        kindsOf(SignatureCheck::check(QStringLiteral("<!--") + hidden + QStringLiteral("-->"), true));
    FUZZ_CHECK(commented.isEmpty() || commented == QList<SignatureNote::Kind>{SignatureNote::Kind::TooLarge});
    // A script ahead of anything is always seen, however the rest breaks the parser.
    FUZZ_CHECK(kindsOf(SignatureCheck::check(QStringLiteral("<script></script>") + html, true))
                   .contains(SignatureNote::Kind::Script));
    return 0;
}
