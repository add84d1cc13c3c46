#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <glib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding: aborting makes libFuzzer keep the input.
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

// The bytes as text; unlike QString::fromUtf8 it keeps a leading U+FEFF.
inline QString text(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// Strict UTF-8, judged by GLib, not the decoder under test (GLib refuses NUL bytes).
inline bool isValidUtf8(QByteArray bytes)
{
    bytes.replace('\0', ' ');
    return g_utf8_validate_len(bytes.constData(), static_cast<gsize>(bytes.size()), nullptr);
}

} // namespace fuzz
