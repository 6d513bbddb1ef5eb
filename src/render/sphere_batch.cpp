// Ray-cast spheres: the batch of vertices, its one buffer and the draw.
#define GL_GLEXT_PROTOTYPES 1
#include "sphere_batch.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "gl_setup.h"
#include "sphere_program.h"

namespace {

// Per vertex: the sphere (centre, radius), its colour and the quad corner.
struct SphereVertex {
    float sphere[4];
    float colour[4];
    float corner[2];
};

// What was built on the current context.
struct BatchState {
    int context = 0;        // ContextGeneration() it was made under
    bool tried = false;     // the program was attempted on this context
    SphereProgram program;  // program.program 0: none, the fallback draws
    GLuint buffer = 0;
    size_t capacity = 0;  // bytes the buffer holds
    std::vector<SphereVertex> vertices;
    std::vector<const SphereItem*> large;  // the spheres drawn as quads
};
BatchState batch;

// Where the frame's matrices put things: enough of them to sort spheres
// into sprites and quads.
struct View {
    Matrix4 modelView;
    Matrix4 projection;
    float width = 0.0f, height = 0.0f;  // viewport, pixels
};

// True when the sphere lies in front of the near plane, inside the view and
// small enough on screen for a point of the driver's largest size.
bool FitsASprite(const View& view, const SphereItem& s, float largestPoint) {
    const auto [x, y, z] = TransformPoint(view.modelView, s.centre);
    const float* p = view.projection.m;
    // The nearest point of the sphere, well beyond the near plane.
    const float nearest = -z - s.radius;
    const float nearPlane = p[14] / (p[10] - 1.0f);
    if (!(nearest > 1.5f * nearPlane)) return false;
    // A bound on its projection's half size, normalised units.
    const float halfX = p[0] * s.radius / nearest, halfY = p[5] * s.radius / nearest;
    const float cx = p[0] * x / -z - p[8], cy = p[5] * y / -z - p[9];
    if (std::fabs(cx) + halfX > 1.0f || std::fabs(cy) + halfY > 1.0f) return false;
    return std::max(halfX * view.width, halfY * view.height) + 4.0f < largestPoint;
}

// Sprites first, then the quads; returns the number of sprites.
size_t FillVertices(const std::vector<SphereItem>& spheres, const View& view) {
    static constexpr float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    std::vector<SphereVertex>& out = batch.vertices;
    std::vector<const SphereItem*>& large = batch.large;
    out.clear();
    large.clear();
    for (const SphereItem& s : spheres) {
        if (!FitsASprite(view, s, batch.program.largestPoint)) {
            large.push_back(&s);
            continue;
        }
        out.push_back({{s.centre.x, s.centre.y, s.centre.z, s.radius},
                       {s.colour.red, s.colour.green, s.colour.blue, s.colour.alpha},
                       {0.0f, 0.0f}});
    }
    const size_t sprites = out.size();
    for (const SphereItem* s : large)
        for (const auto& corner : corners)
            out.push_back({{s->centre.x, s->centre.y, s->centre.z, s->radius},
                           {s->colour.red, s->colour.green, s->colour.blue, s->colour.alpha},
                           {corner[0], corner[1]}});
    return sprites;
}

}  // namespace

bool ShaderSpheresInUse() {
    if (sphereDrawing != SphereDrawing::shader) return false;
    if (batch.context != ContextGeneration()) {
        // The objects went with the context that made them.
        batch = BatchState{};
        batch.context = ContextGeneration();
    }
    if (!batch.tried) {
        batch.tried = true;
        batch.program = BuildSphereProgram();
        if (batch.program.program) glGenBuffers(1, &batch.buffer);
    }
    return batch.program.program != 0;
}

bool DrawSphereBatch(const std::vector<SphereItem>& spheres, bool blended) {
    if (!ShaderSpheresInUse()) return false;
    if (spheres.empty()) return true;
    View view;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_MODELVIEW_MATRIX, view.modelView.m);
    glGetFloatv(GL_PROJECTION_MATRIX, view.projection.m);
    view.width = static_cast<float>(viewport[2]);
    view.height = static_cast<float>(viewport[3]);
    const size_t sprites = FillVertices(spheres, view);

    glBindBuffer(GL_ARRAY_BUFFER, batch.buffer);
    const size_t bytes = batch.vertices.size() * sizeof(SphereVertex);
    if (bytes > batch.capacity) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_DRAW);
        batch.capacity = bytes;
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), batch.vertices.data());

    const GLsizei stride = sizeof(SphereVertex);
    glVertexAttribPointer(kSphereAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(SphereVertex, sphere)));
    glVertexAttribPointer(kColourAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(SphereVertex, colour)));
    glVertexAttribPointer(kCornerAttribute, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(SphereVertex, corner)));
    for (GLuint a : {kSphereAttribute, kColourAttribute, kCornerAttribute})
        glEnableVertexAttribArray(a);

    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    const bool coverage = !blended && sampleBuffers > 0;
    const SphereProgram& program = batch.program;
    glUseProgram(program.program);
    SetSphereUniforms(program,
                      blended    ? SphereEdge::faded
                      : coverage ? SphereEdge::coverage
                                 : SphereEdge::cut,
                      view.projection, static_cast<float>(viewport[0]),
                      static_cast<float>(viewport[1]), view.width, view.height);
    if (coverage) {
        glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        glEnable(GL_SAMPLE_ALPHA_TO_ONE);
    }
    if (sprites > 0) {
        // Square sprites of the size the program gives, not smoothed discs.
        glEnable(GL_VERTEX_PROGRAM_POINT_SIZE);
        glEnable(GL_POINT_SPRITE);
        glUniform1i(program.sprites, 1);
        glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(sprites));
        glDisable(GL_POINT_SPRITE);
        glDisable(GL_VERTEX_PROGRAM_POINT_SIZE);
    }
    if (batch.vertices.size() > sprites) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glUniform1i(program.sprites, 0);
        glDrawArrays(GL_QUADS, static_cast<GLint>(sprites),
                     static_cast<GLsizei>(batch.vertices.size() - sprites));
    }
    if (coverage) {
        glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        glDisable(GL_SAMPLE_ALPHA_TO_ONE);
    }
    glUseProgram(0);
    for (GLuint a : {kSphereAttribute, kColourAttribute, kCornerAttribute})
        glDisableVertexAttribArray(a);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}
