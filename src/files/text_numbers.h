// Number reading and writing for the program's text files: integers and
// floats read in the manner of atoi/atof, "%g" formatting, all independent
// of the process locale; and line ends as a text-mode read sees them.
#pragma once

#include <string>
#include <string_view>

// Reads a decimal integer at the start of text as atoi does: leading white
// space skipped, an optional sign, digits up to the first other character.
// Nothing readable gives 0; values beyond the int range saturate.
int ReadInt(std::string_view text);

// Reads a decimal number at the start of text as atof does (leading white
// space, sign, digits, point, exponent). Nothing readable stores 0. Returns
// false, leaving value untouched, when the text holds a number that is not a
// usable float: "inf", "nan" or a magnitude beyond the float range.
bool ReadFloat(std::string_view text, float& value);

// ReadFloat with unusable numbers read as 0.
float ReadFloatOrZero(std::string_view text);

// printf's "%g": six significant digits in the shortest form.
std::string FormatG(double value);

// The text with every line end a line feed: CR LF pairs and lone CRs become
// LF. Returns text itself when it holds no CR, else a view of storage.
std::string_view WithPlainLineFeeds(std::string_view text, std::string& storage);

// Calls visit(line) for each line of text with its line feed (the last
// without one when the text does not end in one); visit returns false to
// stop. Each line end is looked for once: the walk is linear in the text.
template <typename Visit>
void ForEachLineWithEnd(std::string_view text, Visit visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        if (!visit(text.substr(start, end - start))) return;
        start = end;
    }
}
