// Stencil shadows: the volume walls, what a shadowed frame shows on atoms
// and labels, and what it leaves in the stencil buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "element.h"
#include "molecule.h"
#include "render_support.h"
#include "settings.h"
#include "shadows.h"
#include "view_state.h"

namespace {

const Colour kRed{1, 0, 0, 1};
const Colour kGreen{0, 1, 0, 1};
const Colour kBlue{0, 0, 1, 1};
const Colour kText{0.7f, 0.7f, 0.7f, 1};
// The light in model space while the camera is where it starts.
const Vector3 kLight{200, 200, 500};

Vector3 Towards(const Vector3& from, const Vector3& to, float fraction) {
    return {from.x + fraction * (to.x - from.x), from.y + fraction * (to.y - from.y),
            from.z + fraction * (to.z - from.z)};
}

struct Screen {
    int x, y;  // pixels from the top left
};

// Where a model point is drawn while the camera is where it starts.
Screen ScreenOf(const Vector3& p) {
    const float focal = kCentreY / std::tan(22.5f * kDegreesToRadians);
    const float depth = 500.0f - p.z;
    return {static_cast<int>(std::lround(kCentreX + focal * p.x / depth)),
            static_cast<int>(std::lround(kCentreY - focal * p.y / depth))};
}

// Double-precision arithmetic for checking the walls, whose far corners lie
// ten thousand times further out than their near ones.
struct D3 {
    double x, y, z;
};
D3 Of(const Vector3& v) {
    return {v.x, v.y, v.z};
}
D3 operator-(const D3& a, const D3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double Dot(const D3& a, const D3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
D3 Cross(const D3& a, const D3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

class ShadowQuadsTest : public FreshProcessTest {};

TEST_F(ShadowQuadsTest, SixteenWallsAroundTheAtomFacingOutwardsAlsoAlongNegativeAxes) {
    Element element;
    element.radius = 10;
    viewState.atomScale = 2;  // drawn radius 20
    // From the light: a slant, then straight along -z, -x and -y.
    for (const Vector3& p : {Vector3{0, 0, 0}, Vector3{200, 200, 0}, Vector3{-100, 200, 500},
                             Vector3{200, -50, 500}}) {
        Node node;
        node.position = p;
        node.element = &element;
        std::vector<ShadowQuad> quads;
        BuildShadowQuads(node, kLight, quads);
        ASSERT_EQ(quads.size(), 16u);
        const D3 centre = Of(p);
        for (const ShadowQuad& quad : quads) {
            // Extruded away from the light, the wall faces outwards only when
            // its far edge lies beyond its near one.
            const D3 farStart = Of(quad.corners[0]), farEnd = Of(quad.corners[1]);
            const D3 nearEnd = Of(quad.corners[2]), nearStart = Of(quad.corners[3]);
            // The near edge: one side of a 16-gon of radius 20 around the atom.
            for (const D3& q : {nearEnd, nearStart}) {
                EXPECT_NEAR(std::sqrt(Dot(q - centre, q - centre)), 20, 1e-3);
            }
            // Counter-clockwise seen from outside: the normal points away from the atom.
            const D3 normal = Cross(farEnd - farStart, nearEnd - farStart);
            const D3 middle{(nearEnd.x + nearStart.x) / 2, (nearEnd.y + nearStart.y) / 2,
                            (nearEnd.z + nearStart.z) / 2};
            EXPECT_GT(Dot(normal, middle - centre), 0);
        }
    }
    std::vector<ShadowQuad> quads;
    BuildShadowQuads(Node{}, kLight, quads);
    EXPECT_TRUE(quads.empty());  // no element, no volume
}

using ShadowTest = ShadowedRenderTest;

TEST_F(ShadowTest, AtomBetweenTheLightAndAnotherDarkensItWhereTheShadowFalls) {
    AddNode(AddElement(40, kRed), {0, 0, 0});
    // The far atom's point nearest the light, and a lit point beside it.
    const float toLight = std::hypot(kLight.x, kLight.y, kLight.z);
    const Screen spot = ScreenOf(Towards({0, 0, 0}, kLight, 40 / toLight));
    const Screen beside{spot.x - 25, spot.y + 25};
    Frame();
    const Colour lit = Pixel(spot.x, spot.y);

    AddNode(AddElement(15, kGreen), Towards({0, 0, 0}, kLight, 0.3f));
    Frame();
    const Colour shaded = Pixel(spot.x, spot.y);
    const Colour side = Pixel(beside.x, beside.y);
    EXPECT_NEAR(shaded.red, 0.25f, 0.03f);  // the ambient light alone, half of LightAmbient
    EXPECT_LT(shaded.green, 0.02f);         // the far atom, not the near one
    EXPECT_GT(side.red, shaded.red + 0.3f);
    EXPECT_GT(lit.red, 0.9f);
}

TEST_F(ShadowTest, LoneAtomIsLitOnItsHalfTowardsTheLightAndDarkOnTheOther) {
    settings.LightDiffuse = 0.5f;  // keeps the lit side below saturation
    AddNode(AddElement(40, kRed), {0, 0, 300});
    // Seen from the atom the light is up, right and towards the eye.
    const Screen towards = ScreenOf({20, 20, 328.28f});
    const Screen away = ScreenOf({-20, -20, 328.28f});
    settings.Shadows = false;
    Frame();
    const Colour plain = Pixel(towards.x, towards.y);
    settings.Shadows = true;
    Frame();
    const Colour lit = Pixel(towards.x, towards.y);
    const Colour dark = Pixel(away.x, away.y);
    EXPECT_NEAR(dark.red, 0.25f, 0.03f);
    EXPECT_GT(lit.red, dark.red + 0.3f);
    EXPECT_NEAR(lit.red, plain.red, 0.02f);  // the two passes add up to the plain frame
}

TEST_F(ShadowTest, LabelInAShadowShowsOnlyTheAmbientShareOfTheTextColour) {
    viewState.labelMode = 1;
    viewState.textSize = 1.5f;
    AddNode(AddElement(40, kBlue), {0, 0, 0});
    // LightAmbient 0.5 of a total 1.5: a third.
    const Colour ambientShare{0.7f / 3, 0.7f / 3, 0.7f / 3, 1};
    auto labelInk = [&](const Colour& colour) {
        return InkOf(colour, kCentreX - 30, kCentreY - 30, kCentreX + 30, kCentreY + 5).count;
    };
    Frame();
    EXPECT_GT(labelInk(kText), 30);
    EXPECT_EQ(labelInk(ambientShare), 0);

    const Vector3 label{0, 0, 40.11f};
    AddNode(AddElement(30, kGreen), Towards(label, kLight, 0.4f));
    Frame();
    EXPECT_GT(labelInk(ambientShare), 30);
    EXPECT_EQ(labelInk(kText), 0);
}

TEST_F(ShadowTest, WithShadowsOffTheStencilIsOnlyCleared) {
    AddNode(AddElement(40, kRed), {0, 0, 0});
    AddNode(AddElement(15, kGreen), Towards({0, 0, 0}, kLight, 0.3f));
    auto countedPixels = [] {
        std::vector<GLubyte> stencil(kViewWidth * kViewHeight);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kViewWidth, kViewHeight, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE,
                     stencil.data());
        int counted = 0;
        for (GLubyte s : stencil) counted += s != 0;
        return counted;
    };
    Frame();
    EXPECT_GT(countedPixels(), 100);
    // The shadowed frame leaves the state as the plain one does.
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0) && glIsEnabled(GL_LIGHT1));
    GLboolean writes[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, writes);
    EXPECT_TRUE(writes[0] && writes[1] && writes[2] && writes[3]);

    settings.Shadows = false;
    Frame();
    EXPECT_EQ(countedPixels(), 0);
}

}  // namespace

namespace {

// Volumes cut short beyond the atoms' ball shade exactly what endless ones
// do: a crowd of atoms seen from several turns and distances, down to the
// eye flown into the crowd (where the volumes must run on); also with what
// reaches out past the atoms: clouds, cages, long name labels and charges.
enum class Dressing { none, cloudsAndCages, labelsAndCharges };
class ShortShadowTest : public ShadowTest, public testing::WithParamInterface<Dressing> {};

TEST_P(ShortShadowTest, ShadeLikeEndlessOnes) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const int small = AddElement(14, kRed), large = AddElement(24, kGreen);
    for (int i = 0; i < 60; ++i)
        AddNode(i % 3 ? small : large,
                {110 * unit(random), 110 * unit(random), 110 * unit(random)});
    if (GetParam() == Dressing::labelsAndCharges) {
        elementTable[small].name = "Longername";
        viewState.labelMode = 2;
        viewState.textSize = 9.0f;
    }
    for (Node& node : molecule.nodes) {
        node.cloud = GetParam() == Dressing::cloudsAndCages && node.id % 2 == 0;
        node.selected = GetParam() == Dressing::cloudsAndCages && node.id % 5 == 0;
        node.charge = GetParam() == Dressing::labelsAndCharges && node.id % 7 == 0 ? -3 : 0;
    }
    for (const float distance : {700.0f, 350.0f, 120.0f, 0.0f})
        for (const float turn : {0.0f, 75.0f, 160.0f, 250.0f}) {
            viewState.eye = {0, 0, distance};
            viewState.modelYaw = turn;
            viewState.modelPitch = turn / 3;
            // From outside the crowd the volumes are really cut short, so
            // the comparison tests something.
            if (distance >= 350.0f) {
                EXPECT_GT(ShadowReach(molecule.nodes, LightInModelSpace(), EyeInModelSpace(), 0.0f),
                          0.0f);
            }
            std::vector<Colour> pictures[2];
            for (const ShadowVolumes volumes : {ShadowVolumes::shortened, ShadowVolumes::endless}) {
                shadowVolumes = volumes;
                Frame();
                for (int y = 0; y < kViewHeight; y += 2)
                    for (int x = 0; x < kViewWidth; x += 2)
                        pictures[volumes == ShadowVolumes::endless].push_back(Pixel(x, y));
            }
            int differing = 0;
            for (size_t i = 0; i < pictures[0].size(); ++i)
                differing += std::fabs(pictures[0][i].red - pictures[1][i].red) > 0.02f ||
                             std::fabs(pictures[0][i].green - pictures[1][i].green) > 0.02f;
            // A pixel may flip where a wall's edge passes exactly through it.
            EXPECT_LE(differing, 3) << "eye at " << distance << ", turned " << turn;
        }
}
INSTANTIATE_TEST_SUITE_P(AtomsAlone, ShortShadowTest, testing::Values(Dressing::none));
INSTANTIATE_TEST_SUITE_P(CloudsAndCages, ShortShadowTest,
                         testing::Values(Dressing::cloudsAndCages));
INSTANTIATE_TEST_SUITE_P(LabelsAndCharges, ShortShadowTest,
                         testing::Values(Dressing::labelsAndCharges));

TEST(ShadowReachTest, EndlessWhereShortVolumesWouldMiscount) {
    std::vector<Node> nodes(2);
    Element element;
    element.radius = 20;
    nodes[0].element = nodes[1].element = &element;
    nodes[0].position = {-100, 0, 0};
    nodes[1].position = {100, 0, 0};
    const Vector3 light{0, 0, 600}, eye{0, 200, 700};
    const float reach = ShadowReach(nodes, light, eye, 0.0f);
    // Beyond the far side of the ball (radius 120 around the middle) for
    // every point across the widest volume.
    EXPECT_GT(reach, 720.0f);
    EXPECT_LT(reach, 800.0f);
    EXPECT_EQ(ShadowReach(nodes, light, {0, 0, -1000}, 0.0f), 0.0f);  // eye beyond the atoms
    EXPECT_EQ(ShadowReach(nodes, {0, 0, 50}, eye, 0.0f), 0.0f);       // light among them
    EXPECT_EQ(ShadowReach({}, light, eye, 0.0f), 0.0f);
    // Lit along the line of the atoms, the far atom's cloud (twice the atom)
    // reaches past the atoms' ball; the volumes reach past it too.
    nodes[1].cloud = true;
    EXPECT_GT(ShadowReach(nodes, {-600, 0, 0}, {-300, 100, 0}, 0.0f), 700.0f + 40.0f);
    nodes[1].cloud = false;
    // The far ends of the walls lie at reach from the light.
    std::vector<ShadowQuad> quads;
    BuildShadowQuads(nodes[0], light, quads, reach);
    for (const ShadowQuad& quad : quads) {
        const D3 far = Of(quad.corners[0]) - Of(light);
        EXPECT_NEAR(std::sqrt(Dot(far, far)), reach, 0.01 * reach);
    }
}

}  // namespace
