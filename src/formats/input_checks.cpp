// The checks on text before the chemistry library reads it.
#include "internal/input_checks.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

namespace formats_internal {

namespace {

// Text may hold any byte but the control characters that never occur in
// a text file (the zero byte and the like).
bool LooksLikeText(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') return false;
    return true;
}

size_t LineCount(std::string_view text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// The two numbers at the start of line, or -1 for each missing one (a word
// where a number should be counts as missing).
std::pair<long long, long long> TwoNumbers(std::string_view line) {
    long long numbers[2] = {-1, -1};
    const char* at = line.data();
    const char* end = line.data() + line.size();
    for (long long& number : numbers) {
        while (at < end && (*at == ' ' || *at == '\t' || *at == '\r')) ++at;
        if (at < end && *at == '+') ++at;
        const auto [last, error] = std::from_chars(at, end, number);
        if (error == std::errc::result_out_of_range) {
            number = std::numeric_limits<long long>::max();
        } else if (error != std::errc{}) {
            number = -1;
            break;
        }
        at = last;
    }
    return {numbers[0], numbers[1] < 0 ? 0 : numbers[1]};
}

// The formats that state their atom count up front: a count that the text
// cannot hold would make the library reserve room for it before reading.
std::string CountsError(std::string_view text, ChemicalFormat format) {
    long long atoms = -1, bonds = 0, otherLines = 0;
    if (format == ChemicalFormat::Xyz) {
        atoms = TwoNumbers(LineAt(text, 0)).first;
        otherLines = 2;
    } else if (format == ChemicalFormat::Molfile) {
        const size_t v3000 = text.find("M  V30 COUNTS");
        const std::string_view counts = LineAt(text, 3);
        if (v3000 != std::string_view::npos) {
            std::tie(atoms, bonds) = TwoNumbers(LineAt(text.substr(v3000 + 13), 0));
        } else if (counts.size() >= 6) {  // two fields of three characters
            atoms = TwoNumbers(counts.substr(0, 3)).first;
            bonds = TwoNumbers(counts.substr(3, 3)).first;
        }
        otherLines = 4;
    } else if (format == ChemicalFormat::Mol2) {
        const size_t at = text.find("@<TRIPOS>MOLECULE");
        if (at != std::string_view::npos)
            std::tie(atoms, bonds) = TwoNumbers(LineAt(text.substr(at), 2));
        otherLines = 3;
    }
    if (atoms < 0 || bonds < 0) return {};
    if (static_cast<unsigned long long>(atoms) + static_cast<unsigned long long>(bonds) +
            static_cast<unsigned long long>(otherLines) >
        LineCount(text))
        return "It says it holds " + std::to_string(atoms) + " atoms and " + std::to_string(bonds) +
               " bonds, but it has only " + std::to_string(LineCount(text)) + " lines.";
    return {};
}

// The lines of the Mol2 section that starts with header, up to the next
// section.
std::vector<std::string_view> Mol2Section(std::string_view text, std::string_view header) {
    std::vector<std::string_view> lines;
    size_t at = text.find(header);
    if (at == std::string_view::npos) return lines;
    at = text.find('\n', at);
    while (at != std::string_view::npos && at + 1 < text.size()) {
        const size_t end = text.find('\n', at + 1);
        const std::string_view line = text.substr(
            at + 1, end == std::string_view::npos ? std::string_view::npos : end - at - 1);
        if (line.substr(0, 9) == "@<TRIPOS>") break;
        lines.push_back(line);
        at = end;
    }
    return lines;
}

// The Mol2 reader looks up the atom named by every entry of the atom
// attributes without checking that it exists.
std::string Mol2AttributesError(std::string_view text) {
    size_t atoms = 0;
    for (std::string_view line : Mol2Section(text, "@<TRIPOS>ATOM"))
        if (line.find_first_not_of(" \t\r") != std::string_view::npos) ++atoms;
    const std::vector<std::string_view> lines = Mol2Section(text, "@<TRIPOS>UNITY_ATOM_ATTR");
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto [atom, count] = TwoNumbers(lines[i]);
        if (atom < 1 || static_cast<size_t>(atom) > atoms || count < 0)
            return "Its atom attributes name an atom that is not there.";
        i += static_cast<size_t>(std::min<long long>(count, static_cast<long long>(lines.size())));
    }
    return {};
}

// The whole number word (an optional sign, then digits) in charge, held at
// the ends of long long's range when beyond it; false for anything else.
bool ReadWrittenCharge(std::string_view word, long long& charge) {
    if (word.empty()) return false;
    const bool negative = word[0] == '-';
    if (word[0] == '+') word.remove_prefix(1);
    const char* end = word.data() + word.size();
    const auto [last, error] = std::from_chars(word.data(), end, charge);
    if (error == std::errc::result_out_of_range)
        charge = negative ? std::numeric_limits<long long>::min()
                          : std::numeric_limits<long long>::max();
    else if (error != std::errc{})
        return false;
    return last == end;
}

// The CML reader keeps a formal charge in a byte: 2147483647 would come in
// as -1. The charges of the atoms (one per atom tag, or a list on an atom
// array) are checked as written.
std::string CmlChargeError(std::string_view text) {
    constexpr std::string_view kAttribute = "formalCharge=";
    size_t atoms = 0;   // atom tags up to the one the charge is on
    bool list = false;  // that tag is an atom array, whose charges come as a list
    size_t open = text.find('<');
    for (size_t at = text.find(kAttribute); at != std::string_view::npos;
         at = text.find(kAttribute, at + 1)) {
        // The tags before the attribute, in one pass over the whole text.
        for (; open != std::string_view::npos && open < at; open = text.find('<', open + 1)) {
            std::string_view name = text.substr(open + 1);
            name = name.substr(0, name.find_first_of(" \t\r\n/>"));
            if (const size_t colon = name.find(':'); colon != std::string_view::npos)
                name.remove_prefix(colon + 1);
            if (name == "atom") ++atoms;
            list = name == "atomArray";
        }
        const size_t begin = at + kAttribute.size() + 1;
        if (begin > text.size()) break;
        const char quote = text[begin - 1];
        const size_t close = text.find(quote, begin);
        if ((quote != '"' && quote != '\'') || close == std::string_view::npos) continue;
        std::string_view values = text.substr(begin, close - begin);
        for (size_t index = 1;; ++index) {
            const size_t start = values.find_first_not_of(" \t\r\n");
            if (start == std::string_view::npos) break;
            values.remove_prefix(start);
            const size_t length = std::min(values.find_first_of(" \t\r\n"), values.size());
            const std::string_view word = values.substr(0, length);
            values.remove_prefix(length);
            long long charge = 0;
            if (ReadWrittenCharge(word, charge) && (charge > kMaxCharge || charge < -kMaxCharge))
                return ChargeError(list ? index : atoms, charge);
        }
    }
    return {};
}

// The V3000 Molfile reader takes a "CHG=" field into an int without a
// range check: 4294967300 would come in as 4. The fields are checked as
// written. (V2000 charges have four columns, which the reader keeps to.)
std::string MolfileChargeError(std::string_view text) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::istringstream line{std::string(text.substr(0, end))};
        text.remove_prefix(std::min(end + 1, text.size()));
        std::string m, v30, atom, word;
        if (!(line >> m >> v30 >> atom) || m != "M" || v30 != "V30") continue;
        while (line >> word) {
            if (word.compare(0, 4, "CHG=") != 0) continue;
            long long charge = 0;
            if (!ReadWrittenCharge(std::string_view(word).substr(4), charge) ||
                (charge <= kMaxCharge && charge >= -kMaxCharge))
                continue;
            size_t index = 0;
            std::from_chars(atom.data(), atom.data() + atom.size(), index);
            return ChargeError(index, charge);
        }
    }
    return {};
}

}  // namespace

std::string ChargeError(size_t atom, long long charge) {
    // The own format writes one character per unit of charge.
    return "Atom " + std::to_string(atom) + " has a charge of " + std::to_string(charge) +
           ", beyond the " + std::to_string(kMaxCharge) + " units either way the program takes.";
}

std::string_view LineAt(std::string_view text, size_t index) {
    for (size_t i = 0; i < index; ++i) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) return {};
        text.remove_prefix(end + 1);
    }
    return text.substr(0, text.find('\n'));
}

std::string InputError(std::string_view text, ChemicalFormat format) {
    if (text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos)
        return "There is nothing in it.";
    if (text.size() > kMaxInputBytes) return "It is larger than 256 MB.";
    if (!LooksLikeText(text)) return "It is not a text file.";
    if (format == ChemicalFormat::Mol2) {
        const std::string error = Mol2AttributesError(text);
        if (!error.empty()) return error;
    }
    if (format == ChemicalFormat::Cml || format == ChemicalFormat::Molfile) {
        const std::string error =
            format == ChemicalFormat::Cml ? CmlChargeError(text) : MolfileChargeError(text);
        if (!error.empty()) return error;
    }
    return CountsError(text, format);
}

std::string WithLineFeeds(std::string_view text) {
    std::string fed(text);
    for (size_t i = 0; i < fed.size(); ++i)
        if (fed[i] == '\r' && (i + 1 == fed.size() || fed[i + 1] != '\n')) fed[i] = '\n';
    return fed;
}

}  // namespace formats_internal
