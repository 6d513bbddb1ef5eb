// The mouse rules of the main window, free of any window system: a pointer
// move turns the view or the model or drags the current atom, the left
// button picks and drags, the right button turns the model, the wheel flies
// the eye. The window fills a PointerEvent from its own events.
#pragma once

// What the window keeps between pointer events.
struct PointerState {
    int lastMouseX = 0;            // last pointer position seen, client pixels
    int lastMouseY = 0;            //
    bool rightButtonDown = false;  // right button held in the view
};

struct PointerEvent {
    enum class Kind { Move, LeftPress, LeftRelease, RightPress, RightRelease, Wheel };
    Kind kind = Kind::Move;
    int x = 0;               // pointer position, client pixels (not used by Wheel)
    int y = 0;               //
    bool shiftHeld = false;  // movements a quarter as large
    bool ctrlHeld = false;   // movements four times as large
    int wheelTurn = 0;       // Wheel: positive away from the person, negative towards
};

// Applies one pointer event to the molecule, the view and the state.
void HandlePointerEvent(const PointerEvent& event, PointerState& state);
