// Element table lookup and the radius rule.
#include "element.h"

#include <cmath>

namespace {

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

Element* FindElement(std::string_view key) {
    for (Element& element : elementTable) {
        if (EqualIgnoringAsciiCase(key, element.symbol) ||
            EqualIgnoringAsciiCase(key, element.name))
            return &element;
    }
    return nullptr;
}

int ElementCount() {
    return static_cast<int>(elementTable.size());
}

Element* ElementAt(int index) {
    if (index < 0 || index >= ElementCount()) return nullptr;
    return &elementTable[static_cast<size_t>(index)];
}

float ElementRadius(float mass, int radiusAdjust) {
    // The exponent is the single-precision 0.33, widened; the sum is taken in
    // extended precision and only the result is rounded to float. A negative
    // mass has no real power, so it counts as 0 here rather than giving NaN.
    const long double exponent = static_cast<long double>(0.33f);
    const long double base = mass > 0.0f ? static_cast<long double>(mass) : 0.0L;
    const long double radius = 4.0L * std::pow(base, exponent) + radiusAdjust + 10.0L;
    return static_cast<float>(radius);
}
