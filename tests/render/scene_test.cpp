// The frame and the scene: tessellation and geometry rules, colours per
// pass, and pixel probes of what a frame draws.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "drawing.h"
#include "frame.h"
#include "molecule.h"
#include "render_support.h"
#include "settings.h"
#include "view_state.h"

namespace {

const Colour kRed{1, 0, 0, 1};
const Colour kGreen{0, 1, 0, 1};
const Colour kBlue{0, 0, 1, 1};
const Colour kBlack{0, 0, 0, 1};

TEST(SphereSlices, FollowSizeAndDistanceWithinDetailBounds) {
    struct Case {
        float radius, scale, distance;
        int detail, expected;
    };
    const float infinity = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {10, 1, 0.5f, 20, 26},     // asks for 20000
        {10, 1, 1999, 20, 10},     // 1000 * 20 / 2000
        {10, 1, 2000, 20, 9},      // integer division truncates
        {10, 0.5f, 1999, 20, 6},   // 5 is raised to 6
        {10, 1, 9999, 36, 6},      // far atoms stay cheap
        {10, 1, 0, 36, 42},        // DetailLevel + 6
        {10, 1e9f, 0, 20, 26},     // huge scale: no overflow
        {10, 1, infinity, 20, 6},  // an eye flown far away
        {10, 1, 0, INT_MAX, 256},  // a hand-edited detail level stays buildable
        {10, 1, 0, -10, 6},        // a negative one still draws every atom
        {10, 1, 1999, INT_MIN, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SphereSlices(c.radius, c.scale, c.distance, c.detail), c.expected)
            << c.radius << " " << c.scale << " " << c.distance << " " << c.detail;
}

TEST(UnitLength, ScalesExceptZeroLength) {
    const Vector3 zero = ScaleToUnitLength({0, 0, 0});
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
    const Vector3 v = ScaleToUnitLength({3, 0, -4});
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, -0.8f);
}

TEST(Cage, SubdividedOctahedronOfUnitVectorsFacingOutwards) {
    EXPECT_EQ(CageVertices(0).size(), 8u * 3);
    const std::vector<Vector3> vertices = CageVertices(2);
    ASSERT_EQ(vertices.size(), 128u * 3);
    for (size_t i = 0; i < vertices.size(); i += 3) {
        const Vector3& a = vertices[i];
        const Vector3& b = vertices[i + 1];
        const Vector3& c = vertices[i + 2];
        for (const Vector3* v : {&a, &b, &c})
            EXPECT_NEAR(std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z), 1.0f, 1e-6f);
        // Counter-clockwise seen from outside: the face normal points away
        // from the centre.
        const Vector3 u{b.x - a.x, b.y - a.y, b.z - a.z};
        const Vector3 w{c.x - a.x, c.y - a.y, c.z - a.z};
        const Vector3 n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
        EXPECT_GT(n.x * (a.x + b.x + c.x) + n.y * (a.y + b.y + c.y) + n.z * (a.z + b.z + c.z), 0)
            << "triangle " << i / 3;
    }
}

class SceneTest : public RenderTest {
protected:
    Colour CurrentColour() const {
        GLfloat c[4];
        glGetFloatv(GL_CURRENT_COLOR, c);
        return {c[0], c[1], c[2], c[3]};
    }
};

TEST_F(SceneTest, PassColourSharesTheColourBetweenTheLights) {
    struct Case {
        float diffuse, ambient;
        bool invert;
        RenderPass pass;
        Colour expected;
    };
    const Colour c{0.9f, 0.6f, 0.3f, 0.5f};
    const Case cases[] = {
        {1, 0.5f, false, RenderPass::plain, {0.9f, 0.6f, 0.3f, 0.5f}},
        {1, 0.5f, true, RenderPass::plain, {0.1f, 0.4f, 0.7f, 0.5f}},
        {1, 0.5f, false, RenderPass::ambient, {0.3f, 0.2f, 0.1f, 0.5f}},  // ambient third
        {1, 0.5f, false, RenderPass::direct, {0.6f, 0.4f, 0.2f, 0.5f}},   // direct two thirds
        {1, 0.5f, true, RenderPass::ambient, {0.1f / 3, 0.4f / 3, 0.7f / 3, 0.5f}},
        {0,
         0,
         false,
         RenderPass::ambient,
         {0.45f, 0.3f, 0.15f, 0.5f}},  // both lights off: even split
        {0, 0, false, RenderPass::direct, {0.45f, 0.3f, 0.15f, 0.5f}},
    };
    for (const Case& k : cases) {
        settings.LightDiffuse = k.diffuse;
        settings.LightAmbient = k.ambient;
        settings.InvertColours = k.invert;
        PassColour(c, k.pass);
        const Colour got = CurrentColour();
        EXPECT_TRUE(NearColour(got, k.expected, 1e-5f))
            << "pass " << static_cast<int>(k.pass) << " invert " << k.invert << ": " << got.red
            << " " << got.green << " " << got.blue;
        EXPECT_FLOAT_EQ(got.alpha, 0.5f);
    }
}

// Whatever the background, the two passes of a shadowed frame add up to the
// plain colour, and the ambient pass alone holds the ambient share of it.
TEST_F(SceneTest, PassesAddUpToThePlainColourOnAnyBackground) {
    const Colour c{0.7f, 0.7f, 0.2f, 1};
    settings.LightDiffuse = 0.6f;
    settings.LightAmbient = 0.2f;
    for (const Colour background : {Colour{0.25f, 0.25f, 0.4f, 1}, Colour{1, 1, 1, 1}})
        for (const bool invert : {false, true}) {
            settings.BackgroundColour = background;
            settings.InvertColours = invert;
            PassColour(c, RenderPass::plain);
            const Colour plain = CurrentColour();
            PassColour(c, RenderPass::ambient);
            const Colour ambient = CurrentColour();
            PassColour(c, RenderPass::direct);
            const Colour direct = CurrentColour();
            const Colour sum{ambient.red + direct.red, ambient.green + direct.green,
                             ambient.blue + direct.blue, 1};
            EXPECT_TRUE(NearColour(sum, plain, 1e-5f)) << background.red << " " << invert;
            EXPECT_TRUE(
                NearColour(ambient, {plain.red / 4, plain.green / 4, plain.blue / 4, 1}, 1e-5f))
                << background.red << " " << invert;
        }
}

TEST_F(SceneTest, BackgroundFillsTheFrameAndInverts) {
    settings.BackgroundColour = {0.2f, 0.4f, 0.6f, 1};
    Frame();
    EXPECT_TRUE(NearColour(Pixel(0, 0), {0.2f, 0.4f, 0.6f, 1}));
    EXPECT_TRUE(NearColour(Pixel(kViewWidth - 1, kViewHeight - 1), {0.2f, 0.4f, 0.6f, 1}));
    settings.InvertColours = true;
    Frame();
    EXPECT_TRUE(NearColour(Pixel(kCentreX, kCentreY), {0.8f, 0.6f, 0.4f, 1}));
}

TEST_F(SceneTest, SphereIsLitInItsElementsHueFromTheUpperRight) {
    settings.Specular = false;
    AddNode(AddElement(20, kRed), {0, 0, 0});
    Frame();
    const Colour centre = Pixel(kCentreX, kCentreY);
    EXPECT_GT(centre.red, 0.8f);
    EXPECT_LT(centre.green, 0.02f);
    EXPECT_LT(centre.blue, 0.02f);
    // The light sits up and to the right of the eye.
    const Colour upperRight = Pixel(kCentreX + 11, kCentreY - 11);
    const Colour lowerLeft = Pixel(kCentreX - 11, kCentreY + 11);
    EXPECT_GT(upperRight.red, lowerLeft.red + 0.2f);
    EXPECT_GT(lowerLeft.red, 0.2f);  // the ambient light reaches the far side
}

TEST_F(SceneTest, SpecularAddsAWhiteHighlightOnlyWhenOn) {
    AddNode(AddElement(20, kRed), {0, 0, 0});
    settings.Specular = true;
    Frame();
    const Colour shiny = Pixel(kCentreX + 3, kCentreY - 3);
    settings.Specular = false;
    Frame();
    const Colour matt = Pixel(kCentreX + 3, kCentreY - 3);
    EXPECT_GT(shiny.green, 0.1f);
    EXPECT_GT(shiny.blue, 0.1f);
    EXPECT_LT(matt.green, 0.02f);
}

TEST_F(SceneTest, WithBothLightsOffSpheresAreBlackAndLinksKeepTheirColour) {
    settings.LightDiffuse = 0;
    settings.LightAmbient = 0;
    settings.Specular = false;
    settings.LinkColour = kGreen;
    const int element = AddElement(20, kRed);
    Link(AddNode(element, {-100, 0, 0}), AddNode(element, {100, 0, 0}), 1);
    Frame();
    EXPECT_TRUE(NearColour(Pixel(kCentreX - 97, kCentreY + 5), kBlack));
    EXPECT_TRUE(NearColour(Pixel(kCentreX + 97, kCentreY - 5), kBlack));
    EXPECT_TRUE(NearColour(Pixel(kCentreX, kCentreY), kGreen, 0.05f));
}

TEST_F(SceneTest, LinkWidthShowsOrderAndSingleLinksReturnToTwoPixels) {
    // Smooth lines write their coverage into alpha: over a background of
    // alpha 0 the alphas down a column add up to the line's width.
    settings.BackgroundColour = {0, 0, 0, 0};
    settings.LinkColour = {1, 1, 1, 1};
    molecule.name.clear();  // no title over the column
    molecule.formula.clear();
    const int tiny = AddElement(1, kRed);
    // Drawn in list order: two triple links, then a single, then a double.
    const float rows[] = {150, 50, -50, -150};
    const int orders[] = {3, 3, 1, 2};
    for (int k = 0; k < 4; ++k) {
        const int a = AddNode(tiny, {-150, rows[k], 0});
        const int b = AddNode(tiny, {150, rows[k], 0});
        Link(b, a, orders[k]);
    }
    Frame();
    const int bands[][2] = {{0, 100}, {100, 200}, {200, 300}, {300, 400}};
    const float expected[] = {16, 16, 2, 10};
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(AlphaDownColumn(kCentreX, bands[k][0], bands[k][1]), expected[k], 0.3f)
            << "link " << k << " of order " << orders[k];
}

TEST_F(SceneTest, LinkStoredAtBothEndsIsDrawnOnce) {
    const int tiny = AddElement(1, kRed);
    Link(AddNode(tiny, {-100, 0, 0}), AddNode(tiny, {100, 0, 0}), 2);
    int lines = 0;
    for (const FeedbackPrimitive& p : SceneFeedback()) lines += p.line ? 1 : 0;
    EXPECT_EQ(lines, 1);
}

TEST_F(SceneTest, CagesMarkHoveredCurrentAndSelectedNodes) {
    settings.SelectColour = kGreen;
    settings.HighlightColour = kBlue;
    AddNode(AddElement(20, kRed), {0, 0, 0});
    struct Count {
        int select = 0, highlight = 0;
    };
    auto countCageLines = [] {
        Count count;
        for (const FeedbackPrimitive& p : SceneFeedback()) {
            if (!p.line) continue;
            if (NearColour(p.colour, kGreen, 1e-4f)) ++count.select;
            if (NearColour(p.colour, kBlue, 1e-4f)) ++count.highlight;
        }
        return count;
    };
    Node& node = molecule.nodes[0];
    EXPECT_EQ(countCageLines().select + countCageLines().highlight, 0);

    molecule.hoverNode = 0;
    const int oneCage = countCageLines().highlight;
    ASSERT_GT(oneCage, 0);
    EXPECT_EQ(countCageLines().select, 0);

    struct Case {
        int hover, current;
        bool selected;
        int selectCages, highlightCages;
    };
    const Case cases[] = {
        {-1, 0, false, 1, 0},
        {0, 0, false, 1, 0},  // hovered and current: one cage, in the select colour
        {0, 0, true, 2, 0},   // also selected: a second, identical cage
        {-1, -1, true, 1, 0},
        {0, -1, true, 1, 1},
        {5, 7, false, 0, 0},  // stale indices mark nothing
    };
    for (const Case& c : cases) {
        molecule.hoverNode = c.hover;
        molecule.currentNode = c.current;
        node.selected = c.selected;
        const Count count = countCageLines();
        EXPECT_EQ(count.select, c.selectCages * oneCage) << c.hover << " " << c.current;
        EXPECT_EQ(count.highlight, c.highlightCages * oneCage) << c.hover << " " << c.current;
    }
}

TEST_F(SceneTest, CloudBlendsOverWhatIsBehindWithoutWritingDepth) {
    settings.Specular = false;
    settings.BackgroundColour = kBlue;
    settings.CloudColour = {1, 0, 0, 0.5f};
    AddNode(AddElement(20, kGreen), {0, 0, 0});
    molecule.nodes[0].cloud = true;
    Frame();
    // Inside the cloud, outside the atom: half the background shows.
    const Colour shell = Pixel(kCentreX + 30, kCentreY);
    EXPECT_NEAR(shell.blue, 0.5f, 0.02f);
    EXPECT_GT(shell.red, 0.1f);
    EXPECT_EQ(Depth(kCentreX + 30, kCentreY), 1.0f);
    // The atom shows through the cloud.
    const Colour centre = Pixel(kCentreX, kCentreY);
    EXPECT_GT(centre.green, 0.3f);
    EXPECT_GT(centre.red, 0.2f);
    EXPECT_LT(Depth(kCentreX, kCentreY), 1.0f);
}

TEST_F(SceneTest, FrameLeavesTheStateTheOverlayAndDraggingExpect) {
    const int element = AddElement(20, kRed);
    const int a = AddNode(element, {-50, 0, 0});
    const int b = AddNode(element, {50, 0, 0});
    const int c = AddNode(element, {0, 60, 0});
    Link(b, a, 3);
    Link(c, a, 1);
    Link(c, b, 0);
    molecule.nodes[a].cloud = true;
    molecule.nodes[b].selected = true;
    molecule.currentNode = b;
    Frame(kCentreX - 50, kCentreY);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    for (GLenum which : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX}) {
        GLfloat m[16];
        glGetFloatv(which, m);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << which << i;
    }
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_EQ(molecule.hoverNode, a);
}

TEST_F(SceneTest, FrameRunsTheViewUpdateWithTheKeysItIsGiven) {
    FrameInput input;
    input.width = kViewWidth;
    input.height = kViewHeight;
    input.keys.mainWindowActive = true;
    input.keys.upHeld = true;
    RenderFrame(input);
    EXPECT_FLOAT_EQ(viewState.atomScale, 1.1f);
}

TEST_F(SceneTest, ZeroSizedViewDrawsNothing) {
    AddNode(AddElement(20, kRed), {0, 0, 0});
    viewState.demoSpin = true;
    for (const auto& size : {std::pair{0, kViewHeight}, std::pair{kViewWidth, 0}}) {
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        molecule.hoverNode = 0;
        FrameInput input;
        input.width = size.first;
        input.height = size.second;
        input.mouseX = kCentreX;
        input.mouseY = kCentreY;
        RenderFrame(input);
        glFinish();
        EXPECT_TRUE(NearColour(Pixel(kCentreX, kCentreY), {1, 0, 1, 1}));
        EXPECT_EQ(molecule.hoverNode, -1);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // The view still moves on with the frames.
    EXPECT_GT(viewState.modelPitch, 0.5f);
}

}  // namespace
