// Locale-independent number reading and formatting.
#include "text_numbers.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "clamp.h"

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
    return ClampToInt(negative ? -value : value);
}

bool ReadFloat(std::string_view text, float& value) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    const size_t start = i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (StartsWithWordIgnoringCase(text, i, "inf") || StartsWithWordIgnoringCase(text, i, "nan"))
        return false;

    // One pass over digits [. digits] [e [sign] digits], keeping the first
    // significant digits as an integer and the power of ten that scales it.
    uint64_t mantissa = 0;
    long long significant = 0, exponent = 0, digits = 0;
    auto digit = [&](char c, bool fraction) {
        ++digits;
        if (fraction) --exponent;
        if (mantissa == 0 && c == '0') return;
        if (++significant <= 19) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
        } else {
            ++exponent;  // a digit beyond what the integer holds
        }
    };
    for (; i < text.size() && IsDigit(text[i]); ++i) digit(text[i], false);
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && IsDigit(text[i]); ++i) digit(text[i], true);
    if (digits == 0) {
        value = 0.0f;
        return true;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            negativeExponent = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            long long written = 0;
            for (; j < text.size() && IsDigit(text[j]); ++j)
                if (written < 100000) written = written * 10 + (text[j] - '0');
            exponent += negativeExponent ? -written : written;
            i = j;
        }
    }

    if (mantissa == 0) {
        value = negative ? -0.0f : 0.0f;
        return true;
    }
    // Decimal magnitude: the value lies in [10^(magnitude - 1), 10^magnitude).
    const long long magnitude = std::min<long long>(significant, 19) + exponent;
    if (magnitude > 39) return false;  // beyond the float range
    if (magnitude < -46) {             // below the smallest float
        value = negative ? -0.0f : 0.0f;
        return true;
    }
    double result;
    if (significant <= 15 && exponent >= -22 && exponent <= 22) {
        // Exact: an integer below 2^53 times or over an exact power of ten.
        result = static_cast<double>(mantissa);
        result = exponent < 0 ? result / kPowers[-exponent] : result * kPowers[exponent];
        if (negative) result = -result;
    } else {
        const char* first = text.data() + start + (text[start] == '+' ? 1 : 0);
        if (std::from_chars(first, text.data() + i, result).ec != std::errc()) return false;
    }
    if (std::fabs(result) > static_cast<double>(FLT_MAX)) return false;
    value = static_cast<float>(result);
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

std::string_view WithPlainLineFeeds(std::string_view text, std::string& storage) {
    size_t at = text.find('\r');
    if (at == std::string_view::npos) return text;
    storage.clear();
    storage.reserve(text.size());
    size_t copied = 0;  // text before this is in storage
    for (; at != std::string_view::npos; at = text.find('\r', at + 1)) {
        storage.append(text.substr(copied, at - copied));
        copied = at + 1;
        // A lone CR ends a line too; of CR LF only the LF is kept.
        if (at + 1 == text.size() || text[at + 1] != '\n') storage.push_back('\n');
    }
    storage.append(text.substr(copied));
    return storage;
}
