// The view record and its per-frame update.
#include "view_state.h"

#include <cmath>

Vector3 ViewDirection() {
    const float p = viewState.viewPitch * kDegreesToRadians;
    const float y = viewState.viewYaw * kDegreesToRadians;
    return {std::cos(p) * std::sin(y), -std::sin(p), -std::cos(p) * std::cos(y)};
}

void MoveEye(float distance) {
    const Vector3 d = ViewDirection();
    viewState.eye.x += distance * d.x;
    viewState.eye.y += distance * d.y;
    viewState.eye.z += distance * d.z;
}

void ResetCamera() {
    viewState.eye = {0.0f, 0.0f, 500.0f};
    viewState.viewPitch = 0.0f;
    viewState.viewYaw = 0.0f;
    viewState.modelPitch = 0.0f;
    viewState.modelYaw = 0.0f;
}

void UpdateViewForFrame(const ViewInput& input) {
    // The angles are taken once, before this frame changes anything.
    const float p = viewState.viewPitch * kDegreesToRadians;
    const float y = viewState.viewYaw * kDegreesToRadians;

    if (input.mainWindowActive) {
        const float speed = input.ctrlHeld ? 5.0f : (input.shiftHeld ? 0.1f : 1.0f);
        const Vector3 step{10.0f * speed * (std::sin(y) * std::cos(p)),
                           10.0f * speed * -std::sin(p),
                           10.0f * speed * (-std::cos(y) * std::cos(p))};
        if (input.fullStopHeld) {
            viewState.eye.x += step.x;
            viewState.eye.y += step.y;
            viewState.eye.z += step.z;
        }
        if (input.commaHeld) {
            viewState.eye.x -= step.x;
            viewState.eye.y -= step.y;
            viewState.eye.z -= step.z;
        }

        // Below 1 the scale changes by a factor, so it never reaches zero;
        // above 1 by a fixed step.
        const float rate = input.ctrlHeld ? 0.5f : (input.shiftHeld ? 0.02f : 0.1f);
        float& scale = viewState.atomScale;
        if (input.upHeld) {
            if (scale < 1.0f) {
                scale = scale * (1.0f + rate);
                if (scale > 1.0f) scale = 1.0f;
            } else {
                scale += rate;
            }
        }
        if (input.downHeld) {
            if (scale <= 1.0f)
                scale = scale * (1.0f - 0.2f * rate);
            else
                scale -= rate;
        }
    }

    if (viewState.demoSpin) {
        viewState.modelPitch += 0.26666662f;
        viewState.modelYaw += 0.0855142f;
    }
}
