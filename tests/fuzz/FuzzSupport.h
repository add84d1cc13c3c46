#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a crash: aborting makes libFuzzer keep
// the input that broke it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);          \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// The bytes as text, invalid sequences replaced. Unlike QString::fromUtf8 it
// keeps a leading U+FEFF, so inputs can start with one.
inline QString text(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// Strict UTF-8 as RFC 3629 has it: shortest form only, no surrogates, nothing
// above U+10FFFF. Written out here so the checks do not trust the decoder they
// check.
inline bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80)
            continue;
        int more = 0;
        uint32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (end - p < more)
            return false;
        for (int i = 0; i < more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        p += more;
        if ((more == 2 && cp < 0x800) || (more == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
    }
    return true;
}

// Occurrences of needle found by a left-to-right search that consumes each
// one whole (so "\n\n" occurs once in "\n\n\n").
inline int occurrences(QStringView text, QStringView needle)
{
    int count = 0;
    for (qsizetype i = 0; i + needle.size() <= text.size();) {
        if (text.mid(i, needle.size()) == needle) {
            ++count;
            i += needle.size();
        } else {
            ++i;
        }
    }
    return count;
}

} // namespace fuzz
