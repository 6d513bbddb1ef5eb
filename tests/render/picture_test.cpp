// One frame drawn offscreen into a PNG file.
#include "picture.h"

#include <cstring>

#include "element.h"
#include "molecule.h"
#include "png_decode.h"
#include "process_state.h"
#include "settings.h"
#include "view_state.h"

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
    const PictureOutcome outcome = RenderToPng(path, request);
    ASSERT_EQ(outcome.result, PictureResult::written);

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
    EXPECT_TRUE(outcome.notices.empty());
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
    ASSERT_EQ(RenderToPng(folder.File("hover.png"), request).result, PictureResult::written);
    EXPECT_EQ(molecule.hoverNode, 0);
}

TEST_F(PictureTest, UnwritablePathIsReportedAndLeavesNoFile) {
    TemporaryFolder folder;
    const std::string path = folder.File("missing/frame.png");
    const PictureOutcome outcome = RenderToPng(path, PictureRequest{});
    EXPECT_EQ(outcome.result, PictureResult::notWritten);
    EXPECT_EQ(outcome.notices, (Notices{{"Unable to open file " + path + "!", "File Error!"}}));
}

TEST_F(PictureTest, SizeBeyondTheRenderersLimitIsRefusedNamingTheLargest) {
    TemporaryFolder folder;
    PictureRequest request;
    request.width = 100000;
    request.height = 100000;
    const PictureOutcome outcome = RenderToPng(folder.File("huge.png"), request);
    EXPECT_EQ(outcome.result, PictureResult::tooLarge);
    const PictureSize& largest = outcome.largest;
    EXPECT_TRUE(ReadFileOrEmpty(folder.File("huge.png")).empty());
    EXPECT_GE(largest.width, 4096);
    EXPECT_LT(largest.width, request.width);
    EXPECT_GE(largest.height, 4096);
}

// Drawn in small tiles, with the hover text, labels and a cloud crossing
// their edges, the picture is the one drawn whole; a picture wider than the
// renderer's surface is drawn too.
TEST_F(PictureTest, TilesMakeTheSamePictureAsOneFrame) {
    settings.Specular = true;
    elementTable.assign(2, Element{});
    elementTable[0] = {"Carbon", "C", 6, 2, 4, 'A', 0, 12.0f, 30.0f, {0.5f, 0.5f, 0.5f, 1}};
    elementTable[1] = {"Oxygen", "O", 8, 2, 6, 'A', 0, 16.0f, 28.0f, {1, 0, 0, 1}};
    for (int i = 0; i < 12; ++i) {
        Node node;
        node.id = i;
        node.element = &elementTable[i % 2];
        node.position = {static_cast<float>(i * 23 % 200 - 100),
                         static_cast<float>(i * 41 % 160 - 80), static_cast<float>(i * 17 % 60)};
        if (i == 0) node.position = {0, 0, 100};  // under the pointer
        node.cloud = i == 3;
        AppendNode(node);
    }
    viewState.labelMode = 2;
    TemporaryFolder folder;
    PictureRequest request;
    request.pointerInView = true;
    request.mouseX = 300;
    request.mouseY = 200;
    auto picture = [&](const std::string& name, int tileSize) {
        request.tileSize = tileSize;
        EXPECT_EQ(RenderToPng(folder.File(name), request).result, PictureResult::written);
        DecodedPng image;
        EXPECT_TRUE(DecodePng(ReadFileOrEmpty(folder.File(name)), image));
        return image;
    };
    const DecodedPng whole = picture("whole.png", 0);
    const DecodedPng tiled = picture("tiled.png", 97);
    ASSERT_NE(molecule.hoverNode, -1);
    ASSERT_EQ(tiled.rgb.size(), whole.rgb.size());
    int differing = 0;
    for (size_t i = 0; i < whole.rgb.size(); ++i)
        differing += std::abs(whole.rgb[i] - tiled.rgb[i]) > 8;
    // Edges that fall on a tile's border may round to the other pixel.
    EXPECT_LT(differing, static_cast<int>(whole.rgb.size() / 2000));

    request.width = 4500;
    request.height = 40;
    const DecodedPng wide = picture("wide.png", 0);
    ASSERT_EQ(wide.width, 4500);
    // The molecule, in the middle, lies in the second tile.
    int drawn = 0;
    for (int y = 5; y < 35; ++y)
        for (int x = 2200; x < 2300; ++x)
            drawn += std::memcmp(wide.At(x, y), wide.At(5, 20), 3) != 0;
    EXPECT_GT(drawn, 50);
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
