// Flying with the full-stop and comma keys follows the line of sight of a
// turned view, at the speed of the modifiers.
#include <gtest/gtest.h>

#include "process_state.h"
#include "view_state.h"

namespace {

using FlightKeysTest = FreshProcessTest;

TEST_F(FlightKeysTest, OneFrameMovesTheEyeAlongTheTurnedLineOfSight) {
    struct Case {
        float yaw, pitch;
        bool forward, shift, ctrl;
        Vector3 moved;
    };
    const Case cases[] = {
        {90, 0, true, false, false, {10, 0, 0}},  // turned right: forward is +x
        {-90, 0, true, true, false, {-1, 0, 0}},
        {180, 0, false, false, false, {0, 0, -10}},  // turned round, flying back
        {0, 90, true, false, true, {0, -50, 0}},     // looking down
        {90, 30, true, false, false, {8.660254f, -5, 0}},
        {45, -60, false, true, false, {-0.35355339f, -0.8660254f, 0.35355339f}},
        {360 + 90, 0, true, false, false, {10, 0, 0}},  // angles are never wrapped
    };
    for (const Case& c : cases) {
        viewState = ViewState{};
        viewState.viewYaw = c.yaw;
        viewState.viewPitch = c.pitch;
        viewState.modelYaw = 33;  // the model's turn plays no part
        viewState.modelPitch = -20;
        ViewInput input;
        input.mainWindowActive = true;
        (c.forward ? input.fullStopHeld : input.commaHeld) = true;
        input.shiftHeld = c.shift;
        input.ctrlHeld = c.ctrl;
        UpdateViewForFrame(input);
        EXPECT_NEAR(viewState.eye.x, c.moved.x, 1e-4f) << c.yaw << " " << c.pitch;
        EXPECT_NEAR(viewState.eye.y, c.moved.y, 1e-4f) << c.yaw << " " << c.pitch;
        EXPECT_NEAR(viewState.eye.z, 500 + c.moved.z, 1e-4f) << c.yaw << " " << c.pitch;
    }
}

}  // namespace
