// Ray-cast spheres against the finely tessellated GLU sphere of the fixed
// pipeline: the same frame drawn both ways must agree in silhouette, colour,
// highlight and depth, under every light and colour setting and in both
// shadow passes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "gl_setup.h"
#include "molecule.h"
#include "render_support.h"
#include "settings.h"
#include "sphere_batch.h"
#include "view_state.h"

namespace {

const Colour kRed{1, 0, 0, 1};
const Colour kGreen{0, 1, 0, 1};
const Colour kGrey{0.6f, 0.6f, 0.6f, 1};

// The tessellated reference: 96 slices and stacks, so its facets are within
// 0.03 units of the sphere at radius 40.
constexpr int kReferenceDetail = 90;

// Tolerances: a pixel may differ by more than kColourTolerance only within
// one pixel of an edge of the reference picture (the facets move the
// silhouette by under a pixel); the part of the highlight above half its
// peak is centred within kHighlightPixels (the reference lights per vertex);
// the surface's eye distance agrees within kDepthUnits plus half a pixel's
// change of the reference's depth (where the surface turns away, a facet's
// small error moves the depth a lot; multisamples lie off the pixel centre,
// the shader's depth is the centre's).
constexpr float kColourTolerance = 0.06f;
constexpr int kHighlightPixels = 2;
constexpr double kDepthUnits = 0.15;

struct Frame2 {
    std::vector<float> rgb;    // 3 floats per pixel, GL rows (bottom first)
    std::vector<float> depth;  // eye distance along -z, or +inf for the background
};

class SphereBatchTest : public RenderTest {
protected:
    // A fresh context with that many samples per pixel (0: none).
    void UseSamples(int samples) {
        DestroyOffscreenContext(context_);
        ASSERT_TRUE(CreateOffscreenContext(kViewWidth, kViewHeight, context_, samples));
        SetupOpenGL();
        GLint buffers = -1;
        glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
        ASSERT_EQ(buffers, samples > 0 ? 1 : 0) << "multisampling refused";
    }
    // Half the largest depth change from the pixel to its four neighbours.
    static double HalfPixelSlope(const Frame2& f, int x, int y) {
        const int i = y * kViewWidth + x;
        double most = 0;
        for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= kViewWidth || ny >= kViewHeight) continue;
            const double change = std::fabs(f.depth[ny * kViewWidth + nx] - f.depth[i]);
            if (std::isfinite(change)) most = std::max(most, change);
        }
        return 0.5 * most;
    }

    Frame2 Draw(SphereDrawing how) {
        sphereDrawing = how;
        settings.DetailLevel = kReferenceDetail;
        Frame();
        Frame2 frame;
        frame.rgb.resize(kViewWidth * kViewHeight * 3);
        frame.depth.resize(kViewWidth * kViewHeight);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kViewWidth, kViewHeight, GL_RGB, GL_FLOAT, frame.rgb.data());
        glReadPixels(0, 0, kViewWidth, kViewHeight, GL_DEPTH_COMPONENT, GL_FLOAT,
                     frame.depth.data());
        constexpr double n = 20, f = 10000;
        for (float& d : frame.depth) {
            const double z = 2.0 * d - 1.0;
            d = d >= 1.0f ? INFINITY : static_cast<float>(2 * f * n / (f + n - z * (f - n)));
        }
        return frame;
    }

    static float Channel(const Frame2& f, int i, int c) { return f.rgb[3 * i + c]; }
    static float Difference(const Frame2& a, int i, const Frame2& b, int j) {
        float most = 0;
        for (int c = 0; c < 3; ++c)
            most = std::max(most, std::fabs(Channel(a, i, c) - Channel(b, j, c)));
        return most;
    }
    // A pixel whose 3 x 3 neighbourhood in the reference holds an edge.
    static bool NearEdge(const Frame2& f, int x, int y) {
        const int i = y * kViewWidth + x;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= kViewWidth || ny >= kViewHeight) continue;
                const int j = ny * kViewWidth + nx;
                if (Difference(f, i, f, j) > kColourTolerance ||
                    std::isinf(f.depth[i]) != std::isinf(f.depth[j]))
                    return true;
            }
        return false;
    }
    // The centre of the channel's light above half its peak, in pixels.
    static std::pair<double, double> Highlight(const Frame2& f, int channel) {
        float peak = 0;
        for (int i = 0; i < kViewWidth * kViewHeight; ++i)
            peak = std::max(peak, Channel(f, i, channel));
        double x = 0, y = 0, weight = 0;
        for (int i = 0; i < kViewWidth * kViewHeight; ++i) {
            const double w = Channel(f, i, channel) - 0.5 * peak;
            if (w <= 0) continue;
            x += w * (i % kViewWidth);
            y += w * (i / kViewWidth);
            weight += w;
        }
        return {x / weight, y / weight};
    }

    void ExpectAgreement(const std::string& name, int highlightChannel) {
        const Frame2 reference = Draw(SphereDrawing::tessellated);
        const Frame2 shaded = Draw(SphereDrawing::shader);
        ASSERT_TRUE(ShaderSpheresInUse()) << "no GLSL on the test context";
        int colourFaults = 0, depthFaults = 0, surface = 0;
        for (int y = 0; y < kViewHeight; ++y)
            for (int x = 0; x < kViewWidth; ++x) {
                const int i = y * kViewWidth + x;
                if (NearEdge(reference, x, y)) continue;
                if (Difference(reference, i, shaded, i) > kColourTolerance) ++colourFaults;
                if (std::isinf(reference.depth[i])) {
                    depthFaults += !std::isinf(shaded.depth[i]);
                    continue;
                }
                ++surface;
                const double tolerance = kDepthUnits + HalfPixelSlope(reference, x, y);
                if (!(std::fabs(reference.depth[i] - shaded.depth[i]) <= tolerance)) ++depthFaults;
            }
        EXPECT_GT(surface, 1000) << name;
        EXPECT_EQ(colourFaults, 0) << name;
        EXPECT_EQ(depthFaults, 0) << name;
        if (highlightChannel < 0) return;
        const auto [ax, ay] = Highlight(reference, highlightChannel);
        const auto [bx, by] = Highlight(shaded, highlightChannel);
        EXPECT_LE(std::hypot(ax - bx, ay - by), kHighlightPixels)
            << name << " " << ax << "," << ay << " " << bx << "," << by;
    }
};

TEST_F(SphereBatchTest, AgreesWithTheTessellatedSphereUnderEveryLightAndColourRule) {
    struct Case {
        std::string name;
        std::function<void()> set;
        int highlightChannel;  // the green of a red sphere shows only the highlight; -1 none
    };
    const Case cases[] = {
        {"default lights", [] {}, 1},
        {"specular off", [] { settings.Specular = false; }, -1},
        {"inverted colours", [] { settings.InvertColours = true; }, -1},
        {"no direct light", [] { settings.LightDiffuse = 0; }, -1},
        {"no ambient light", [] { settings.LightAmbient = 0; }, 1},
        {"both shadow passes", [] { settings.Shadows = true; }, 1},
        {"cloud", [] { molecule.nodes[0].cloud = true; }, -1},
        // Drawn as quads rather than sprites: across the view's edge, and
        // close to the eye.
        {"across the edge", [] { molecule.nodes[0].position.x = -300; }, -1},
        {"close",
         [] {
             molecule.nodes[0].position = {-10, 5, 400};
         },
         -1},
    };
    for (const int samples : {0, kSurfaceSamples})
        for (const Case& c : cases) {
            UseSamples(samples);
            ResetProcessState();
            elementTable.reserve(32);
            molecule.name.clear();
            molecule.formula.clear();
            const int red = AddElement(40, kRed);
            AddNode(red, {-40, 10, 0});
            AddNode(AddElement(25, kGreen), {30, -20, 60});  // casts onto the red one
            c.set();
            ExpectAgreement(c.name + " samples " + std::to_string(samples), c.highlightChannel);
        }
}

TEST_F(SphereBatchTest, CagesAndLinksMeetTheSphereSurface) {
    // Overlapping atoms with a turned model: the hovered atom's cage dips
    // into its neighbour, and a link runs through both surfaces at a slant.
    molecule.name.clear();
    molecule.formula.clear();
    viewState.modelYaw = 30;
    viewState.modelPitch = -20;
    const int grey = AddElement(40, kGrey);
    const int a = AddNode(grey, {-30, 0, 0});
    const int b = AddNode(AddElement(30, kGreen), {25, 10, 10});
    const int c = AddNode(grey, {-60, -70, 40});
    Link(a, b, 2);
    Link(a, c, 1);
    molecule.currentNode = b;
    molecule.nodes[a].selected = true;
    for (const int samples : {0, kSurfaceSamples}) {
        UseSamples(samples);
        ExpectAgreement("cage and link, samples " + std::to_string(samples), -1);
    }
}

TEST_F(SphereBatchTest, TessellatedSpheresStaySelectable) {
    sphereDrawing = SphereDrawing::tessellated;
    EXPECT_FALSE(ShaderSpheresInUse());
    EXPECT_FALSE(DrawSphereBatch({{{0, 0, 0}, 10, kRed}}, false));
    sphereDrawing = SphereDrawing::shader;
    EXPECT_TRUE(ShaderSpheresInUse());
}

}  // namespace
