// Fixed OpenGL state, the two fonts, lights and the camera loaded into GL.
#include "gl_setup.h"

#include <GL/gl.h>

#include "camera.h"
#include "fonts.h"
#include "settings.h"
#include "view_state.h"

namespace {

int contextGeneration = 0;

}  // namespace

int ContextGeneration() {
    return contextGeneration;
}

Notices SetupOpenGL() {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDepthMask(GL_TRUE);
    ++contextGeneration;
    // Each failing font is reported and the program carries on; text in
    // that font then draws nothing.
    Notices notices;
    if (auto notice = SetupBitmapFont(DefaultSansFace(false))) notices.push_back(*notice);
    if (auto notice = SetupOutlineFont(DefaultSansFace(true))) notices.push_back(*notice);
    ResetCamera();
    return notices;
}

void SetupLights() {
    // Colour material in its default mode (front and back, ambient and
    // diffuse): every colour set for a sphere becomes its reflectance.
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);

    const GLfloat position[4] = {kLightPosition.x, kLightPosition.y, kLightPosition.z, 1.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);

    // Light 0, the direct light.
    const GLfloat d = settings.LightDiffuse;
    const GLfloat diffuse[4] = {d, d, d, 1.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_SPECULAR, settings.Specular ? white : none);

    // Light 1, the ambient light.
    const GLfloat a = settings.LightAmbient / 2.0f;
    const GLfloat ambient[4] = {a, a, a, 1.0f};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, none);

    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64.0f);

    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
}

void SetProjection(int width, int height, int left, int bottom) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    MultiplyProjection(width, height);
    glViewport(-left, -bottom, width, height);
    glMatrixMode(GL_MODELVIEW);
}

bool OutOfMemoryReported() {
    bool outOfMemory = false;
    // Bounded: a lost context may report an error on every call.
    for (int i = 0; i < 16; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        outOfMemory = outOfMemory || error == GL_OUT_OF_MEMORY;
    }
    return outOfMemory;
}

void LargestFrame(int& width, int& height) {
    GLint dimensions[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dimensions);
    width = dimensions[0];
    height = dimensions[1];
}

void MultiplyProjection(int width, int height) {
    glMultMatrixf(ProjectionMatrix(width, height).m);
}

void ApplyCamera() {
    glMultMatrixf(CameraMatrix().m);
}
