// Reader and writer of molecule files.
//
// The reader takes the text line by line, each line whole whatever its
// length (CR LF and a lone CR end a line as LF does), and classifies each by
// its first character. Node lines become nodes at once, their links naming
// line positions, and are linked afterwards, so that a link may name a later
// node and a line with an unknown element can be left out without shifting
// what the other lines' links refer to. The nodes are built beside the
// molecule, which they replace only once all is read: memory running out
// leaves the molecule as it was.
#include "molecule_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "atomic_write.h"
#include "element.h"
#include "molecule.h"
#include "random.h"
#include "text_numbers.h"

namespace {

// Unknown-element lines told of one notice each; the rest are counted in one.
constexpr int kUnknownElementBoxes = 3;

struct Reading {
    int nodeLineCount = 0;    // node lines in the whole file
    std::vector<Node> nodes;  // one per node line read, links naming line positions
    std::vector<int> stamp;   // per node line: 1 + entry in the current line's
                              // lists while it lists it, else 0
    int unknownLines = 0;     // node lines whose element is unknown
    Notices notices;          // for the person, in the order the lines came
    std::string name, formula;
    bool named = false, formulaGiven = false;
};

// Calls visit with each line of text that is not empty, without its line
// end: LF, CR LF and a lone CR each end a line.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        // A CR ends a line too; within a line ended by LF it is rare.
        for (size_t cr; (cr = text.substr(start, end - start).find('\r')) != text.npos;) {
            if (cr > 0) visit(text.substr(start, cr));
            start += cr + 1;
        }
        if (end > start) visit(text.substr(start, end - start));
        start = end + 1;
    }
}

// The text between the opening character and close, or the rest of the line
// when close is missing.
std::string DelimitedText(std::string_view line, char close) {
    const size_t end = line.find(close);
    return std::string(line.substr(1, end == std::string_view::npos ? line.npos : end - 1));
}

// The lines that begin with "(", counted in one quick pass over the text.
int CountNodeLines(std::string_view text) {
    int count = 0;
    for (size_t at = text.find('('); at != std::string_view::npos; at = text.find('(', at + 1))
        count += at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
    return count;
}

float RandomCoordinate() {
    // 0.0012207404 is the float nearest 40/32767: the spread is -20..20.
    const long double scale = static_cast<long double>(0.0012207404f);
    return static_cast<float>(static_cast<long double>(RandomInteger()) * scale - 20.0L);
}

// Where the parts of a node line are: the first of each delimiter, found in
// one pass over the line.
struct NodeLineParts {
    size_t close = std::string_view::npos;    // first ")"
    size_t open = std::string_view::npos;     // first "{"
    size_t end = std::string_view::npos;      // first "}"
    size_t bracket = std::string_view::npos;  // first "["
    bool star = false;                        // a "*" anywhere
    int charge = 0;                           // "+" and "-" before the first "["
};

NodeLineParts FindParts(std::string_view line) {
    NodeLineParts parts;
    constexpr size_t none = std::string_view::npos;
    // Most characters are digits and commas: a table tells the few that
    // matter in one look.
    static const auto kMarks = [] {
        std::array<bool, 256> marks{};
        for (unsigned char c : std::string_view(")}{[*+-")) marks[c] = true;
        return marks;
    }();
    size_t i = 0;
    for (; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (!kMarks[c]) continue;
        if (c == '[') {
            parts.bracket = i;
            break;
        }
        if (c == ')' && parts.close == none) parts.close = i;
        if (c == '{' && parts.open == none) parts.open = i;
        if (c == '}' && parts.end == none) parts.end = i;
        if (c == '*') parts.star = true;
        if (c == '+') ++parts.charge;
        if (c == '-') --parts.charge;
    }
    if (parts.bracket == none) {
        parts.charge = 0;  // marks on a line without a bracket part give no charge
        return parts;
    }
    // Past the bracket only a "*" and delimiters not yet seen can matter.
    const std::string_view rest = line.substr(i);
    if (!parts.star) parts.star = rest.find('*') != none;
    if (parts.close == none && (parts.close = rest.find(')')) != none) parts.close += i;
    if (parts.open == none && (parts.open = rest.find('{')) != none) parts.open += i;
    if (parts.end == none && (parts.end = rest.find('}')) != none) parts.end += i;
    return parts;
}

std::string_view Symbol(std::string_view line, const NodeLineParts& parts) {
    if (parts.close == std::string_view::npos) return {};
    const std::string_view s = line.substr(parts.close + 1);
    if (s.size() > 3 && s[3] == '{') return s.substr(0, 3);
    if (s.size() > 2 && s[2] == '{') return s.substr(0, 2);
    return s.substr(0, 1);
}

void ReadLinks(std::string_view line, const NodeLineParts& parts, int index, Reading& reading) {
    if (parts.open == std::string_view::npos || parts.end == std::string_view::npos) return;
    Node& node = reading.nodes.back();
    if (parts.open + 1 < parts.end) {
        // Room for every entry listed, as many as there are nodes at most.
        const size_t most = static_cast<size_t>(reading.nodeLineCount);
        size_t entries = 1;
        for (size_t at = parts.open + 1; at < parts.end && entries < most; ++at)
            entries += line[at] == ',';
        node.neighbours.reserve(entries);
        node.linkOrders.reserve(entries);
    }
    for (size_t at = parts.open + 1; at < parts.end;) {
        const int target = ReadInt(line.substr(at));
        if (target >= 0 && target < reading.nodeLineCount && target != index) {
            int& slot = reading.stamp[static_cast<size_t>(target)];
            if (slot > 0) {
                ++node.linkOrders[static_cast<size_t>(slot - 1)];
            } else {
                node.neighbours.push_back(target);
                node.linkOrders.push_back(1);
                slot = static_cast<int>(node.neighbours.size());
            }
        }
        while (at < line.size() && line[at] != ',') ++at;  // to the next comma
        if (at == line.size()) break;
        ++at;
    }
    for (int target : node.neighbours) reading.stamp[static_cast<size_t>(target)] = 0;
    // A line that lists the same few nodes many times keeps no spare room.
    if (node.neighbours.capacity() > 2 * node.neighbours.size() + 4) {
        node.neighbours.shrink_to_fit();
        node.linkOrders.shrink_to_fit();
    }
}

void ReadNodeLine(std::string_view line, Reading& reading) {
    const int index = static_cast<int>(reading.nodes.size());
    reading.nodes.emplace_back();
    Node& node = reading.nodes.back();
    // Three draws per node line, also when the line gives its own position.
    node.position.x = RandomCoordinate();
    node.position.y = RandomCoordinate();
    node.position.z = RandomCoordinate();

    const NodeLineParts parts = FindParts(line);
    node.cloud = parts.star;
    node.charge = parts.charge;
    node.element = FindElement(Symbol(line, parts));
    if (!node.element && ++reading.unknownLines <= kUnknownElementBoxes)
        reading.notices.push_back({"Unrecognised Element", "Load error"});

    ReadLinks(line, parts, index, reading);

    if (parts.bracket != std::string_view::npos) {
        float* coordinates[] = {&node.position.x, &node.position.y, &node.position.z};
        size_t at = parts.bracket;
        for (float* coordinate : coordinates) {
            if (at == std::string_view::npos) break;
            float value = 0.0f;
            if (ReadFloat(line.substr(at + 1), value)) *coordinate = value;
            at = line.find(',', at + 1);
        }
    }
}

// The order with which node lists the line at position to, or 0.
int ListedOrder(const Node& node, int to) {
    for (size_t k = 0; k < node.neighbours.size(); ++k)
        if (node.neighbours[k] == to) return node.linkOrders[k];
    return 0;
}

// Turns the nodes read into the model's form, in place: lines with an
// unknown element left out, link targets renumbered from line positions to
// node indices, links to left-out lines dropped, and each link on both of
// its nodes with the larger of the two orders the file gives it.
void LinkKeptNodes(Reading& reading) {
    std::vector<Node>& nodes = reading.nodes;
    std::vector<int>& indexOfLine = reading.stamp;  // all 0 once the lines are read
    int kept = 0;
    for (size_t i = 0; i < nodes.size(); ++i) indexOfLine[i] = nodes[i].element ? kept++ : -1;

    struct Mirror {
        int line, neighbour, order;  // a link listed on one side only, as line positions
    };
    std::vector<Mirror> mirrors;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (indexOfLine[i] < 0) continue;
        Node& node = nodes[i];
        for (size_t k = 0; k < node.neighbours.size(); ++k) {
            const int target = node.neighbours[k];
            if (indexOfLine[static_cast<size_t>(target)] < 0) continue;
            const int reverse =
                ListedOrder(nodes[static_cast<size_t>(target)], static_cast<int>(i));
            if (reverse > node.linkOrders[k]) node.linkOrders[k] = reverse;
            if (reverse == 0) mirrors.push_back({target, static_cast<int>(i), node.linkOrders[k]});
        }
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (indexOfLine[i] < 0) continue;
        Node& node = nodes[i];
        size_t out = 0;
        for (size_t k = 0; k < node.neighbours.size(); ++k) {
            const int neighbour = indexOfLine[static_cast<size_t>(node.neighbours[k])];
            if (neighbour < 0) continue;
            node.neighbours[out] = neighbour;
            node.linkOrders[out] = node.linkOrders[k];
            ++out;
        }
        node.neighbours.resize(out);
        node.linkOrders.resize(out);
    }
    for (const Mirror& mirror : mirrors) {
        Node& other = nodes[static_cast<size_t>(mirror.line)];
        other.neighbours.push_back(indexOfLine[static_cast<size_t>(mirror.neighbour)]);
        other.linkOrders.push_back(mirror.order);
    }
    size_t out = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (indexOfLine[i] < 0) continue;
        if (out != i) nodes[out] = std::move(nodes[i]);
        nodes[out].id = static_cast<int>(out);
        ++out;
    }
    nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(out), nodes.end());
}

// Reads text into reading; throws std::bad_alloc when memory runs out.
void ReadText(std::string_view text, Reading& reading) {
    reading.nodeLineCount = CountNodeLines(text);
    reading.nodes.reserve(static_cast<size_t>(reading.nodeLineCount));
    reading.stamp.assign(static_cast<size_t>(reading.nodeLineCount), 0);
    ForEachLine(text, [&](std::string_view line) {
        switch (line[0]) {
            case '[':
                reading.name = DelimitedText(line, ']');
                reading.named = true;
                break;
            case '{':
                reading.formula = DelimitedText(line, '}');
                reading.formulaGiven = true;
                break;
            case '(':
                ReadNodeLine(line, reading);
                break;
            default:
                break;
        }
    });
    LinkKeptNodes(reading);
}

}  // namespace

size_t MoleculeReadingBytes(int nodeLines) {
    return static_cast<size_t>(nodeLines) * (sizeof(Node) + sizeof(int));
}

FileResult ParseMoleculeText(std::string_view text) {
    const bool fits = MoleculeReadingBytes(CountNodeLines(text)) <= AvailableMemory();
    molecule.ready = false;
    Reading reading;
    try {
        if (fits) ReadText(text, reading);
    } catch (const std::bad_alloc&) {
        molecule.ready = true;
        return {false, std::move(reading.notices)};
    }
    if (!fits) {
        molecule.ready = true;
        return {false, {}};
    }
    ClearNodes();
    molecule.nodes = std::move(reading.nodes);
    if (reading.named) molecule.name = std::move(reading.name);
    if (reading.formulaGiven) molecule.formula = std::move(reading.formula);
    if (reading.unknownLines > kUnknownElementBoxes)
        reading.notices.push_back({std::to_string(reading.unknownLines - kUnknownElementBoxes) +
                                       " more lines with unknown elements were left out.",
                                   "Load error"});
    molecule.ready = true;
    return {true, std::move(reading.notices)};
}

std::string FormatMoleculeText() {
    std::string text = "# Molecule created using Tessaril\n";
    text += "[" + molecule.name + "]\n";
    text += "{" + molecule.formula + "}\n";
    for (const Node& node : molecule.nodes) {
        text += "(" + std::to_string(node.id) + ")";
        if (node.element) text += node.element->symbol;
        text += "{";
        for (size_t i = 0; i < node.neighbours.size(); ++i) {
            const std::string number = std::to_string(node.neighbours[i]);
            if (i > 0) text += ",";
            text += number;
            for (int extra = 1; extra < node.linkOrders[i]; ++extra) text += "," + number;
        }
        text += node.cloud ? "}*" : "}";
        if (node.charge > 0) text.append(static_cast<size_t>(node.charge), '+');
        if (node.charge < 0)
            text.append(static_cast<size_t>(-static_cast<int64_t>(node.charge)), '-');
        text += "[" + FormatG(node.position.x) + "," + FormatG(node.position.y) + "," +
                FormatG(node.position.z) + "]\n";
    }
    return text;
}

FileResult LoadMoleculeFile(const std::string& path) {
    std::string text;
    FileResult read = ReadFileWithNotice(path, text);
    if (!read.ok) return read;
    FileResult parsed = ParseMoleculeText(text);
    if (parsed.ok) return parsed;
    std::string().swap(text);
    parsed.notices.push_back(
        {"Unable to read file " + path + ": there is not enough memory for it.", "File Error!"});
    return parsed;
}

FileResult SaveMoleculeFile(const std::string& path) {
    return WriteFileWithNotice(path, FormatMoleculeText());
}
