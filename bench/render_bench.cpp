// Frames and picking offscreen at 600 x 400 for molecules of 100 to 10,000
// atoms with links, the renderer's own frame next to the literal baseline,
// and the frame's cost with labels and with shadows.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "element.h"
#include "frame.h"
#include "gl_setup.h"
#include "literal_frame.h"
#include "molecule.h"
#include "offscreen.h"
#include "picking.h"
#include "picture.h"
#include "settings.h"
#include "shadows.h"
#include "sphere_batch.h"
#include "view_state.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

struct Context {
    OffscreenContext gl;
    Context() {
        if (!CreateOffscreenContext(kWidth, kHeight, gl)) {
            std::fprintf(stderr, "no offscreen GL context\n");
            std::exit(1);
        }
        SetupOpenGL();
    }
};

Context& Gl() {
    static Context context;
    return context;
}

// Atoms of carbon's size spread through a ball whose volume grows with the
// count, each linked to the nearest atom before it, as in a molecule (every
// fifth link double, every seventh triple), seen from far enough back to fit
// the view.
void BuildMolecule(int count) {
    molecule = Molecule{};
    viewState = ViewState{};
    elementTable.clear();
    Element carbon;
    carbon.name = "Carbon";
    carbon.symbol = "C";
    carbon.radius = ElementRadius(12.011f, 0);
    carbon.colour = {0.56f, 0.56f, 0.56f, 1};
    elementTable.push_back(carbon);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const float ball = 40.0f * std::cbrt(static_cast<float>(count));
    for (int i = 0; i < count; ++i) {
        Node node;
        node.id = i;
        node.element = &elementTable[0];
        Vector3 p;
        do p = {unit(random), unit(random), unit(random)};
        while (p.x * p.x + p.y * p.y + p.z * p.z > 1.0f);
        node.position = {p.x * ball, p.y * ball, p.z * ball};
        if (i > 0) {
            int nearest = 0;
            float best = INFINITY;
            for (int j = 0; j < i; ++j) {
                const Vector3& q = molecule.nodes[j].position;
                const float dx = q.x - node.position.x, dy = q.y - node.position.y,
                            dz = q.z - node.position.z;
                const float d2 = dx * dx + dy * dy + dz * dz;
                if (d2 < best) {
                    best = d2;
                    nearest = j;
                }
            }
            const int order = i % 7 == 0 ? 3 : (i % 5 == 0 ? 2 : 1);
            node.neighbours.push_back(nearest);
            node.linkOrders.push_back(order);
            molecule.nodes[nearest].neighbours.push_back(i);
            molecule.nodes[nearest].linkOrders.push_back(order);
        }
        molecule.nodes.push_back(node);
    }
    viewState.eye.z = ball * 2.6f + 100.0f;
    // One untimed frame, so the driver has compiled its shaders for this scene.
    FrameInput warmUp;
    warmUp.width = kWidth;
    warmUp.height = kHeight;
    RenderFrame(warmUp);
    glFinish();
}

FrameInput CentredPointer() {
    FrameInput input;
    input.width = kWidth;
    input.height = kHeight;
    input.mouseX = kWidth / 2;
    input.mouseY = kHeight / 2;
    return input;
}

void BM_Frame(benchmark::State& state) {
    Gl();
    BuildMolecule(static_cast<int>(state.range(0)));
    const FrameInput input = CentredPointer();
    for (auto _ : state) {
        RenderFrame(input);
        glFinish();
    }
}

// The same frame with every atom's symbol drawn in outline glyphs.
void BM_FrameWithLabels(benchmark::State& state) {
    Gl();
    BuildMolecule(static_cast<int>(state.range(0)));
    viewState.labelMode = 1;
    const FrameInput input = CentredPointer();
    for (auto _ : state) {
        RenderFrame(input);
        glFinish();
    }
}

// The same frame with shadows: two scene passes and the volumes counted.
void BM_FrameWithShadows(benchmark::State& state) {
    Gl();
    BuildMolecule(static_cast<int>(state.range(0)));
    settings.Shadows = true;
    const FrameInput input = CentredPointer();
    for (auto _ : state) {
        RenderFrame(input);
        glFinish();
    }
    settings.Shadows = false;
}

// The same with the volumes running on without end, as before they were
// cut short past the atoms' ball.
void BM_FrameWithEndlessShadows(benchmark::State& state) {
    Gl();
    BuildMolecule(static_cast<int>(state.range(0)));
    settings.Shadows = true;
    shadowVolumes = ShadowVolumes::endless;
    const FrameInput input = CentredPointer();
    for (auto _ : state) {
        RenderFrame(input);
        glFinish();
    }
    shadowVolumes = ShadowVolumes::shortened;
    settings.Shadows = false;
}

// The frame with the tessellated spheres of the fallback path.
void BM_FrameTessellated(benchmark::State& state) {
    Gl();
    sphereDrawing = SphereDrawing::tessellated;
    BuildMolecule(static_cast<int>(state.range(0)));
    const FrameInput input = CentredPointer();
    for (auto _ : state) {
        RenderFrame(input);
        glFinish();
    }
    sphereDrawing = SphereDrawing::shader;
}

void BM_LiteralFrame(benchmark::State& state) {
    Gl();
    BuildMolecule(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        LiteralRenderFrame(kWidth / 2, kHeight / 2, kWidth, kHeight);
        glFinish();
    }
}

// Picking with the frame's projection and camera, as the frame runs it.
void SetFrameMatrices() {
    SetProjection(kWidth, kHeight);
    glLoadIdentity();
    ApplyCamera();
}

void BM_Pick(benchmark::State& state) {
    Gl();
    BuildMolecule(static_cast<int>(state.range(0)));
    SetFrameMatrices();
    for (auto _ : state)
        benchmark::DoNotOptimize(PickNode(kWidth / 2, kHeight / 2, kWidth, kHeight));
}

void BM_LiteralPick(benchmark::State& state) {
    Gl();
    BuildMolecule(static_cast<int>(state.range(0)));
    SetFrameMatrices();
    for (auto _ : state) benchmark::DoNotOptimize(LiteralPickNode(kWidth / 2, kHeight / 2));
}

// Encoding the picture of a 1,000-atom frame as the headless mode writes it.
void BM_EncodePng(benchmark::State& state) {
    Gl();
    BuildMolecule(1000);
    RenderFrame(CentredPointer());
    glFinish();
    const Image image = ReadFrameImage(kWidth, kHeight);
    size_t bytes = 0;
    for (auto _ : state) bytes = EncodePng(image).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);

#define ATOM_COUNTS Arg(100)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_LiteralFrame)->ATOM_COUNTS;
BENCHMARK(BM_Frame)->ATOM_COUNTS;
BENCHMARK(BM_FrameTessellated)->ATOM_COUNTS;
BENCHMARK(BM_FrameWithLabels)->ATOM_COUNTS;
BENCHMARK(BM_FrameWithShadows)->ATOM_COUNTS;
BENCHMARK(BM_FrameWithEndlessShadows)->ATOM_COUNTS;
BENCHMARK(BM_LiteralPick)->ATOM_COUNTS;
BENCHMARK(BM_Pick)->ATOM_COUNTS;

}  // namespace

BENCHMARK_MAIN();
