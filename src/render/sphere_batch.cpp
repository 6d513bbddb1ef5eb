// Ray-cast spheres: the program, its one vertex buffer and the batch draw.
#define GL_GLEXT_PROTOTYPES 1
#include "sphere_batch.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <utility>

#include "gl_setup.h"

SphereDrawing sphereDrawing = SphereDrawing::shader;

namespace {

// Per vertex: the sphere (centre, radius), its colour and the quad corner.
struct SphereVertex {
    float sphere[4];
    float colour[4];
    float corner[2];
};

constexpr GLuint kSphereAttribute = 0;  // aliases the vertex position
constexpr GLuint kColourAttribute = 1;
constexpr GLuint kCornerAttribute = 2;

// A sphere is drawn as a point sprite covering its projection when it lies
// wholly in view and is small enough for the driver's points, else as a quad
// across the line of sight at its centre, just large enough to hold the cone
// of rays that touch it, counter-clockwise as the eye sees it.
const char* const kVertexShader = R"(#version 120
attribute vec4 sphere;
attribute vec4 colour;
attribute vec2 corner;
uniform bool sprites;
uniform vec2 viewportSize;
varying vec3 centre;
varying float radius;
varying vec4 surfaceColour;
// The span, in normalised device units, of the rays from the eye that touch
// the circle of radius r around (x, z) in one axis's plane.
vec2 Span(float x, float z, float r, float scale, float shift) {
    float l = sqrt(max(x * x + z * z - r * r, 0.0));
    vec2 a = vec2(x * l - z * r, x * r + z * l);
    vec2 b = vec2(x * l + z * r, -x * r + z * l);
    float p = scale * a.x / -a.y - shift;
    float q = scale * b.x / -b.y - shift;
    return vec2(min(p, q), max(p, q));
}
void main() {
    vec3 c = (gl_ModelViewMatrix * vec4(sphere.xyz, 1.0)).xyz;
    float r = sphere.w;
    centre = c;
    radius = r;
    surfaceColour = colour;
    if (sprites) {
        mat4 p = gl_ProjectionMatrix;
        vec2 sx = Span(c.x, c.z, r, p[0][0], p[2][0]);
        vec2 sy = Span(c.y, c.z, r, p[1][1], p[2][1]);
        vec4 clip = p * vec4(c, 1.0);
        gl_Position = vec4(0.5 * vec2(sx.x + sx.y, sy.x + sy.y) * clip.w, clip.z, clip.w);
        gl_PointSize = 0.5 * max((sx.y - sx.x) * viewportSize.x, (sy.y - sy.x) * viewportSize.y) + 2.0;
        return;
    }
    float d = length(c);
    vec3 axis = d > 0.0 ? c / d : vec3(0.0, 0.0, -1.0);
    vec3 up = abs(axis.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 u = normalize(cross(up, axis));
    vec3 v = cross(u, axis);
    // The eye inside the sphere sees only its inner side, which is culled.
    float tangent2 = d * d - r * r;
    float extent = tangent2 > 0.0 ? min(r * d / sqrt(tangent2), 1.0e6) : 0.0;
    gl_Position = gl_ProjectionMatrix * vec4(c + extent * (corner.x * u + corner.y * v), 1.0);
}
)";

// The fixed pipeline's lighting equation, per pixel, for lights 0 and 1:
// colour material makes the colour the ambient and diffuse reflectance, the
// half vector takes the viewer at infinity, positional lights attenuate.
// lightKind says what a light gives (LightKind below), so the work for
// terms that are zero is skipped, and attenuated says whether a light's
// distance weakens it. The ray through a pixel and the depth of a point come
// from the projection (rayFromPixel, depthRow, wRow: below). edge 0 cuts
// the rim at the pixel centre; 1 gives the rim's coverage as alpha
// (multisample coverage); 2 fades a blended sphere's alpha at its rim.
const char* const kFragmentShader = R"(#version 120
uniform int lightKind[2];
uniform bool attenuated[2];
uniform int edge;
uniform mat3 rayFromPixel;
uniform vec4 depthRow;
uniform vec4 wRow;
varying vec3 centre;
varying float radius;
varying vec4 surfaceColour;
void main() {
    vec3 ray = normalize(rayFromPixel * vec3(gl_FragCoord.xy, 1.0));
    float along = dot(ray, centre);
    float off2 = max(dot(centre, centre) - along * along, 0.0);
    float r2 = radius * radius;
    float coverage = 1.0;
    if (edge == 0) {
        if (off2 > r2) discard;
    } else {
        float off = sqrt(off2);
        coverage = clamp((radius - off) / max(fwidth(off), 1.0e-6) + 0.5, 0.0, 1.0);
        if (coverage <= 0.0) discard;
    }
    float t = along - sqrt(max(r2 - off2, 0.0));
    if (t <= 0.0) discard;
    vec3 hit = t * ray;
    float z = dot(depthRow, vec4(hit, 1.0)) / dot(wRow, vec4(hit, 1.0));
    if (z < -1.0 || z > 1.0) discard;
    gl_FragDepth = 0.5 * (gl_DepthRange.diff * z + gl_DepthRange.near + gl_DepthRange.far);

    vec3 n = (hit - centre) / radius;
    vec3 base = surfaceColour.rgb;
    vec3 sum = gl_FrontMaterial.emission.rgb + base * gl_LightModel.ambient.rgb;
    for (int i = 0; i < 2; ++i) {
        if (lightKind[i] == 0) continue;
        vec3 lit = base * gl_LightSource[i].ambient.rgb;
        float attenuation = 1.0;
        if (lightKind[i] >= 2 || attenuated[i]) {
            vec4 position = gl_LightSource[i].position;
            vec3 toLight = position.xyz - position.w * hit;
            float distance = length(toLight);
            vec3 l = toLight / max(distance, 1.0e-20);
            if (attenuated[i])
                attenuation = 1.0 / (gl_LightSource[i].constantAttenuation +
                                     gl_LightSource[i].linearAttenuation * distance +
                                     gl_LightSource[i].quadraticAttenuation * distance * distance);
            if (lightKind[i] >= 2) {
                float diffuse = max(dot(n, l), 0.0);
                lit += diffuse * base * gl_LightSource[i].diffuse.rgb;
                if (lightKind[i] == 3 && diffuse > 0.0) {
                    float highlight = max(dot(n, normalize(l + vec3(0.0, 0.0, 1.0))), 0.0);
                    lit += pow(highlight, gl_FrontMaterial.shininess) *
                           gl_FrontMaterial.specular.rgb * gl_LightSource[i].specular.rgb;
                }
            }
        }
        sum += attenuation * lit;
    }
    float alpha = edge == 1 ? coverage : surfaceColour.a * (edge == 2 ? coverage : 1.0);
    gl_FragColor = vec4(clamp(sum, 0.0, 1.0), alpha);
}
)";

// What was built on the current context.
struct BatchState {
    int context = 0;     // ContextGeneration() it was made under
    bool tried = false;  // the program was attempted on this context
    GLuint program = 0;  // 0: none, the fallback draws
    GLint lightKind = -1;
    GLint edge = -1;
    GLint attenuated = -1;
    GLint rayFromPixel = -1;
    GLint depthRow = -1;
    GLint wRow = -1;
    GLint sprites = -1;
    GLint viewportSize = -1;
    float largestPoint = 0.0f;  // pixels
    GLuint buffer = 0;
    size_t capacity = 0;  // bytes the buffer holds
    std::vector<SphereVertex> vertices;
    std::vector<const SphereItem*> large;  // the spheres drawn as quads
};
BatchState batch;

GLuint Compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    if (!shader) return 0;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// What a light adds, for the sphere program: 0 nothing (off), 1 ambient
// only, 2 also diffuse, 3 also specular. A colour of zero adds nothing, so
// skipping it changes no pixel.
GLint LightKind(GLenum light) {
    if (!glIsEnabled(light)) return 0;
    GLfloat diffuse[4], specular[4];
    glGetLightfv(light, GL_DIFFUSE, diffuse);
    glGetLightfv(light, GL_SPECULAR, specular);
    const auto lit = [](const GLfloat* c) { return c[0] != 0.0f || c[1] != 0.0f || c[2] != 0.0f; };
    return lit(specular) ? 3 : lit(diffuse) ? 2 : 1;
}

// True when a light weakens with distance: positional, with attenuation
// other than the constant 1.
GLint Attenuated(GLenum light) {
    GLfloat position[4], constant = 1.0f, linear = 0.0f, quadratic = 0.0f;
    glGetLightfv(light, GL_POSITION, position);
    glGetLightfv(light, GL_CONSTANT_ATTENUATION, &constant);
    glGetLightfv(light, GL_LINEAR_ATTENUATION, &linear);
    glGetLightfv(light, GL_QUADRATIC_ATTENUATION, &quadratic);
    return position[3] != 0.0f && (constant != 1.0f || linear != 0.0f || quadratic != 0.0f);
}

// GLSL 1.20 needs OpenGL 2.1.
bool ContextHasGlsl120() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
    return major > 2 || (major == 2 && minor >= 1);
}

void BuildProgram() {
    batch.tried = true;
    if (!ContextHasGlsl120()) return;
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    GLuint program = 0;
    if (vertex && fragment) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glBindAttribLocation(program, kSphereAttribute, "sphere");
        glBindAttribLocation(program, kColourAttribute, "colour");
        glBindAttribLocation(program, kCornerAttribute, "corner");
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    if (!program) return;
    batch.program = program;
    batch.lightKind = glGetUniformLocation(program, "lightKind");
    batch.edge = glGetUniformLocation(program, "edge");
    batch.attenuated = glGetUniformLocation(program, "attenuated");
    batch.rayFromPixel = glGetUniformLocation(program, "rayFromPixel");
    batch.depthRow = glGetUniformLocation(program, "depthRow");
    batch.wRow = glGetUniformLocation(program, "wRow");
    batch.sprites = glGetUniformLocation(program, "sprites");
    batch.viewportSize = glGetUniformLocation(program, "viewportSize");
    GLfloat range[2] = {0.0f, 0.0f};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    batch.largestPoint = range[1];
    glGenBuffers(1, &batch.buffer);
}

// Where the frame's matrices put things: enough of them to sort spheres
// into sprites and quads.
struct View {
    float modelView[16];
    float projection[16];
    float width = 0.0f, height = 0.0f;  // viewport, pixels
};

// The inverse of a column-major 4 x 4 matrix by Gauss-Jordan elimination
// with partial pivoting; false when it is singular.
bool Invert(const float* m, double* inverse) {
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m[c * 4 + r];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        if (!(std::fabs(a[pivot][c]) > 0.0)) return false;
        std::swap(a[c], a[pivot]);
        const double scale = 1.0 / a[c][c];
        for (double& v : a[c]) v *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double factor = a[r][c];
            for (int k = 0; k < 8; ++k) a[r][k] -= factor * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) inverse[c * 4 + r] = a[r][c + 4];
    return true;
}

// The projection as the fragment program uses it: the ray through a pixel
// is the direction to the point the pixel's window position unprojects to
// on the near plane (whose w, positive for a perspective projection, only
// scales it), a linear function of (x, y, 1); a point's depth is its clip z
// over its clip w.
void SetProjectionUniforms(const View& view, float left, float bottom) {
    const float* p = view.projection;
    double inverse[16];
    if (!Invert(p, inverse)) std::fill(std::begin(inverse), std::end(inverse), 0.0);
    // Normalised device x = ax * window x + bx, and likewise for y.
    const double ax = 2.0 / view.width, bx = -2.0 * left / view.width - 1.0;
    const double ay = 2.0 / view.height, by = -2.0 * bottom / view.height - 1.0;
    float ray[9];
    for (int r = 0; r < 3; ++r) {
        ray[0 + r] = static_cast<float>(inverse[0 + r] * ax);
        ray[3 + r] = static_cast<float>(inverse[4 + r] * ay);
        ray[6 + r] = static_cast<float>(inverse[0 + r] * bx + inverse[4 + r] * by - inverse[8 + r] +
                                        inverse[12 + r]);
    }
    glUniformMatrix3fv(batch.rayFromPixel, 1, GL_FALSE, ray);
    glUniform4f(batch.depthRow, p[2], p[6], p[10], p[14]);
    glUniform4f(batch.wRow, p[3], p[7], p[11], p[15]);
}

// True when the sphere lies in front of the near plane, inside the view and
// small enough on screen for a point of the driver's largest size.
bool FitsASprite(const View& view, const SphereItem& s, float largestPoint) {
    const float* m = view.modelView;
    const float x = m[0] * s.centre.x + m[4] * s.centre.y + m[8] * s.centre.z + m[12];
    const float y = m[1] * s.centre.x + m[5] * s.centre.y + m[9] * s.centre.z + m[13];
    const float z = m[2] * s.centre.x + m[6] * s.centre.y + m[10] * s.centre.z + m[14];
    const float* p = view.projection;
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
        if (!FitsASprite(view, s, batch.largestPoint)) {
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
    if (!batch.tried) BuildProgram();
    return batch.program != 0;
}

bool DrawSphereBatch(const std::vector<SphereItem>& spheres, bool blended) {
    if (!ShaderSpheresInUse()) return false;
    if (spheres.empty()) return true;
    View view;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_MODELVIEW_MATRIX, view.modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, view.projection);
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
    glUseProgram(batch.program);
    const GLint lights[2] = {LightKind(GL_LIGHT0), LightKind(GL_LIGHT1)};
    glUniform1iv(batch.lightKind, 2, lights);
    glUniform1i(batch.edge, blended ? 2 : (coverage ? 1 : 0));
    const GLint attenuated[2] = {Attenuated(GL_LIGHT0), Attenuated(GL_LIGHT1)};
    glUniform1iv(batch.attenuated, 2, attenuated);
    SetProjectionUniforms(view, static_cast<float>(viewport[0]), static_cast<float>(viewport[1]));
    glUniform2f(batch.viewportSize, view.width, view.height);
    if (coverage) {
        glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        glEnable(GL_SAMPLE_ALPHA_TO_ONE);
    }
    if (sprites > 0) {
        // Square sprites of the size the program gives, not smoothed discs.
        glEnable(GL_VERTEX_PROGRAM_POINT_SIZE);
        glEnable(GL_POINT_SPRITE);
        glUniform1i(batch.sprites, 1);
        glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(sprites));
        glDisable(GL_POINT_SPRITE);
        glDisable(GL_VERTEX_PROGRAM_POINT_SIZE);
    }
    if (batch.vertices.size() > sprites) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glUniform1i(batch.sprites, 0);
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
