// Stencil shadows: the volume walls, what a shadowed frame shows on atoms
// and labels, and what it leaves in the stencil buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "element.h"
#include "molecule.h"
#include "render_support.h"
#include "settings.h"
#include "shadows.h"
#include "view_state.h"

namespace {

constexpr int kCentreX = kViewWidth / 2;
constexpr int kCentreY = kViewHeight / 2;
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

class ShadowQuadsTest : public FreshProcessTest {};

TEST_F(ShadowQuadsTest, SixteenWallsAroundTheAtomFacingOutwardsAlsoAlongNegativeAxes) {
    Element element;
    element.radius = 10;
    viewState.atomScale = 2;
    const float r = 20;
    // From the light: a slant, then straight along -z, -x and -y.
    const Vector3 positions[] = {{0, 0, 0}, {200, 200, 0}, {-100, 200, 500}, {200, -50, 500}};
    for (const Vector3& p : positions) {
        Node node;
        node.position = p;
        node.element = &element;
        std::vector<ShadowQuad> quads;
        BuildShadowQuads(node, kLight, quads);
        ASSERT_EQ(quads.size(), 16u);
        const double d[3] = {p.x - kLight.x, p.y - kLight.y, p.z - kLight.z};
        for (size_t k = 0; k < quads.size(); ++k) {
            const Vector3* c = quads[k].corners;
            double a[4][3];
            for (int i = 0; i < 4; ++i) a[i][0] = c[i].x, a[i][1] = c[i].y, a[i][2] = c[i].z;
            // The near edge: two points of the ring, r from the atom across the light.
            for (int i : {2, 3}) {
                const double q[3] = {a[i][0] - p.x, a[i][1] - p.y, a[i][2] - p.z};
                EXPECT_NEAR(std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]), r, 1e-3);
                EXPECT_NEAR((q[0] * d[0] + q[1] * d[1] + q[2] * d[2]) /
                                std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]),
                            0.0, 1e-3);
            }
            EXPECT_NEAR(std::hypot(a[2][0] - a[3][0], a[2][1] - a[3][1], a[2][2] - a[3][2]),
                        2 * r * std::sin(M_PI / 16), 1e-3);
            // The far edge: the near one pushed away from the light.
            for (int axis = 0; axis < 3; ++axis) {
                const double light = axis == 0 ? kLight.x : axis == 1 ? kLight.y : kLight.z;
                EXPECT_NEAR(a[1][axis], a[2][axis] + 10000 * (a[2][axis] - light), 1.0);
                EXPECT_NEAR(a[0][axis], a[3][axis] + 10000 * (a[3][axis] - light), 1.0);
            }
            // Counter-clockwise seen from outside: the wall's normal points away from the atom.
            double u[3], w[3];
            for (int axis = 0; axis < 3; ++axis) {
                u[axis] = a[1][axis] - a[0][axis];
                w[axis] = a[2][axis] - a[0][axis];
            }
            const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                                 u[0] * w[1] - u[1] * w[0]};
            double outward = 0;
            for (int axis = 0; axis < 3; ++axis)
                outward += n[axis] * ((a[2][axis] + a[3][axis]) / 2 - (axis == 0   ? p.x
                                                                       : axis == 1 ? p.y
                                                                                   : p.z));
            EXPECT_GT(outward, 0) << "wall " << k;
        }
    }
    Node bare;
    std::vector<ShadowQuad> quads;
    BuildShadowQuads(bare, kLight, quads);
    EXPECT_TRUE(quads.empty());
}

class ShadowTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        settings.Shadows = true;
        settings.Specular = false;
        molecule.name.clear();
        molecule.formula.clear();
    }
};

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
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    GLboolean writes[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, writes);
    EXPECT_TRUE(writes[0] && writes[1] && writes[2] && writes[3]);
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CCW);

    settings.Shadows = false;
    Frame();
    EXPECT_EQ(countedPixels(), 0);
}

}  // namespace
