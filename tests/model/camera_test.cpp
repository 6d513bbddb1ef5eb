// The camera maths and the per-frame view update.
#include <gtest/gtest.h>

#include <cmath>

#include "camera.h"
#include "process_state.h"
#include "view_state.h"

namespace {

class ViewTest : public FreshProcessTest {};

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST_F(ViewTest, DefaultCameraLooksDownMinusZFrom500) {
    const Matrix4 m = CameraMatrix();
    ExpectNear(TransformPoint(m, {0, 0, 0}), {0, 0, -500}, 1e-4f);
    // The model's +x is to the right and +y up.
    ExpectNear(TransformPoint(m, {1, 2, 0}), {1, 2, -500}, 1e-4f);
    ExpectNear(ViewDirection(), {0, 0, -1}, 1e-6f);
}

TEST_F(ViewTest, CameraAppliesModelTurnsFirstThenEyeThenView) {
    viewState.modelYaw = 90.0f;
    // A model point on +x turns to -z under a 90 degree yaw, then moves by -eye.
    ExpectNear(TransformPoint(CameraMatrix(), {10, 0, 0}), {0, 0, -510}, 1e-3f);

    viewState = ViewState{};
    viewState.viewYaw = 90.0f;
    // The line of sight turns after the eye offset: the origin, 500 ahead
    // before, ends up to the side.
    ExpectNear(TransformPoint(CameraMatrix(), {0, 0, 0}), {-500, 0, 0}, 1e-3f);
    ExpectNear(ViewDirection(), {1, 0, 0}, 1e-6f);
}

TEST_F(ViewTest, InverseCameraUndoesTheCamera) {
    viewState.eye = {12.5f, -40.0f, 310.0f};
    viewState.viewPitch = 17.0f;
    viewState.viewYaw = -33.0f;
    viewState.modelPitch = 250.0f;
    viewState.modelYaw = 1234.5f;
    const Matrix4 product = Multiply(InverseCameraMatrix(), CameraMatrix());
    const Matrix4 identity = IdentityMatrix();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i], identity.m[i], 2e-4f) << i;
}

TEST_F(ViewTest, RotateAboutAnArbitraryAxisMatchesTheAxisCase) {
    const Matrix4 general = Rotate(IdentityMatrix(), 30.0f, 0.0f, 2.0f, 1e-9f);
    const Matrix4 axis = Rotate(IdentityMatrix(), 30.0f, 0.0f, 1.0f, 0.0f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(general.m[i], axis.m[i], 1e-6f) << i;
    // A zero axis leaves the matrix as it is.
    const Matrix4 none = Rotate(IdentityMatrix(), 30.0f, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(none.m[i], IdentityMatrix().m[i]);
}

TEST_F(ViewTest, UnProjectWithIdentityProjection) {
    const Matrix4d modelView = ToDouble(CameraMatrix());
    const Matrix4d projection = ToDouble(IdentityMatrix());
    const int viewport[4] = {0, 0, 600, 400};
    Vector3d out;
    ASSERT_TRUE(UnProject(150, 300, 0, modelView, projection, viewport, out));
    // Eye-space (2 * 150 / 600 - 1, 2 * 300 / 400 - 1, -1), moved back by the eye.
    EXPECT_NEAR(out.x, -0.5, 1e-9);
    EXPECT_NEAR(out.y, 0.5, 1e-9);
    EXPECT_NEAR(out.z, 499.0, 1e-9);

    const int empty[4] = {0, 0, 0, 400};
    EXPECT_FALSE(UnProject(1, 1, 0, modelView, projection, empty, out));
    const Matrix4d singular{};
    EXPECT_FALSE(UnProject(1, 1, 0, singular, projection, viewport, out));
}

TEST_F(ViewTest, ResetCameraKeepsScaleAndLabels) {
    viewState.eye = {1, 2, 3};
    viewState.viewPitch = viewState.viewYaw = viewState.modelPitch = viewState.modelYaw = 5.0f;
    viewState.atomScale = 2.0f;
    viewState.labelMode = 2;
    viewState.textSize = 8.0f;
    viewState.demoSpin = true;
    ResetCamera();
    ExpectNear(viewState.eye, {0, 0, 500}, 0.0f);
    EXPECT_EQ(viewState.viewPitch + viewState.viewYaw + viewState.modelPitch + viewState.modelYaw,
              0.0f);
    EXPECT_EQ(viewState.atomScale, 2.0f);
    EXPECT_EQ(viewState.labelMode, 2);
    EXPECT_EQ(viewState.textSize, 8.0f);
    EXPECT_TRUE(viewState.demoSpin);
}

TEST_F(ViewTest, MoveEyeFollowsTheLineOfSight) {
    viewState.viewPitch = 90.0f;  // looking straight down
    MoveEye(50.0f);
    ExpectNear(viewState.eye, {0, -50, 500}, 1e-3f);
    MoveEye(-50.0f);
    ExpectNear(viewState.eye, {0, 0, 500}, 1e-3f);
}

TEST_F(ViewTest, FlightKeysWithSpeedModifiers) {
    struct Case {
        bool shift, ctrl;
        float distance;
    } cases[] = {
        {false, false, 10.0f}, {true, false, 1.0f}, {false, true, 50.0f}, {true, true, 50.0f}};
    for (const Case& c : cases) {
        viewState = ViewState{};
        ViewInput input;
        input.mainWindowActive = true;
        input.fullStopHeld = true;
        input.shiftHeld = c.shift;
        input.ctrlHeld = c.ctrl;
        UpdateViewForFrame(input);
        EXPECT_NEAR(viewState.eye.z, 500.0f - c.distance, 1e-3f);
        input.fullStopHeld = false;
        input.commaHeld = true;
        UpdateViewForFrame(input);
        EXPECT_NEAR(viewState.eye.z, 500.0f, 1e-3f);
    }
    // Both keys together cancel out.
    viewState = ViewState{};
    ViewInput both;
    both.mainWindowActive = true;
    both.fullStopHeld = both.commaHeld = true;
    UpdateViewForFrame(both);
    EXPECT_NEAR(viewState.eye.z, 500.0f, 1e-4f);
}

TEST_F(ViewTest, KeysDoNothingWhileAnotherWindowIsInFront) {
    ViewInput input;
    input.fullStopHeld = input.upHeld = true;
    UpdateViewForFrame(input);
    EXPECT_EQ(viewState.eye.z, 500.0f);
    EXPECT_EQ(viewState.atomScale, 1.0f);
}

TEST_F(ViewTest, AtomScalingByFactorBelowOneAndStepAbove) {
    ViewInput up;
    up.mainWindowActive = true;
    up.upHeld = true;
    viewState.atomScale = 0.5f;
    int frames = 0;
    while (viewState.atomScale < 1.0f && frames < 100) {
        const float before = viewState.atomScale;
        UpdateViewForFrame(up);
        if (viewState.atomScale < 1.0f) {
            EXPECT_FLOAT_EQ(viewState.atomScale, before * 1.1f);
        }
        ++frames;
    }
    EXPECT_EQ(viewState.atomScale, 1.0f);  // lands exactly on 1
    EXPECT_EQ(frames, 8);
    UpdateViewForFrame(up);
    EXPECT_FLOAT_EQ(viewState.atomScale, 1.1f);

    ViewInput down;
    down.mainWindowActive = true;
    down.downHeld = true;
    down.ctrlHeld = true;
    viewState.atomScale = 1.0f;
    UpdateViewForFrame(down);
    EXPECT_FLOAT_EQ(viewState.atomScale, 0.9f);
    UpdateViewForFrame(down);
    EXPECT_FLOAT_EQ(viewState.atomScale, 0.81f);

    down.ctrlHeld = false;
    viewState.atomScale = 1.3f;
    UpdateViewForFrame(down);
    EXPECT_FLOAT_EQ(viewState.atomScale, 1.2f);
    UpdateViewForFrame(down);
    EXPECT_FLOAT_EQ(viewState.atomScale, 1.1f);
    UpdateViewForFrame(down);
    const float justUnderOne = viewState.atomScale;
    EXPECT_LT(justUnderOne, 1.0f);
    EXPECT_GT(justUnderOne, 0.999f);
    UpdateViewForFrame(down);
    EXPECT_FLOAT_EQ(viewState.atomScale, justUnderOne * 0.98f);
}

TEST_F(ViewTest, DemoSpinTurnsTheModelEveryFrame) {
    viewState.demoSpin = true;
    UpdateViewForFrame(ViewInput{});  // spins even while a dialog is in front
    const float pitch = viewState.modelPitch, yaw = viewState.modelYaw;
    EXPECT_GT(pitch, 0.0f);
    EXPECT_GT(yaw, 0.0f);
    UpdateViewForFrame(ViewInput{});  // by the same turn every frame
    EXPECT_FLOAT_EQ(viewState.modelPitch, 2 * pitch);
    EXPECT_FLOAT_EQ(viewState.modelYaw, 2 * yaw);
    EXPECT_EQ(viewState.viewPitch, 0.0f);
}

}  // namespace
