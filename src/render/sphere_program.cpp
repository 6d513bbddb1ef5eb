// Building the sphere program and setting its uniforms from the GL state.
#define GL_GLEXT_PROTOTYPES 1
#include "sphere_program.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

#include "sphere_shaders.h"

namespace {

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

// The projection as the fragment program uses it: the ray through a pixel
// is the direction to the point the pixel's window position unprojects to
// on the near plane (whose w, positive for a perspective projection, only
// scales it), a linear function of (x, y, 1); a point's depth is its clip z
// over its clip w.
void SetProjectionUniforms(const SphereProgram& program, const Matrix4& projection, float left,
                           float bottom, float width, float height) {
    const float* p = projection.m;
    Matrix4d inverted;
    if (!Invert(ToDouble(projection), inverted)) inverted = Matrix4d{};
    const double* inverse = inverted.m;
    // Normalised device x = ax * window x + bx, and likewise for y.
    const double ax = 2.0 / width, bx = -2.0 * left / width - 1.0;
    const double ay = 2.0 / height, by = -2.0 * bottom / height - 1.0;
    float ray[9];
    for (int r = 0; r < 3; ++r) {
        ray[0 + r] = static_cast<float>(inverse[0 + r] * ax);
        ray[3 + r] = static_cast<float>(inverse[4 + r] * ay);
        ray[6 + r] = static_cast<float>(inverse[0 + r] * bx + inverse[4 + r] * by - inverse[8 + r] +
                                        inverse[12 + r]);
    }
    glUniformMatrix3fv(program.rayFromPixel, 1, GL_FALSE, ray);
    glUniform4f(program.depthRow, p[2], p[6], p[10], p[14]);
    glUniform4f(program.wRow, p[3], p[7], p[11], p[15]);
}

}  // namespace

SphereProgram BuildSphereProgram() {
    SphereProgram built;
    if (!ContextHasGlsl120()) return built;
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kSphereVertexShader);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kSphereFragmentShader);
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
    if (!program) return built;
    built.program = program;
    built.lightKind = glGetUniformLocation(program, "lightKind");
    built.edge = glGetUniformLocation(program, "edge");
    built.attenuated = glGetUniformLocation(program, "attenuated");
    built.rayFromPixel = glGetUniformLocation(program, "rayFromPixel");
    built.depthRow = glGetUniformLocation(program, "depthRow");
    built.wRow = glGetUniformLocation(program, "wRow");
    built.sprites = glGetUniformLocation(program, "sprites");
    built.viewportSize = glGetUniformLocation(program, "viewportSize");
    GLfloat range[2] = {0.0f, 0.0f};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    built.largestPoint = range[1];
    return built;
}

void SetSphereUniforms(const SphereProgram& program, SphereEdge edge, const Matrix4& projection,
                       float left, float bottom, float width, float height) {
    const GLint lights[2] = {LightKind(GL_LIGHT0), LightKind(GL_LIGHT1)};
    glUniform1iv(program.lightKind, 2, lights);
    glUniform1i(program.edge, static_cast<GLint>(edge));
    const GLint attenuated[2] = {Attenuated(GL_LIGHT0), Attenuated(GL_LIGHT1)};
    glUniform1iv(program.attenuated, 2, attenuated);
    SetProjectionUniforms(program, projection, left, bottom, width, height);
    glUniform2f(program.viewportSize, width, height);
}
