#pragma once
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

// A varlume-run screenshot read back: 456 x 312 pixels, each 0xRRGGBB.
struct TScreenshot {
    static constexpr int Width = 456;
    static constexpr int Height = 312;
    std::vector<uint32_t> Pixels;

    uint32_t At(int line, int x) const { return Pixels[size_t(line) * Width + size_t(x)]; }
    bool Empty() const { return Pixels.empty(); }
};

// Empty when the file is not a PNG of the whole raster.
inline TScreenshot ReadScreenshot(const std::string& path) {
    TScreenshot shot;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return shot;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (image.width != TScreenshot::Width || image.height != TScreenshot::Height ||
        !png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return shot;
    }
    shot.Pixels.resize(size_t(TScreenshot::Width) * TScreenshot::Height);
    for (size_t i = 0; i < shot.Pixels.size(); ++i)
        shot.Pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return shot;
}
