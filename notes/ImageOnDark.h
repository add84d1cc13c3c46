#pragma once

#include <QByteArray>

// Whether an image a signature carries (in a data: address or a part of its
// file) is hard to see on a
// dark background: a PNG with transparency whose visible pixels mostly have
// less than 3:1 contrast with Mail's dark background (#1e1e1e), as a black
// logo on nothing has. Mail in dark mode, and many recipients' programs,
// show it there as it is. Images behind other addresses are never fetched,
// and other formats never decoded, so they are never found hard to see.
namespace ImageOnDark {
bool isHardToSee(const QByteArray &image);

// Larger images are not decoded: a few bytes can claim a huge one.
inline constexpr int maximumPixels = 1024 * 1024;
} // namespace ImageOnDark
