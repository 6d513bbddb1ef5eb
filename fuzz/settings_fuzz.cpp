// Feeds arbitrary bytes to the settings reader and checks that what it read
// is usable: finite numbers everywhere, short symbols, and a file that
// writes out and reads back to the same settings, table and unread lines.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "clamp.h"
#include "settings_file.h"

namespace {

void CheckFinite(float value) {
    if (!std::isfinite(value)) std::abort();
}

void CheckColour(const Colour& colour) {
    for (float c : {colour.red, colour.green, colour.blue, colour.alpha}) CheckFinite(c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings read;
    ElementTable table;
    ParseSettingsText(std::string_view(reinterpret_cast<const char*>(data), size), read, table);
    CheckFinite(read.LightDiffuse);
    CheckFinite(read.LightAmbient);
    for (const Colour* colour : {&read.BackgroundColour, &read.SelectColour, &read.HighlightColour,
                                 &read.TextColour, &read.LinkColour, &read.CloudColour})
        CheckColour(*colour);
    for (const Element& element : table) {
        CheckFinite(element.mass);
        CheckFinite(element.radius);
        CheckColour(element.colour);
        if (element.symbol.empty() || element.symbol.size() > 3) std::abort();
    }
    // What the writer makes of it reads back to the same file: the window
    // lines move from the recorded client area to the frame and stay there.
    const std::string written = FormatSettingsText(read, table);
    Settings again;
    ElementTable againTable;
    ParseSettingsText(written, again, againTable);
    if (again.WindowX != ClampToInt(read.WindowX - 4LL) ||
        again.WindowY != ClampToInt(read.WindowY - 50LL) ||
        again.WindowWidth != ClampToInt(read.restoredWidth + 8LL) ||
        again.WindowHeight != ClampToInt(read.restoredHeight + 54LL))
        std::abort();
    again.WindowX = read.WindowX;
    again.WindowY = read.WindowY;
    again.restoredWidth = read.restoredWidth;
    again.restoredHeight = read.restoredHeight;
    if (againTable.size() != table.size() || FormatSettingsText(again, againTable) != written)
        std::abort();
    return 0;
}
