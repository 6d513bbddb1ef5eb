// One frame drawn offscreen into a PNG file.
#include <png.h>

#include <cstring>

#include "element.h"
#include "molecule.h"
#include "picture.h"
#include "process_state.h"
#include "prompts_fake.h"
#include "settings.h"

namespace {

class PictureTest : public FreshProcessTest {};

// Decodes PNG bytes into RGB rows, top row first; false when they are no PNG.
bool DecodePng(const std::string& bytes, Image& image) {
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

const unsigned char* At(const Image& image, int x, int y) {
    return &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
}

TEST_F(PictureTest, WritesTheFrameAtTheAskedSize) {
    settings.BackgroundColour = {0.2f, 0.4f, 0.6f, 1};
    settings.Specular = false;
    elementTable.push_back(Element{});
    elementTable[0].radius = 20;
    elementTable[0].colour = {1, 0, 0, 1};
    Node node;
    node.element = &elementTable[0];
    AppendNode(node);

    TemporaryFolder folder;
    const std::string path = folder.File("frame.png");
    PictureRequest request;
    request.width = 160;
    request.height = 120;
    ASSERT_EQ(RenderToPng(path, request), PictureResult::written);

    Image image;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty(path), image));
    EXPECT_EQ(image.width, 160);
    EXPECT_EQ(image.height, 120);
    const unsigned char* corner = At(image, 0, 0);
    EXPECT_NEAR(corner[0], 51, 1);
    EXPECT_NEAR(corner[1], 102, 1);
    EXPECT_NEAR(corner[2], 153, 1);
    const unsigned char* centre = At(image, 80, 60);
    EXPECT_GT(centre[0], 200);
    EXPECT_LT(centre[1], 10);
    EXPECT_EQ(molecule.hoverNode, -1);  // no pointer over the view
    EXPECT_TRUE(fakePrompts.shown.empty());
}

TEST_F(PictureTest, PointerOverAnAtomHoversIt) {
    elementTable.push_back(Element{});
    elementTable[0].radius = 20;
    Node node;
    node.element = &elementTable[0];
    AppendNode(node);
    TemporaryFolder folder;
    PictureRequest request;
    request.pointerInView = true;
    request.mouseX = 300;
    request.mouseY = 200;
    ASSERT_EQ(RenderToPng(folder.File("hover.png"), request), PictureResult::written);
    EXPECT_EQ(molecule.hoverNode, 0);
}

TEST_F(PictureTest, UnwritablePathIsReportedAndLeavesNoFile) {
    TemporaryFolder folder;
    const std::string path = folder.File("missing/frame.png");
    EXPECT_EQ(RenderToPng(path, PictureRequest{}), PictureResult::notWritten);
    ASSERT_EQ(fakePrompts.shown.size(), 1u);
    EXPECT_EQ(fakePrompts.shown[0],
              (ShownMessage{"Unable to open file " + path + "!", "File Error!"}));
}

TEST_F(PictureTest, SizeBeyondTheDriversLimitMakesNoContext) {
    TemporaryFolder folder;
    PictureRequest request;
    request.width = 100000;
    request.height = 100000;
    EXPECT_EQ(RenderToPng(folder.File("huge.png"), request), PictureResult::noContext);
    EXPECT_TRUE(ReadFileOrEmpty(folder.File("huge.png")).empty());
}

TEST(PngEncoding, RejectsAnImageWhoseBytesDoNotMatchItsSize) {
    Image image;
    EXPECT_TRUE(EncodePng(image).empty());
    image.width = 2;
    image.height = 2;
    image.rgb.assign(11, 0);
    EXPECT_TRUE(EncodePng(image).empty());
    image.rgb.assign(12, 255);
    Image decoded;
    ASSERT_TRUE(DecodePng(EncodePng(image), decoded));
    EXPECT_EQ(decoded.rgb, image.rgb);
}

}  // namespace
