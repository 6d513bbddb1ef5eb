// Ray-cast spheres: the program, its one vertex buffer and the batch draw.
#define GL_GLEXT_PROTOTYPES 1
#include "sphere_batch.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstdio>

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

// The quad lies across the line of sight to the centre, at the centre, just
// large enough to hold the cone of rays that touch the sphere; corners run
// counter-clockwise as the eye sees them, so back-face culling keeps them.
const char* const kVertexShader = R"(#version 120
attribute vec4 sphere;
attribute vec4 colour;
attribute vec2 corner;
varying vec3 quadPoint;
varying vec3 centre;
varying float radius;
varying vec4 surfaceColour;
void main() {
    vec3 c = (gl_ModelViewMatrix * vec4(sphere.xyz, 1.0)).xyz;
    float r = sphere.w;
    float d = length(c);
    vec3 axis = d > 0.0 ? c / d : vec3(0.0, 0.0, -1.0);
    vec3 up = abs(axis.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 u = normalize(cross(up, axis));
    vec3 v = cross(u, axis);
    // The eye inside the sphere sees only its inner side, which is culled.
    float tangent2 = d * d - r * r;
    float extent = tangent2 > 0.0 ? min(r * d / sqrt(tangent2), 1.0e6) : 0.0;
    vec3 p = c + extent * (corner.x * u + corner.y * v);
    quadPoint = p;
    centre = c;
    radius = r;
    surfaceColour = colour;
    gl_Position = gl_ProjectionMatrix * vec4(p, 1.0);
}
)";

// The fixed pipeline's lighting equation, per pixel, for lights 0 and 1:
// colour material makes the colour the ambient and diffuse reflectance, the
// half vector takes the viewer at infinity, positional lights attenuate.
// edge 0 cuts the rim at the pixel centre; 1 gives the rim's coverage as
// alpha (multisample coverage); 2 fades a blended sphere's alpha at its rim.
const char* const kFragmentShader = R"(#version 120
uniform bool lightOn[2];
uniform int edge;
varying vec3 quadPoint;
varying vec3 centre;
varying float radius;
varying vec4 surfaceColour;
void main() {
    vec3 ray = normalize(quadPoint);
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
    vec4 clip = gl_ProjectionMatrix * vec4(hit, 1.0);
    float z = clip.z / clip.w;
    if (z < -1.0 || z > 1.0) discard;
    gl_FragDepth = 0.5 * (gl_DepthRange.diff * z + gl_DepthRange.near + gl_DepthRange.far);

    vec3 n = (hit - centre) / radius;
    vec3 base = surfaceColour.rgb;
    vec3 sum = gl_FrontMaterial.emission.rgb + base * gl_LightModel.ambient.rgb;
    for (int i = 0; i < 2; ++i) {
        if (!lightOn[i]) continue;
        vec4 position = gl_LightSource[i].position;
        vec3 toLight = position.xyz - position.w * hit;
        float distance = length(toLight);
        vec3 l = toLight / max(distance, 1.0e-20);
        float attenuation = position.w == 0.0 ? 1.0 :
            1.0 / (gl_LightSource[i].constantAttenuation +
                   gl_LightSource[i].linearAttenuation * distance +
                   gl_LightSource[i].quadraticAttenuation * distance * distance);
        float diffuse = max(dot(n, l), 0.0);
        vec3 lit = base * gl_LightSource[i].ambient.rgb + diffuse * base * gl_LightSource[i].diffuse.rgb;
        if (diffuse > 0.0) {
            float highlight = max(dot(n, normalize(l + vec3(0.0, 0.0, 1.0))), 0.0);
            lit += pow(highlight, gl_FrontMaterial.shininess) *
                   gl_FrontMaterial.specular.rgb * gl_LightSource[i].specular.rgb;
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
    GLint lightOn = -1;
    GLint edge = -1;
    GLuint buffer = 0;
    size_t capacity = 0;  // bytes the buffer holds
    std::vector<SphereVertex> vertices;
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
    batch.lightOn = glGetUniformLocation(program, "lightOn");
    batch.edge = glGetUniformLocation(program, "edge");
    glGenBuffers(1, &batch.buffer);
}

void FillVertices(const std::vector<SphereItem>& spheres) {
    static constexpr float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    batch.vertices.resize(spheres.size() * 4);
    SphereVertex* out = batch.vertices.data();
    for (const SphereItem& s : spheres) {
        for (const auto& corner : corners) {
            *out++ = {{s.centre.x, s.centre.y, s.centre.z, s.radius},
                      {s.colour.red, s.colour.green, s.colour.blue, s.colour.alpha},
                      {corner[0], corner[1]}};
        }
    }
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
    FillVertices(spheres);

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
    const GLint lights[2] = {glIsEnabled(GL_LIGHT0) ? 1 : 0, glIsEnabled(GL_LIGHT1) ? 1 : 0};
    glUniform1iv(batch.lightOn, 2, lights);
    glUniform1i(batch.edge, blended ? 2 : (coverage ? 1 : 0));
    if (coverage) {
        glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        glEnable(GL_SAMPLE_ALPHA_TO_ONE);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(batch.vertices.size()));
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
