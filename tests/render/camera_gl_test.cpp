// The camera as GL's own matrix calls build it is the same as the project's
// camera maths, which the frame loads into GL.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "camera.h"
#include "gl_setup.h"
#include "render_support.h"
#include "view_state.h"

namespace {

class CameraGlTest : public RenderTest {
protected:
    static Matrix4 ModelView() {
        Matrix4 m;
        glGetFloatv(GL_MODELVIEW_MATRIX, m.m);
        return m;
    }
    static void ExpectSame(const Matrix4& gl, const Matrix4& own) {
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(gl.m[i], own.m[i], 2e-5f * std::max(1.0f, std::fabs(own.m[i])))
                << "element " << i;
    }
};

// The camera and its inverse as glRotatef and glTranslatef build them.
void RotateAndTranslateCamera(const ViewState& v) {
    glRotatef(v.viewPitch, 1.0f, 0.0f, 0.0f);
    glRotatef(v.viewYaw, 0.0f, 1.0f, 0.0f);
    glTranslatef(-v.eye.x, -v.eye.y, -v.eye.z);
    glRotatef(v.modelPitch, 1.0f, 0.0f, 0.0f);
    glRotatef(v.modelYaw, 0.0f, 1.0f, 0.0f);
}
void RotateAndTranslateInverseCamera(const ViewState& v) {
    glRotatef(-v.modelYaw, 0.0f, 1.0f, 0.0f);
    glRotatef(-v.modelPitch, 1.0f, 0.0f, 0.0f);
    glTranslatef(v.eye.x, v.eye.y, v.eye.z);
    glRotatef(-v.viewYaw, 0.0f, 1.0f, 0.0f);
    glRotatef(-v.viewPitch, 1.0f, 0.0f, 0.0f);
}

const ViewState kViews[] = {
    ViewState{},
    ViewState{{12.5f, -40.0f, 310.0f}, 17.0f, -33.0f, 250.0f, 1234.5f},
    ViewState{{0.0f, 0.0f, 0.0f}, -90.0f, 90.0f, 0.0f, 0.0f},
    ViewState{{-800.0f, 3.0f, -25.0f}, 0.0f, 0.0f, 45.0f, -720.25f},
};

TEST_F(CameraGlTest, GlCameraEqualsCameraMatrix) {
    glMatrixMode(GL_MODELVIEW);
    for (const ViewState& view : kViews) {
        viewState = view;
        glLoadIdentity();
        RotateAndTranslateCamera(view);
        ExpectSame(ModelView(), CameraMatrix());
        glLoadIdentity();
        RotateAndTranslateInverseCamera(view);
        ExpectSame(ModelView(), InverseCameraMatrix());
        // The frame's camera is the same matrix loaded.
        glLoadIdentity();
        ApplyCamera();
        ExpectSame(ModelView(), CameraMatrix());
    }
}

TEST_F(CameraGlTest, InverseAfterCameraGivesIdentity) {
    viewState = kViews[1];
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ApplyCamera();
    glMultMatrixf(InverseCameraMatrix().m);
    const Matrix4 m = ModelView();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], i % 5 == 0 ? 1.0f : 0.0f, 2e-4f) << i;
}

TEST_F(CameraGlTest, ProjectionMatrixIsGlusPerspective) {
    const int sizes[][2] = {{600, 400}, {1, 1000}, {4096, 7}, {333, 333}};
    for (const auto& size : sizes) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, static_cast<double>(size[0]) / size[1], 20.0, 10000.0);
        Matrix4 glu;
        glGetFloatv(GL_PROJECTION_MATRIX, glu.m);
        const Matrix4 own = ProjectionMatrix(size[0], size[1]);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(glu.m[i], own.m[i]) << size[0] << "x" << size[1] << " " << i;
    }
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace
