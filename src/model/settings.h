// The program's configuration values with their built-in defaults. Field
// names are the keys of Tessaril.ini without the leading "@".
#pragma once

#include <memory>
#include <string>

#include "colour.h"

// The drawing area's size in a fresh settings file, and the size of a
// picture drawn without a window when none is given.
constexpr int kDefaultViewWidth = 600;
constexpr int kDefaultViewHeight = 400;

struct Settings {
    bool operator==(const Settings&) const = default;  // field by field
    int WindowX = 1;  // outer frame left edge in the file; client-area left edge during a run
    int WindowY = 1;  // outer frame top edge in the file; client-area top edge during a run
    int WindowWidth = kDefaultViewWidth;  // outer width in the file; client-area width during a run
    int WindowHeight =
        kDefaultViewHeight;      // outer height in the file; client-area height during a run
    int restoredWidth = 0;       // client width at the last normal (not maximised/minimised) resize
    int restoredHeight = 0;      // client height at the last normal resize
    int Cohesion = 50;           // pull of the layout simulation, 0..100 in the dialog
    int DetailLevel = 20;        // sphere tessellation detail, 6..36 in the dialog
    bool Specular = true;        // specular highlights on the spheres
    bool Shadows = false;        // stencil shadows
    bool InvertColours = false;  // every directly drawn colour inverted
    bool Squash = false;         // layout flattened to two dimensions
    float LightDiffuse = 1.0f;   // diffuse light intensity, 0..1
    float LightAmbient = 0.5f;   // ambient light intensity, 0..1
    Colour BackgroundColour{0.0f, 0.0f, 0.0f, 1.0f};
    Colour SelectColour{1.0f, 1.0f, 1.0f, 1.0f};
    Colour HighlightColour{0.8f, 0.8f, 0.8f, 1.0f};
    Colour TextColour{0.7f, 0.7f, 0.7f, 1.0f};
    Colour LinkColour{1.0f, 1.0f, 1.0f, 1.0f};
    Colour CloudColour{1.0f, 0.5f, 0.5f, 0.25f};
    std::string startDirectory;  // working directory at start-up; Tessaril.ini lives here
    // Lines of Tessaril.ini the reader did not take, as they were, for the
    // writer; shared, as they never change and the settings are often copied.
    std::shared_ptr<const std::string> unreadLines;
};

// Where the client area sits in the outer frame that the file stores: the
// window's left border, its title bar with the menu above, and the borders
// around. The writer turns the client area into the frame with these, the
// window turns the frame back into its client area.
struct FrameInsets {
    int left = 4;     // client left edge minus frame left edge
    int top = 50;     // client top edge minus frame top edge
    int width = 8;    // frame width minus client width
    int height = 54;  // frame height minus client height
};
inline constexpr FrameInsets kFrameInsets{};

// The one configuration of the process: program.settings.
extern Settings& settings;
