// Rules of the frame that a picture alone hardly shows: what each sphere,
// cage and cloud is drawn with (through the GL feedback of the scene), the
// turn of the labels, inverted colours, the title's subscripts, the
// overlay's depth, and what counting the shadow volumes leaves behind.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "fonts.h"
#include "molecule.h"
#include "render_support.h"
#include "scene.h"
#include "settings.h"
#include "sphere_batch.h"
#include "view_state.h"

namespace {

const Colour kRed{1, 0, 0, 1};
const Colour kBlue{0, 0, 1, 1};
const Colour kWhite{1, 1, 1, 1};

// One primitive of the feedback, its vertices back in model units.
struct Drawn {
    bool line = false;
    Colour colour;
    std::vector<Vector3> vertices;
};

// Feedback of what draw() sends, with model units mapped to the view
// without perspective (2000 units from the centre to each edge), so that
// vertices come back as model coordinates.
template <typename Draw>
std::vector<Drawn> Feedback(bool cull, Draw draw) {
    std::vector<GLfloat> buffer(1 << 18);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    glViewport(0, 0, kViewWidth, kViewHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(0.0005f, 0.0005f, 0.0005f);
    draw();
    const int words = glRenderMode(GL_RENDER);
    EXPECT_GE(words, 0) << "feedback buffer too small";
    std::vector<Drawn> drawn;
    for (int i = 0; i < words;) {
        const int token = static_cast<int>(buffer[i++]);
        Drawn d;
        int count = 1;
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            d.line = true;
            count = 2;
        } else if (token == GL_POLYGON_TOKEN) {
            count = static_cast<int>(buffer[i++]);
        } else if (token != GL_POINT_TOKEN) {
            ADD_FAILURE() << "feedback token " << token;
            break;
        }
        for (int v = 0; v < count; ++v, i += 7) {
            d.vertices.push_back({(buffer[i] / (kViewWidth / 2.0f) - 1) * 2000,
                                  (buffer[i + 1] / (kViewHeight / 2.0f) - 1) * 2000,
                                  (2 * buffer[i + 2] - 1) * 2000});
            d.colour = {buffer[i + 3], buffer[i + 4], buffer[i + 5], buffer[i + 6]};
        }
        drawn.push_back(d);
    }
    return drawn;
}

std::vector<Drawn> SceneFeedback(bool cull) {
    return Feedback(cull, [] { DrawScene(RenderPass::plain); });
}

int Polygons(const std::vector<Drawn>& drawn) {
    return static_cast<int>(
        std::count_if(drawn.begin(), drawn.end(), [](const Drawn& d) { return !d.line; }));
}

// The polygons of a whole GLU sphere of that many slices and stacks.
int SpherePolygons(int slices) {
    GLUquadric* quadric = gluNewQuadric();
    const int count = Polygons(Feedback(false, [&] { gluSphere(quadric, 10.0, slices, slices); }));
    gluDeleteQuadric(quadric);
    return count;
}

float Distance(const Vector3& a, const Vector3& b) {
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

using RenderRulesTest = RenderTest;

// The GLU spheres, whose feedback shows their tessellation and size.
class TessellatedTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        sphereDrawing = SphereDrawing::tessellated;
    }
};

TEST_F(TessellatedTest, SphereTessellationFollowsEyeDistanceAndCloudsTakeTheElementRadius) {
    // Radius 10 and DetailLevel 20 ask for 20000 / trunc(distance + 1) slices.
    struct Case {
        Vector3 node, eye;
        float scale;
        bool cloud;
        int slices;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 1999}, 1, false, 10},
        {{0, 0, -1000}, {0, 0, 500}, 1, false, 13},  // from the eye, not the origin
        {{1200, 0, 0}, {0, 0, 500}, 1, false, 15},   // the whole distance, not its depth
        {{0, 0, 0}, {0, 0, 1999}, 2, false, 20},     // the atom scale counts
        {{0, 0, 0}, {0, 0, 1999}, 1, true, 10},      // the cloud as its atom
        {{0, 0, 0}, {0, 0, 1999}, 2, true, 20},
    };
    const int element = AddElement(10, kRed);
    AddNode(element, {0, 0, 0});
    for (const Case& c : cases) {
        molecule.nodes[0].position = c.node;
        molecule.nodes[0].cloud = c.cloud;
        viewState.eye = c.eye;
        viewState.atomScale = c.scale;
        EXPECT_EQ(Polygons(SceneFeedback(false)), (c.cloud ? 2 : 1) * SpherePolygons(c.slices))
            << c.node.x << " " << c.node.z << " eye " << c.eye.z << " scale " << c.scale
            << (c.cloud ? " with cloud" : "");
    }
}

TEST_F(TessellatedTest, CagesAndCloudsHaveTheirSizesAroundTheAtom) {
    settings.HighlightColour = kBlue;
    settings.SelectColour = kBlue;
    viewState.atomScale = 2;
    AddNode(AddElement(20, kRed), {0, 0, 0});
    molecule.hoverNode = 0;
    molecule.nodes[0].selected = true;
    molecule.nodes[0].cloud = true;
    float cageLeast = 1e9f, cageMost = 0, sphereLeast = 1e9f, cloudMost = 0;
    for (const Drawn& d : SceneFeedback(false))
        for (const Vector3& v : d.vertices) {
            const float r = Distance(v, {0, 0, 0});
            if (d.line) {
                cageLeast = std::min(cageLeast, r);
                cageMost = std::max(cageMost, r);
            } else {
                sphereLeast = std::min(sphereLeast, r);
                cloudMost = std::max(cloudMost, r);
            }
        }
    // Cage: ((20 * 1.05 + 0.5) * 2) * 1.02 + 0.1; atom 2 * 20; cloud twice that.
    EXPECT_NEAR(cageLeast, 43.96f, 0.02f);
    EXPECT_NEAR(cageMost, 43.96f, 0.02f);
    EXPECT_NEAR(sphereLeast, 40, 0.02f);
    EXPECT_NEAR(cloudMost, 80, 0.02f);
    molecule.nodes[0].cloud = false;  // what the shadows allow for holds the cage
    EXPECT_GE(DrawnRadius(molecule.nodes[0]) + 0.01f, cageMost);
}

TEST_F(TessellatedTest, EverySolidSphereIsFilledAfterTheCagesBeforeIt) {
    const int element = AddElement(20, kRed);
    AddNode(element, {-100, 0, 0});
    AddNode(element, {100, 0, 0});
    const int plain = Polygons(SceneFeedback(true));
    ASSERT_GT(plain, 0);
    struct Case {
        int hover, current;
        bool firstSelected, secondSelected;
    };
    const Case cases[] = {
        {0, -1, false, false}, {-1, 1, false, false}, {1, 0, true, true}, {-1, -1, false, true}};
    for (const Case& c : cases) {
        molecule.hoverNode = c.hover;
        molecule.currentNode = c.current;
        molecule.nodes[0].selected = c.firstSelected;
        molecule.nodes[1].selected = c.secondSelected;
        EXPECT_EQ(Polygons(SceneFeedback(true)), plain) << c.hover << " " << c.current;
    }
}

TEST_F(RenderRulesTest, InvertedColoursReachElementCageAndCloud) {
    settings.Specular = false;
    settings.BackgroundColour = {0.5f, 0.5f, 0.5f, 1};  // the same inverted
    settings.HighlightColour = {0, 0, 1, 1};
    settings.CloudColour = {1, 0, 0, 0.5f};
    AddNode(AddElement(20, kRed), {0, 0, 0});
    molecule.nodes[0].cloud = true;
    for (const bool invert : {false, true}) {
        settings.InvertColours = invert;
        // The red atom turns cyan, and so does the red cloud around it.
        for (const SphereDrawing how : {SphereDrawing::shader, SphereDrawing::tessellated}) {
            sphereDrawing = how;
            Frame();
            const Colour atom = Pixel(kCentreX - 5, kCentreY + 5);
            const Colour cloud = Pixel(kCentreX + 30, kCentreY);
            const bool shader = how == SphereDrawing::shader;
            EXPECT_GT(invert ? atom.green - atom.red : atom.red - atom.green, 0.2f) << shader;
            EXPECT_GT(invert ? cloud.green - cloud.red : cloud.red - cloud.green, 0.1f) << shader;
        }
        // The blue cage of the hovered atom turns yellow.
        molecule.hoverNode = 0;
        int cageLines = 0;
        for (const Drawn& d : SceneFeedback(true))
            if (d.line) {
                ++cageLines;
                EXPECT_TRUE(NearColour(d.colour, invert ? Colour{1, 1, 0, 1} : kBlue, 1e-4f));
            }
        EXPECT_GT(cageLines, 0);
    }
}

TEST_F(RenderRulesTest, LabelsFaceTheEyeWhateverTheModelsTurn) {
    settings.Specular = false;
    settings.TextColour = kWhite;
    molecule.name.clear();
    molecule.formula.clear();
    viewState.labelMode = 1;
    AddNode(AddElement(20, kBlue), {0, 0, 0});
    molecule.nodes[0].charge = 2;
    auto inkAtTheAtom = [&](float yaw, float pitch) {
        viewState.modelYaw = yaw;
        viewState.modelPitch = pitch;
        Frame();
        return InkOf(kWhite, 150, 50, 450, 350, 0.05f);
    };
    const Ink straight = inkAtTheAtom(0, 0);
    ASSERT_GT(straight.count, 100);
    for (const auto& [yaw, pitch] : {std::pair{70.0f, 50.0f}, {-120.0f, 35.0f}, {30.0f, -80.0f}}) {
        const Ink turned = inkAtTheAtom(yaw, pitch);
        EXPECT_NEAR(turned.count, straight.count, straight.count / 20) << yaw << " " << pitch;
        for (const auto& [a, b] : {std::pair{turned.left, straight.left},
                                   {turned.right, straight.right},
                                   {turned.top, straight.top},
                                   {turned.bottom, straight.bottom}})
            EXPECT_NEAR(a, b, 1) << yaw << " " << pitch;
    }
}

TEST_F(RenderRulesTest, TitleDigitsAreSmallerLowerSubscriptsWithTheirOwnAdvance) {
    settings.TextColour = kWhite;
    molecule.name = "8";
    molecule.formula = "C8C";
    Frame();
    // The pen's places in pixels: the formula is centred on its advance.
    const float c = 0.1f * fonts.glyphMetrics['C'].cellIncX * kViewWidth / 2;
    const float eight = 0.07f * fonts.glyphMetrics['8'].cellIncX * kViewWidth / 2;
    const int start = static_cast<int>(kCentreX - (2 * c + eight) / 2);
    const int afterFirst = static_cast<int>(start + c),
              afterDigit = static_cast<int>(start + c + eight);
    const Ink full = InkOf(kWhite, 0, 0, kViewWidth, 22);
    const Ink first = InkOf(kWhite, 0, 22, afterFirst, 60);
    const Ink digit = InkOf(kWhite, afterFirst, 22, afterDigit, 60);
    const Ink last = InkOf(kWhite, afterDigit, 22, kViewWidth, 60);
    ASSERT_GT(full.count, 0);
    ASSERT_GT(digit.count, 0);
    // A digit is 70 % of its full size, its baseline 0.035 (7 pixels) below
    // the formula's, and moves the pen on by 70 % of its advance.
    EXPECT_NEAR(digit.bottom - digit.top + 1, 0.7f * (full.bottom - full.top + 1), 1.5f);
    EXPECT_NEAR(digit.right - digit.left + 1, 0.7f * (full.right - full.left + 1), 1.5f);
    EXPECT_NEAR(digit.bottom, first.bottom + 7, 1);
    EXPECT_NEAR(last.left - first.left, c + eight, 1.5f);
}

TEST_F(RenderRulesTest, OverlayIsCoveredOnlyByWhatIsNearerThanItsDepth) {
    settings.Specular = false;
    settings.TextColour = kWhite;
    molecule.name = "HHH";
    molecule.formula.clear();
    const int element = AddElement(10, kBlue);
    // An atom 22 to 42 units from the eye behind the title, then one 500
    // units away, seen there through a wider radius.
    struct Case {
        Vector3 position;
        float scale;
        bool titleShows;
    };
    const Case cases[] = {{{0, 12, 468}, 1, false}, {{0, 210, 0}, 6, true}};
    AddNode(element, {0, 0, 0});
    for (const Case& c : cases) {
        molecule.nodes[0].position = c.position;
        viewState.atomScale = c.scale;
        Frame();
        EXPECT_GT(Pixel(kCentreX, 35).blue, 0.2f);  // the atom is there
        EXPECT_EQ(InkOf(kWhite, 0, 0, kViewWidth, 30).count > 20, c.titleShows) << c.position.z;
    }
}

// One atom casting its shadow on another one fifteen times as far from the
// light, with the camera where it starts.
class LongShadowTest : public ShadowedRenderTest {
protected:
    // The light, (200, 200, 0) in eye space, is (200, 200, 500) in the model.
    static Vector3 BeyondCaster(float times) { return {-200 * times, -200 * times, -500 * times}; }
};

TEST_F(LongShadowTest, ShadowReachesFarAlongTheLightAndTheVolumesWriteNoDepth) {
    AddNode(AddElement(60, kRed), BeyondCaster(15));
    // Where the far atom's centre is drawn: eye-space (-3000, -3000, -8000).
    const float focal = kCentreY / std::tan(22.5f * kDegreesToRadians);
    const int x = static_cast<int>(std::lround(kCentreX - focal * 3000 / 8000));
    const int y = static_cast<int>(std::lround(kCentreY + focal * 3000 / 8000));
    Frame();
    const Colour lit = Pixel(x, y);
    // A small caster: the line of sight to the far atom enters its volume
    // only some twelve times as far from the light as the caster.
    AddNode(AddElement(5, kBlue), {0, 0, 0});
    Frame();
    const Colour shaded = Pixel(x, y);
    EXPECT_GT(lit.red, 0.6f);
    EXPECT_NEAR(shaded.red, 0.25f, 0.05f);  // the ambient light alone
    // Between the two atoms the caster's volume crosses the background;
    // counting it must not have written depth there.
    for (const float t : {0.3f, 0.5f}) {
        const int bx = static_cast<int>(std::lround(kCentreX + t * (x - kCentreX)));
        const int by = static_cast<int>(std::lround(kCentreY + t * (y - kCentreY)));
        EXPECT_EQ(Depth(bx, by), 1.0f) << bx << " " << by;
    }
}

}  // namespace
