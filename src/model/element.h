// The chemical elements known to the program, read from Tessaril.ini in
// order of atomic number, and their lookup by symbol or name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "colour.h"

struct Element {
    std::string name;        // full name, e.g. "Chlorine"
    std::string symbol;      // 1 to 3 characters, e.g. "Cl"
    int atomicNumber = 0;    // position in the table + 1
    int period = 0;          // row of the periodic table
    int group = 0;           // group number, 0..8 shown as Roman numerals
    char groupLetter = ' ';  // "A", "B" or a blank
    int radiusAdjust = 0;    // added to the radius computed from the mass
    float mass = 0.0f;       // atomic mass, amu
    float radius = 0.0f;     // drawing and layout size, model units
    Colour colour;           // drawing colour; alpha is always 1 after reading
};

using ElementTable = std::vector<Element>;

// The one element table of the process, program.elementTable: filled once at
// start-up, after which it never changes size or order, so pointers into it
// stay valid.
extern ElementTable& elementTable;

// The first element whose symbol or name equals key, ignoring ASCII case
// (symbol tested before name), or nullptr.
Element* FindElement(std::string_view key);

int ElementCount();
// The element at position index (0-based), or nullptr outside the table.
Element* ElementAt(int index);

// The radius that the reader gives an element of this mass and adjustment.
float ElementRadius(float mass, int radiusAdjust);
