// What the program hands to the chemistry library: text whose counts,
// charges and coordinates fit, checked before the library's readers see it
// (some of them trust what a file says and crash or wrap round otherwise).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "format_list.h"

// The formats library's own: nothing outside src/formats uses these.
namespace formats_internal {

constexpr size_t kMaxInputBytes = size_t{256} << 20;
constexpr size_t kMaxSmilesLength = 1000;
constexpr double kMaxCoordinate = 1e6;  // ångström; far beyond any real structure
constexpr int kMaxCharge = 16;          // elementary charges on one atom
constexpr const char* kUnreadable = "It could not be read: a record is malformed.";

// "Atom %d has a charge of %d, beyond ...": a charge the program does not take.
std::string ChargeError(size_t atom, long long charge);

// Why text cannot be handed to the library's reader of format, or empty when
// it can: nothing in it, too large, not text, counts or charges out of range.
std::string InputError(std::string_view text, ChemicalFormat format);

// Line ends of old Macintosh files (a carriage return alone) as line feeds:
// some of the library's readers take only the other two kinds.
std::string WithLineFeeds(std::string_view text);

// The line of text at index (from 0) without its line feed; empty past the end.
std::string_view LineAt(std::string_view text, size_t index);

}  // namespace formats_internal
