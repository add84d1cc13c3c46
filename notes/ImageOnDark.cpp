#include "notes/ImageOnDark.h"

#include <QByteArray>

#include <png.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// WCAG's relative luminance of an sRGB colour.
double luminance(png_byte red, png_byte green, png_byte blue)
{
    const auto linear = [](png_byte value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

} // namespace

bool ImageOnDark::isHardToSee(const QByteArray &bytes)
{
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8))
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.constData(), size_t(bytes.size())))
        return false;
    if (image.width == 0 || image.height == 0 || double(image.width) * image.height > maximumPixels) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return false;
    // Mail's dark background, and the least contrast WCAG asks of graphics.
    const double background = luminance(0x1e, 0x1e, 0x1e);
    qsizetype visible = 0, faint = 0;
    bool transparent = false;
    for (size_t at = 0; at + 3 < pixels.size(); at += 4) {
        const png_byte alpha = pixels[at + 3];
        transparent = transparent || alpha < 255;
        if (alpha < 128)
            continue;
        ++visible;
        const double shown = luminance(pixels[at], pixels[at + 1], pixels[at + 2]);
        if ((std::max(shown, background) + 0.05) / (std::min(shown, background) + 0.05) < 3.0)
            ++faint;
    }
    return transparent && visible > 0 && faint * 2 > visible;
}
