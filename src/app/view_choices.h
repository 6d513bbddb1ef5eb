// The label modes and text sizes offered by the View menu and by the
// --labels and --text-size options: one table of each, by menu item and name.
#pragma once

#include <iterator>
#include <string_view>

#include "command_ids.h"

struct LabelModeChoice {
    int commandId;          // the item of "&Text Labels"
    std::string_view name;  // the name --labels takes
};
// Indexed by the label mode: 0 none, 1 element symbols, 2 full names.
inline constexpr LabelModeChoice kLabelModes[] = {
    {CommandId::kLabelsNone, "none"},
    {CommandId::kLabelsSymbols, "symbols"},
    {CommandId::kLabelsFullNames, "names"},
};

struct TextSizeChoice {
    int commandId;          // the item of "Text Si&ze"
    std::string_view name;  // the name --text-size takes
    float size;             // factor on the labels drawn at the atoms
};
inline constexpr TextSizeChoice kTextSizes[] = {
    {CommandId::kSizeTiny, "tiny", 1.5f},     {CommandId::kSizeSmall, "small", 2.5f},
    {CommandId::kSizeNormal, "normal", 4.0f}, {CommandId::kSizeLarge, "large", 6.0f},
    {CommandId::kSizeHuge, "huge", 8.0f},
};

// The label mode of that name, or -1.
inline int LabelModeNamed(std::string_view name) {
    for (int mode = 0; mode < static_cast<int>(std::size(kLabelModes)); ++mode)
        if (kLabelModes[mode].name == name) return mode;
    return -1;
}

// The text size of that name, or null.
inline const TextSizeChoice* TextSizeNamed(std::string_view name) {
    for (const TextSizeChoice& choice : kTextSizes)
        if (choice.name == name) return &choice;
    return nullptr;
}
