// Export Picture from the window.
#include "picture_export.h"

#include <QFileDialog>
#include <QImage>
#include <QOpenGLFramebufferObject>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string_view>

#include "atomic_write.h"
#include "dialog_support.h"
#include "dialogs.h"
#include "frame.h"
#include "gl_setup.h"
#include "gl_view.h"
#include "molecule.h"
#include "picture.h"
#include "prompts.h"
#include "recent_files.h"
#include "shell_state.h"
#include "view_state.h"

bool ParsePictureOptions(const std::string& text, PictureOptions& options) {
    PictureOptions read;
    // The closing word asks for the hover to be kept in the picture.
    std::string numbers = text;
    const size_t end = numbers.find_last_not_of(" \t");
    constexpr std::string_view kHoverWord = "hover";
    if (end != std::string::npos && end + 1 >= kHoverWord.size() &&
        numbers.compare(end + 1 - kHoverWord.size(), kHoverWord.size(), kHoverWord) == 0) {
        numbers.resize(end + 1 - kHoverWord.size());
        read.hover = true;
    }
    std::istringstream in(numbers);
    char times = 0;
    if (!(in >> read.width >> times >> read.height) || (times != 'x' && times != 'X')) return false;
    if (!(in >> std::ws).eof() && !(in >> read.scale)) return false;
    if (!(in >> std::ws).eof() && !(in >> read.dpi)) return false;
    if (!(in >> std::ws).eof()) return false;
    if (read.width < 1 || read.width > 16384 || read.height < 1 || read.height > 16384 ||
        !std::isfinite(read.scale) || read.scale <= 0.0f || read.scale > 100.0f || read.dpi < 1 ||
        read.dpi > 100000)
        return false;
    options = read;
    return true;
}

namespace {

// The frame's colours as drawn. Qt reads an RGBA framebuffer as premultiplied,
// but the alpha the scene leaves (below 1 where the translucent clouds were
// blended) is no coverage: dividing by it would brighten the clouds and wrap
// bright colours round.
QImage OpaqueImage(QImage image) {
    if (image.format() == QImage::Format_RGBA8888_Premultiplied ||
        image.format() == QImage::Format_RGBA8888)
        image.reinterpretAsFormat(QImage::Format_RGBX8888);
    else if (image.format() == QImage::Format_ARGB32_Premultiplied ||
             image.format() == QImage::Format_ARGB32)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image.convertToFormat(QImage::Format_RGB888);
}

// The main window's view, or null without a window.
GLView* TheView() {
    return shellState.mainWindow ? shellState.mainWindow->findChild<GLView*>() : nullptr;
}

}  // namespace

// The largest framebuffer drawn at once; a larger picture is drawn in tiles
// of this size, each multisampled like the window.
constexpr int kLargestTile = 4096;

bool ExportPicture(const std::string& path, const PictureOptions& options) {
    GLView* view = TheView();
    if (!view || !view->contextUsable()) return false;
    view->makeCurrent();
    int largestWidth = 0, largestHeight = 0;
    LargestFrame(largestWidth, largestHeight);
    if (options.width > largestWidth || options.height > largestHeight) {
        view->doneCurrent();
        ShowMessage("A picture can be at most " + std::to_string(largestWidth) + "x" +
                        std::to_string(largestHeight) + " pixels here.",
                    "Export Picture");
        return false;
    }
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    format.setSamples(kSurfaceSamples);
    const int tileWidth = std::min(options.width, kLargestTile);
    const int tileHeight = std::min(options.height, kLargestTile);
    Image image;
    bool drawn = false;
    {
        QOpenGLFramebufferObject target(tileWidth, tileHeight, format);
        if (target.isValid()) {
            FrameInput frame;
            frame.width = options.width;
            frame.height = options.height;
            frame.pointerInView = false;
            frame.keepHover = options.hover;
            // The window's own frames pick again; until the next one the
            // atom under the pointer stays hovered.
            const int hoverNode = molecule.hoverNode;
            OutOfMemoryReported();  // errors left from before are not this picture's
            drawn = DrawInTiles(
                frame, tileWidth, tileHeight, options.scale,
                [&](const FrameInput& part, Image& tile) {
                    if (!target.bind()) return false;
                    RenderFrame(part);
                    if (OutOfMemoryReported()) return false;
                    // GL rows run bottom to top; the image's top to bottom.
                    const QImage read = OpaqueImage(target.toImage(true));
                    if (read.width() != tileWidth || read.height() != tileHeight) return false;
                    tile.width = tileWidth;
                    tile.height = tileHeight;
                    const size_t row = static_cast<size_t>(tileWidth) * 3;
                    tile.rgb.resize(row * tileHeight);
                    for (int y = 0; y < tileHeight; ++y)
                        std::memcpy(&tile.rgb[row * y], read.constScanLine(y), row);
                    return true;
                },
                image);
            molecule.hoverNode = hoverNode;
            target.release();
        }
    }
    view->doneCurrent();
    if (!drawn) {
        ShowMessage("Unable to draw a picture of " + std::to_string(options.width) + "x" +
                        std::to_string(options.height) + " pixels!",
                    "Export Picture");
        return false;
    }
    const std::string png = EncodePng(image, options.dpi);
    WriteFault fault = WriteFault::Failed;
    if (png.empty() || !WriteFileAtomically(path, png, &fault)) {
        ShowMessage(WriteFaultMessage(path, fault), "File Error!");
        return false;
    }
    return true;
}

void ExportPictureAsked() {
    GLView* view = TheView();
    if (!view) return;
    QFileDialog chooser(shellState.mainWindow, "Export Picture");
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setNameFilter("PNG picture (*.png)");
    chooser.setDefaultSuffix("png");
    KeepChooserFolder(chooser);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const std::string path = QFile::encodeName(chooser.selectedFiles().first()).toStdString();
    const qreal ratio = view->devicePixelRatioF();
    const std::string size = std::to_string(static_cast<int>(view->width() * ratio)) + "x" +
                             std::to_string(static_cast<int>(view->height() * ratio));
    const std::string answer = InputBox(
        shellState.mainWindow, "Picture size WIDTHxHEIGHT, line scale and DPI", size + " 1 96");
    if (answer.find_first_not_of(" \t") == std::string::npos) return;  // cancelled
    PictureOptions options;
    if (!ParsePictureOptions(answer, options)) {
        ShowMessage("Give the picture as WIDTHxHEIGHT [SCALE [DPI]], e.g. 3000x2000 5 300.",
                    "Export Picture");
        return;
    }
    ExportPicture(path, options);
}
