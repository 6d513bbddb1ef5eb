// Reading a frame back, PNG encoding with libpng, and the headless picture.
#include "picture.h"

#include <GL/gl.h>
#include <png.h>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "atomic_write.h"
#include "camera.h"
#include "dragging.h"
#include "frame.h"
#include "gl_setup.h"
#include "molecule.h"
#include "offscreen.h"
#include "view_state.h"

Image ReadFrameImage(int width, int height) {
    Image image;
    if (width <= 0 || height <= 0) return image;
    image.width = width;
    image.height = height;
    const size_t row = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(row * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL rows run bottom to top, picture rows top to bottom.
    image.rgb.resize(bottomUp.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&image.rgb[row * y], &bottomUp[row * (height - 1 - y)], row);
    return image;
}

namespace {

void PutBigEndian(std::string& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((value >> shift) & 0xff);
}

// A pHYs chunk (pixels per metre, both ways) placed right after IHDR, where
// every PNG has it: 8 bytes of signature, then IHDR's 13 data bytes framed by
// length, type and CRC.
void InsertResolution(std::string& png, int dpi) {
    constexpr size_t kAfterHeader = 8 + 4 + 4 + 13 + 4;
    if (png.size() < kAfterHeader) return;
    const auto perMetre = static_cast<uint32_t>(std::lround(dpi / 0.0254));
    std::string chunk;
    PutBigEndian(chunk, 9);
    chunk += "pHYs";
    PutBigEndian(chunk, perMetre);
    PutBigEndian(chunk, perMetre);
    chunk += '\1';  // unit: the metre
    const auto* typed = reinterpret_cast<const Bytef*>(chunk.data() + 4);
    PutBigEndian(chunk, static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), typed, 4 + 9)));
    png.insert(kAfterHeader, chunk);
}

}  // namespace

std::string EncodePng(const Image& image, int dpi) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3)
        return {};
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    png.flags = PNG_IMAGE_FLAG_FAST;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(png, size, 0, image.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return {};
    }
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return {};
    }
    bytes.resize(size);
    if (dpi > 0) InsertResolution(bytes, dpi);
    return bytes;
}

bool DrawInTiles(const FrameInput& frame, int tileWidth, int tileHeight, float lineScale,
                 const std::function<bool(const FrameInput&, Image&)>& drawTile, Image& picture) {
    struct KeepLineScale {
        float kept = viewState.lineScale;
        ~KeepLineScale() { viewState.lineScale = kept; }
    } keep;
    viewState.lineScale = lineScale;
    picture = Image{};
    const int width = frame.width, height = frame.height;
    if (tileWidth <= 0 || tileHeight <= 0 || tileWidth > width || tileHeight > height) return false;
    try {
        picture.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    picture.width = width;
    picture.height = height;
    const ViewState start = viewState;
    const size_t row = static_cast<size_t>(tileWidth) * 3;
    for (int bottom = 0; bottom < height; bottom += tileHeight) {
        for (int left = 0; left < width; left += tileWidth) {
            FrameInput part = frame;
            part.tileLeft = std::min(left, width - tileWidth);
            part.tileBottom = std::min(bottom, height - tileHeight);
            viewState = start;
            Image tile;
            if (!drawTile(part, tile) || tile.width != tileWidth || tile.height != tileHeight ||
                tile.rgb.size() != row * static_cast<size_t>(tileHeight)) {
                picture = Image{};
                return false;
            }
            // The tile's top row lies this far down the picture.
            const int top = height - part.tileBottom - tileHeight;
            for (int y = 0; y < tileHeight; ++y)
                std::memcpy(
                    &picture.rgb[(static_cast<size_t>(top + y) * width + part.tileLeft) * 3],
                    &tile.rgb[row * y], row);
        }
    }
    return true;
}

namespace {

// The tile sizes tried when the driver takes no surface of the whole picture.
constexpr int kLargestTile = 4096;
constexpr int kSmallestTile = 256;

// A context whose surface holds the whole picture, or else a tile of it no
// larger than tileSize (when above 0); its size in width and height.
bool CreatePictureContext(const PictureRequest& request, OffscreenContext& context, int& width,
                          int& height) {
    const int largest = request.tileSize > 0 ? request.tileSize : kLargestTile;
    width = request.width;
    height = request.height;
    if ((request.tileSize <= 0 || (width <= largest && height <= largest)) &&
        CreateOffscreenContext(width, height, context))
        return true;
    for (int tile = largest; tile >= std::min(largest, kSmallestTile); tile /= 2) {
        width = std::min(request.width, tile);
        height = std::min(request.height, tile);
        if (CreateOffscreenContext(width, height, context)) return true;
    }
    return false;
}

}  // namespace

PictureOutcome RenderToPng(const std::string& path, const PictureRequest& request) {
    PictureOutcome outcome;
    OffscreenContext context;
    int tileWidth = 0, tileHeight = 0;
    if (request.width <= 0 || request.height <= 0 ||
        !CreatePictureContext(request, context, tileWidth, tileHeight))
        return outcome;
    int largestWidth = 0, largestHeight = 0;
    LargestFrame(largestWidth, largestHeight);
    if (request.width > largestWidth || request.height > largestHeight) {
        DestroyOffscreenContext(context);
        outcome.largest = {largestWidth, largestHeight};
        outcome.result = PictureResult::tooLarge;
        return outcome;
    }
    outcome.notices = SetupOpenGL();  // resets the camera
    if (request.fit) {
        const int current = molecule.currentNode;
        molecule.currentNode = -1;
        CentreMolecule();
        molecule.currentNode = current;
    }
    if (request.turnGiven) {
        viewState.modelYaw = request.turnYaw;
        viewState.modelPitch = request.turnPitch;
    }
    if (request.fit) FitEyeToMolecule(request.width, request.height);
    FrameInput frame;
    frame.width = request.width;
    frame.height = request.height;
    frame.mouseX = request.mouseX;
    frame.mouseY = request.mouseY;
    frame.pointerInView = request.pointerInView;
    Image picture;
    const bool drawn = DrawInTiles(
        frame, tileWidth, tileHeight, request.lineScale,
        [&](const FrameInput& part, Image& tile) {
            for (long long i = 0; i < request.repeat || i == 0; ++i) {
                RenderFrame(part);
                glFinish();
            }
            if (OutOfMemoryReported()) return false;
            tile = ReadFrameImage(tileWidth, tileHeight);
            return true;
        },
        picture);
    DestroyOffscreenContext(context);
    if (!drawn) {
        outcome.result = PictureResult::notDrawn;
        return outcome;
    }
    const std::string png = EncodePng(picture, request.dpi);

    WriteFault fault = WriteFault::Failed;
    if (png.empty() || !WriteFileAtomically(path, png, &fault)) {
        outcome.notices.push_back({WriteFaultMessage(path, fault), "File Error!"});
        outcome.result = PictureResult::notWritten;
        return outcome;
    }
    outcome.result = PictureResult::written;
    return outcome;
}
