// The mouse rules of the main window.
#include "pointer_input.h"

#include "dragging.h"
#include "molecule.h"
#include "view_state.h"

namespace {

// Degrees of turn per pixel of pointer movement.
constexpr float kTurnPerPixel = 0.2f;
// How far one wheel notch moves the eye.
constexpr float kWheelStep = 50.0f;

float ModifierScale(const PointerEvent& event) {
    float scale = 1.0f;
    if (event.shiftHeld) scale *= 0.25f;
    if (event.ctrlHeld) scale *= 4.0f;
    return scale;
}

void Move(const PointerEvent& event, PointerState& state) {
    const float scale = ModifierScale(event);
    const float dx = static_cast<float>(event.x - state.lastMouseX) * scale;
    const float dy = static_cast<float>(event.y - state.lastMouseY) * scale;
    if (molecule.dragging) {
        if (molecule.currentNode == -1) {
            viewState.viewYaw += kTurnPerPixel * dx;
            viewState.viewPitch += kTurnPerPixel * dy;
        } else {
            DragNode(molecule.currentNode, state.lastMouseX, state.lastMouseY, dx, dy);
        }
    } else if (state.rightButtonDown) {
        viewState.modelYaw += kTurnPerPixel * dx;
        viewState.modelPitch += kTurnPerPixel * dy;
    }
    state.lastMouseX = event.x;
    state.lastMouseY = event.y;
}

}  // namespace

void HandlePointerEvent(const PointerEvent& event, PointerState& state) {
    using Kind = PointerEvent::Kind;
    switch (event.kind) {
        case Kind::Move:
            Move(event, state);
            break;
        case Kind::LeftPress:
            ClickSelect(event.shiftHeld);
            state.lastMouseX = event.x;
            state.lastMouseY = event.y;
            molecule.dragging = true;
            break;
        case Kind::LeftRelease:
            molecule.dragging = false;
            break;
        case Kind::RightPress:
            state.lastMouseX = event.x;
            state.lastMouseY = event.y;
            state.rightButtonDown = true;
            break;
        case Kind::RightRelease:
            state.rightButtonDown = false;
            break;
        case Kind::Wheel:
            // Only the direction counts, however large the turn.
            if (event.wheelTurn != 0)
                MoveEye((event.wheelTurn > 0 ? kWheelStep : -kWheelStep) * ModifierScale(event));
            break;
    }
}
