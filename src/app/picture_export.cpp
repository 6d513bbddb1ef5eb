// Export Picture from the window.
#include "picture_export.h"

#include <QFileDialog>
#include <QImage>
#include <QOpenGLFramebufferObject>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string_view>

#include "atomic_write.h"
#include "dialog_support.h"
#include "dialogs.h"
#include "frame.h"
#include "gl_setup.h"
#include "main_window.h"
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

}  // namespace

bool ExportPicture(const std::string& path, const PictureOptions& options) {
    auto* window = qobject_cast<MainWindow*>(shellState.mainWindow);
    if (!window || !window->view()->contextUsable()) return false;
    GLView* view = window->view();
    view->makeCurrent();
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    format.setSamples(kSurfaceSamples);
    QImage picture;
    {
        QOpenGLFramebufferObject target(options.width, options.height, format);
        if (target.isValid() && target.bind()) {
            FrameInput frame;
            frame.width = options.width;
            frame.height = options.height;
            frame.pointerInView = false;
            frame.keepHover = options.hover;
            const float lineScale = viewState.lineScale;
            viewState.lineScale = options.scale;
            // The window's own frames pick again; until the next one the
            // atom under the pointer stays hovered.
            const int hoverNode = molecule.hoverNode;
            RenderFrame(frame);
            molecule.hoverNode = hoverNode;
            viewState.lineScale = lineScale;
            // GL rows run bottom to top; the image's top to bottom.
            picture = OpaqueImage(target.toImage(true));
            target.release();
        }
    }
    view->doneCurrent();
    if (picture.isNull()) {
        ShowMessage("Unable to draw a picture of " + std::to_string(options.width) + "x" +
                        std::to_string(options.height) + " pixels!",
                    "Export Picture");
        return false;
    }
    Image image;
    image.width = picture.width();
    image.height = picture.height();
    const size_t row = static_cast<size_t>(image.width) * 3;
    image.rgb.resize(row * image.height);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(&image.rgb[row * y], picture.constScanLine(y), row);
    const std::string png = EncodePng(image, options.dpi);
    if (png.empty() || !WriteFileAtomically(path, png)) {
        ShowMessage("Unable to open file " + path + "!", "File Error!");
        return false;
    }
    return true;
}

void ExportPictureAsked() {
    auto* window = qobject_cast<MainWindow*>(shellState.mainWindow);
    if (!window) return;
    QFileDialog chooser(window, "Export Picture");
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setNameFilter("PNG picture (*.png)");
    chooser.setDefaultSuffix("png");
    KeepChooserFolder(chooser);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const std::string path = QFile::encodeName(chooser.selectedFiles().first()).toStdString();
    const qreal ratio = window->view()->devicePixelRatioF();
    const std::string size = std::to_string(static_cast<int>(window->view()->width() * ratio)) +
                             "x" +
                             std::to_string(static_cast<int>(window->view()->height() * ratio));
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
