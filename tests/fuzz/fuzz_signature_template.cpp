// Templates: any text is filled or refused in one sentence without harm, and sections nested past the
// bound, or a partial, never reach the filler, however the text hides them.
#include "store/SignatureTemplate.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString html = fuzz::text(fuzz::bytes(data, size));
    const QStringList names = SignatureTemplate::fieldNames(html);
    QMap<QString, QString> values;
    for (const QString &name : names)
        values.insert(name, name.size() % 2 == 0 ? name : QString());
    const SignatureTemplate::Filled filled = SignatureTemplate::fill(html, values);
    FUZZ_CHECK(filled.html.has_value() != filled.failure.has_value());
    // A refused template is one sentence, asks for nothing and fills nothing.
    if (const std::optional<QString> refusal = SignatureTemplate::refusal(html))
        FUZZ_CHECK(filled.failure == refusal && names.isEmpty() && SignatureTemplate::hasPlaceholders(html));
    // Whatever follows, sections opened past the bound are refused before it is read.
    const QString deep = QStringLiteral("{{#a}}").repeated(101) + html;
    FUZZ_CHECK(SignatureTemplate::refusal(deep) && !SignatureTemplate::fill(deep, values).html);
    return 0;
}
