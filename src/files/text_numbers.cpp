// Locale-independent number reading and formatting.
#include "text_numbers.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithWordIgnoringCase(std::string_view text, size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (Lower(text[at + i]) != word[i]) return false;
    return true;
}

}  // namespace

int ReadInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool ReadFloat(std::string_view text, float& value) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (StartsWithWordIgnoringCase(text, i, "inf") || StartsWithWordIgnoringCase(text, i, "nan"))
        return false;

    // The longest prefix of the form digits [. digits] [e [sign] digits].
    size_t integerDigits = 0, fractionDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++integerDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++fractionDigits;
    }
    if (integerDigits + fractionDigits == 0) {
        value = 0.0f;
        return true;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }

    size_t first = start;
    if (text[first] == '+') ++first;  // from_chars takes a minus sign only
    double parsed = 0.0;
    const auto result = std::from_chars(text.data() + first, text.data() + i, parsed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double. Tell them apart by the sign of
        // the decimal exponent the text implies.
        std::string_view number = text.substr(first, i - first);
        long long magnitude = 0;
        size_t k = (!number.empty() && number[0] == '-') ? 1 : 0;
        while (k < number.size() && number[k] == '0') ++k;
        if (k < number.size() && IsDigit(number[k])) {
            while (k < number.size() && IsDigit(number[k])) ++k, ++magnitude;
            if (k < number.size() && number[k] == '.') ++k;
        } else {
            if (k < number.size() && number[k] == '.') ++k;
            while (k < number.size() && number[k] == '0') ++k, --magnitude;
        }
        size_t e = number.find_first_of("eE");
        if (e != std::string_view::npos) {
            long long exponent = 0;
            bool negativeExponent = false;
            size_t m = e + 1;
            if (m < number.size() && (number[m] == '+' || number[m] == '-'))
                negativeExponent = number[m++] == '-';
            for (; m < number.size() && exponent < 1000000000; ++m)
                exponent = exponent * 10 + (number[m] - '0');
            magnitude += negativeExponent ? -exponent : exponent;
        }
        if (magnitude > 0) return false;
        value = 0.0f;
        return true;
    }
    if (result.ec != std::errc()) {
        value = 0.0f;
        return true;
    }
    if (std::fabs(parsed) > static_cast<double>(FLT_MAX)) return false;
    value = static_cast<float>(parsed);
    return true;
}

float ReadFloatOrZero(std::string_view text) {
    float value = 0.0f;
    if (!ReadFloat(text, value)) value = 0.0f;
    return value;
}

std::string FormatG(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}
