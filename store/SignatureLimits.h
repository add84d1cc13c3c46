#pragma once

#include <QtGlobal>

namespace SignatureLimits {
// A signature is a few kilobytes; this only keeps a runaway file or input
// from being pulled into memory whole. One limit for what is read and written.
inline constexpr qint64 maximumFileSize = 256 * 1024 * 1024;
} // namespace SignatureLimits
