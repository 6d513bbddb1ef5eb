// One frame drawn offscreen into a PNG file.
#include "picture.h"
#include "element.h"
#include "molecule.h"
#include "png_decode.h"
#include "process_state.h"
#include "prompts_fake.h"
#include "settings.h"

namespace {

class PictureTest : public FreshProcessTest {};

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

    DecodedPng image;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty(path), image));
    EXPECT_EQ(image.width, 160);
    EXPECT_EQ(image.height, 120);
    const unsigned char* corner = image.At(0, 0);
    EXPECT_NEAR(corner[0], 51, 1);
    EXPECT_NEAR(corner[1], 102, 1);
    EXPECT_NEAR(corner[2], 153, 1);
    const unsigned char* centre = image.At(80, 60);
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
    DecodedPng decoded;
    ASSERT_TRUE(DecodePng(EncodePng(image), decoded));
    EXPECT_EQ(decoded.rgb, image.rgb);
}

}  // namespace
