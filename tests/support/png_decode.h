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

// The resolution a PNG states in dots per inch, read by libpng (which checks
// the chunk's CRC): 0 when it states none, -1 when bytes are no valid PNG.
inline int PngDotsPerInch(const std::string& bytes) {
    struct Reader {
        const std::string* bytes;
        size_t at = 8;
    } reader{&bytes};
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8))
        return -1;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    int dpi = -1;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
        png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, size_t length) {
            auto* r = static_cast<Reader*>(png_get_io_ptr(p));
            if (r->at + length > r->bytes->size()) png_error(p, "short PNG");
            std::memcpy(out, r->bytes->data() + r->at, length);
            r->at += length;
        });
        png_set_sig_bytes(png, 8);
        png_read_info(png, info);
        png_uint_32 x = 0, y = 0;
        int unit = 0;
        dpi = 0;
        if (png_get_pHYs(png, info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER && x == y)
            dpi = static_cast<int>(x * 0.0254 + 0.5);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return dpi;
}
