// Decoding PNG bytes in tests that check the pictures the program writes.
// Header only, for the suites that link libpng.
#pragma once

#include <png.h>

#include <cstring>
#include <string>
#include <vector>

struct DecodedPng {
    int width = 0;                   // pixels
    int height = 0;                  // pixels
    std::vector<unsigned char> rgb;  // 3 bytes per pixel, top row first

    const unsigned char* At(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
};

// False when bytes are no PNG.
inline bool DecodePng(const std::string& bytes, DecodedPng& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return false;
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    return png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr) != 0;
}
