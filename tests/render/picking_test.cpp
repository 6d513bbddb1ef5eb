// Picking the atom under the pointer: nearest surface, ties, misses, the
// reach of the pick region, and agreement with OpenGL selection mode.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "camera.h"
#include "drawing.h"
#include "frame.h"
#include "gl_setup.h"
#include "molecule.h"
#include "picking.h"
#include "render_support.h"
#include "settings.h"
#include "view_state.h"

namespace {

const Colour kGrey{0.5f, 0.5f, 0.5f, 1};

class PickingTest : public RenderTest {
protected:
    // The node under the pointer as one frame finds it.
    int HoverAt(int x, int y) {
        Frame(x, y);
        return molecule.hoverNode;
    }
};

TEST_F(PickingTest, EmptyMoleculePicksNothing) {
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), -1);
}

TEST_F(PickingTest, NearestSurfaceWinsWhateverItsSizeOrPlace) {
    struct Atom {
        float radius, z;
    };
    struct Case {
        Atom first, second;
        int expected;
    };
    const Case cases[] = {
        {{40, -200}, {5, 0}, 1},     // small, later and nearer
        {{5, 0}, {40, -200}, 0},     // small, earlier and nearer
        {{5, -100}, {40, -100}, 1},  // same centre: the larger surface is nearer
        {{30, 0}, {30, 0}, 0},       // the same depth: the earlier atom
    };
    for (const Case& c : cases) {
        ClearNodes();
        elementTable.clear();
        AddNode(AddElement(c.first.radius, kGrey), {0, 0, c.first.z});
        AddNode(AddElement(c.second.radius, kGrey), {0, 0, c.second.z});
        EXPECT_EQ(HoverAt(kCentreX, kCentreY), c.expected)
            << c.first.radius << "@" << c.first.z << " vs " << c.second.radius << "@" << c.second.z;
    }
}

TEST_F(PickingTest, BackgroundAndLinksPickNothing) {
    const int element = AddElement(20, kGrey);
    const int left = AddNode(element, {-100, 0, 0});
    const int right = AddNode(element, {100, 0, 0});
    Link(left, right, 3);
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), -1);  // the middle of the link
    EXPECT_EQ(HoverAt(10, 10), -1);
    EXPECT_EQ(HoverAt(kCentreX + 97, kCentreY), right);
    EXPECT_EQ(HoverAt(kCentreX - 97, kCentreY), left);
}

TEST_F(PickingTest, PointerYCountsDownFromTheTop) {
    AddNode(AddElement(10, kGrey), {0, 100, 0});  // above the centre
    EXPECT_EQ(HoverAt(kCentreX, kCentreY - 97), 0);
    EXPECT_EQ(HoverAt(kCentreX, kCentreY + 97), -1);
}

TEST_F(PickingTest, LargerAtomScaleWidensThePickableSphere) {
    AddNode(AddElement(20, kGrey), {0, 0, 0});
    // The sphere is about 19 pixels wide at scale 1.
    EXPECT_EQ(HoverAt(kCentreX + 25, kCentreY), -1);
    viewState.atomScale = 1.5f;
    EXPECT_EQ(HoverAt(kCentreX + 25, kCentreY), 0);
}

TEST_F(PickingTest, NoPointerOverTheViewHoversNothing) {
    AddNode(AddElement(20, kGrey), {0, 0, 0});
    molecule.hoverNode = 0;
    FrameInput input;
    input.width = kViewWidth;
    input.height = kViewHeight;
    input.mouseX = kCentreX;
    input.mouseY = kCentreY;
    input.pointerInView = false;
    RenderFrame(input);
    EXPECT_EQ(molecule.hoverNode, -1);
}

TEST_F(PickingTest, PicksWithTheFramesCamera) {
    AddNode(AddElement(10, kGrey), {100, 0, 0});
    viewState.eye.x = 100;
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), 0);
}

TEST_F(PickingTest, ManyAtomsUnderThePointerStillGiveTheNearest) {
    const int element = AddElement(2, kGrey);
    for (int i = 0; i < 1100; ++i) AddNode(element, {0, 0, -static_cast<float>(i % 100)});
    AddNode(element, {0, 0, 1});
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), 1100);
}

// An atom on the view's axis whose outline is a circle of 10.5 pixels: the
// region reaches a pixel either side of the pointer, to its corners.
TEST_F(PickingTest, RegionCatchesAnAtomTheCentreRayMisses) {
    const double tanPerPixel = 2.0 / (kViewHeight * ProjectionMatrix(kViewWidth, kViewHeight).m[5]);
    AddNode(AddElement(static_cast<float>(500.0 * std::sin(std::atan(10.5 * tanPerPixel))), kGrey),
            {0, 0, 0});
    const struct {
        int dx, dy, expected;
    } cases[] = {
        {10, 0, 0},  {11, 0, 0}, {12, 0, -1}, {0, -11, 0},
        {0, 12, -1}, {8, 8, 0},  // the centre 11.3 pixels out, the region's nearest corner 9.9
        {9, 9, -1},              // within the radius of both sides' lines, not of the corner
    };
    for (const auto& c : cases)
        EXPECT_EQ(HoverAt(kCentreX + c.dx, kCentreY + c.dy), c.expected) << c.dx << "," << c.dy;
}

// Random scenes of overlapping atoms seen by a turned camera, with pointers
// on outlines, on atoms and in empty space: the pick agrees with the
// selection-mode pick of the tessellated spheres, except where the pointer
// lies within a pixel of a tessellated outline or two surfaces meet within
// the tessellation's depth error.
TEST_F(PickingTest, AgreesWithSelectionModeOnRandomScenes) {
    std::mt19937 random(11);
    auto uniform = [&](double a, double b) {
        return std::uniform_real_distribution<double>(a, b)(random);
    };
    int compared = 0, agreed = 0, hits = 0;
    for (int scene = 0; scene < 6; ++scene) {
        ResetProcessState();
        elementTable.reserve(32);
        for (int e = 0; e < 4; ++e) AddElement(static_cast<float>(uniform(4, 25)), kGrey);
        for (int i = 0; i < 18; ++i)
            AddNode(static_cast<int>(uniform(0, 4)),
                    {static_cast<float>(uniform(-55, 55)), static_cast<float>(uniform(-40, 40)),
                     static_cast<float>(uniform(-55, 55))});
        viewState.atomScale = static_cast<float>(uniform(0.6, 2.2));
        viewState.modelPitch = static_cast<float>(uniform(-180, 180));
        viewState.modelYaw = static_cast<float>(uniform(-180, 180));
        viewState.viewPitch = static_cast<float>(uniform(-8, 8));
        viewState.viewYaw = static_cast<float>(uniform(-8, 8));
        viewState.eye = {static_cast<float>(uniform(-30, 30)), static_cast<float>(uniform(-30, 30)),
                         static_cast<float>(uniform(300, 500))};
        const Matrix4 camera = CameraMatrix();
        const Matrix4 projection = ProjectionMatrix(kViewWidth, kViewHeight);
        // The eye-space ray through a window point (x, y from the top).
        auto ray = [&](double x, double y) {
            const double u = (2.0 * x / kViewWidth - 1.0) / projection.m[0];
            const double v = (2.0 * (kViewHeight - y) / kViewHeight - 1.0) / projection.m[5];
            const double n = std::sqrt(u * u + v * v + 1.0);
            return Vector3{static_cast<float>(u / n), static_cast<float>(v / n),
                           static_cast<float>(-1.0 / n)};
        };
        struct Seen {
            double angle, outline, slack, sag, depth;  // depth NaN when the ray misses
        };
        // An atom as the centre ray of a pointer sees it: the angle from the
        // ray to its centre, its outline's angular radius, how far (radians)
        // tessellation and the region may move the outline, how far
        // (model units) tessellation may move its surface, and the depth of
        // its surface on the ray.
        auto seen = [&](int i, int x, int y) {
            const Node& node = molecule.nodes[i];
            const Vector3 e = TransformPoint(camera, node.position);
            const double r = viewState.atomScale * node.element->radius;
            const Vector3 d = ray(x, y);
            const double pixel = std::acos(std::min(
                1.0f, d.x * ray(x + 1, y).x + d.y * ray(x + 1, y).y + d.z * ray(x + 1, y).z));
            const double distance = std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z);
            const double along = d.x * e.x + d.y * e.y + d.z * e.z;
            const Vector3& p = node.position;
            const Vector3& eye = viewState.eye;
            const int slices = SphereSlices(
                node.element->radius, viewState.atomScale,
                std::sqrt((p.x - eye.x) * (p.x - eye.x) + (p.y - eye.y) * (p.y - eye.y) +
                          (p.z - eye.z) * (p.z - eye.z)),
                settings.DetailLevel);
            const double sag = 2.0 * r * (1.0 - std::cos(M_PI / slices));
            const double disc = along * along - distance * distance + r * r;
            return Seen{std::acos(std::clamp(along / distance, -1.0, 1.0)),
                        std::asin(std::min(1.0, r / distance)),
                        sag / distance + (1.0 + std::sqrt(2.0)) * pixel, sag,
                        disc >= 0 ? -(along - std::sqrt(disc)) * d.z : NAN};
        };
        auto nearOutline = [&](int i, int x, int y) {
            const Seen s = seen(i, x, y);
            return std::fabs(s.angle - s.outline) <= s.slack;
        };
        auto excused = [&](int a, int b, int x, int y) {
            for (int i : {a, b})
                if (i >= 0 && nearOutline(i, x, y)) return true;
            if (a < 0 || b < 0) return false;
            const Seen sa = seen(a, x, y), sb = seen(b, x, y);
            return std::fabs(sa.depth - sb.depth) <= sa.sag + sb.sag;
        };
        std::vector<std::pair<int, int>> pointers;
        for (int k = 0; k < 15; ++k)
            pointers.emplace_back(static_cast<int>(uniform(0, kViewWidth)),
                                  static_cast<int>(uniform(0, kViewHeight)));
        // Points on the true outlines, up to two pixels either side.
        for (int k = 0; k < 25; ++k) {
            const int i = static_cast<int>(uniform(0, NodeCount()));
            const Vector3 e = TransformPoint(camera, molecule.nodes[i].position);
            const double r = viewState.atomScale * molecule.nodes[i].element->radius;
            const double turn = uniform(0, 2 * M_PI);
            const double outline = std::asin(r / std::sqrt(e.x * e.x + e.y * e.y + e.z * e.z));
            const double reach = std::tan(outline) * -e.z;  // near enough for a small sphere
            const double x = e.x + reach * std::cos(turn), y = e.y + reach * std::sin(turn);
            const double windowX = (x / -e.z * projection.m[0] + 1.0) * kViewWidth / 2;
            const double windowY =
                kViewHeight - (y / -e.z * projection.m[5] + 1.0) * kViewHeight / 2;
            pointers.emplace_back(static_cast<int>(std::lround(windowX + uniform(-2, 2))),
                                  static_cast<int>(std::lround(windowY + uniform(-2, 2))));
        }
        for (const auto& [x, y] : pointers) {
            const int own = PickNode(x, y, kViewWidth, kViewHeight);
            const int selected = SelectionPick(x, y);
            ++compared;
            if (own >= 0) ++hits;
            if (own == selected) {
                ++agreed;
                continue;
            }
            EXPECT_TRUE(excused(own, selected, x, y))
                << "scene " << scene << " pointer " << x << "," << y << ": " << own << " against "
                << selected;
        }
    }
    // The scenes test something: most pointers agree outright, many hit.
    EXPECT_GT(agreed, compared * 8 / 10);
    EXPECT_GT(hits, compared / 3);
}

}  // namespace
