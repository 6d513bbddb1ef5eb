// Feeds arbitrary bytes to the settings reader and checks that what it read
// is usable: finite numbers everywhere, short symbols, and a table that
// writes back out.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

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
    // The writer takes whatever the reader produced.
    if (FormatSettingsText(read, table).empty()) std::abort();
    return 0;
}
