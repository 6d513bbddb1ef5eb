// Reader and writer of molecule files.
//
// The reader takes the text line by line, each line whole whatever its
// length (CR LF and a lone CR end a line as LF does), and classifies each by
// its first character. Node lines are gathered first and linked afterwards,
// so that a link may name a later node and a line with an unknown element
// can be left out without shifting what the other lines' links refer to.
#include "molecule_file.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "atomic_write.h"
#include "element.h"
#include "molecule.h"
#include "prompts.h"
#include "random.h"
#include "text_numbers.h"

namespace {

struct Link {
    int target = 0;  // position of the linked node line in the file
    int order = 0;   // times listed on its line
};

struct NodeLine {
    Node node;             // element, cloud, charge and position as read
    size_t firstLink = 0;  // this line's links in Reading::links, in the
    size_t linkCount = 0;  // order first listed, each target once
};

struct Reading {
    int nodeLineCount = 0;  // node lines in the whole file
    std::vector<NodeLine> lines;
    std::vector<Link> links;  // the links of all lines, line by line
    std::vector<int> stamp;   // per node line: 1 + index in links while the
                              // current line lists it, else 0
};

// The text between the opening character and close, or the rest of the line
// without its line feed when close is missing.
std::string DelimitedText(std::string_view line, char close) {
    size_t end = line.find(close);
    if (end == std::string_view::npos) {
        end = line.size();
        if (end > 1 && line[end - 1] == '\n') --end;
    }
    return std::string(line.substr(1, end - 1));
}

// The lines that begin with "(", counted in one plain pass over the text.
int CountNodeLines(std::string_view text) {
    int count = !text.empty() && text[0] == '(';
    for (size_t i = 1; i < text.size(); ++i) count += text[i] == '(' && text[i - 1] == '\n';
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
    const size_t first = reading.links.size();
    for (size_t at = parts.open + 1; at < parts.end;) {
        const int target = ReadInt(line.substr(at));
        if (target >= 0 && target < reading.nodeLineCount && target != index) {
            int& slot = reading.stamp[static_cast<size_t>(target)];
            if (slot > 0) {
                ++reading.links[static_cast<size_t>(slot - 1)].order;
            } else {
                reading.links.push_back({target, 1});
                slot = static_cast<int>(reading.links.size());
            }
        }
        while (at < line.size() && line[at] != ',') ++at;  // to the next comma
        if (at == line.size()) break;
        ++at;
    }
    for (size_t k = first; k < reading.links.size(); ++k)
        reading.stamp[static_cast<size_t>(reading.links[k].target)] = 0;
    reading.lines.back().firstLink = first;
    reading.lines.back().linkCount = reading.links.size() - first;
}

void ReadNodeLine(std::string_view line, Reading& reading) {
    const int index = static_cast<int>(reading.lines.size());
    reading.lines.emplace_back();
    Node& node = reading.lines.back().node;
    // Three draws per node line, also when the line gives its own position.
    node.position.x = RandomCoordinate();
    node.position.y = RandomCoordinate();
    node.position.z = RandomCoordinate();

    const NodeLineParts parts = FindParts(line);
    node.cloud = parts.star;
    node.charge = parts.charge;
    node.element = FindElement(Symbol(line, parts));
    if (!node.element) ShowMessage("Unrecognised Element", "Load error");

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

// The order with which line from lists line to, or 0 when it does not.
int ListedOrder(const Reading& reading, int from, int to) {
    const NodeLine& line = reading.lines[static_cast<size_t>(from)];
    for (size_t k = line.firstLink; k < line.firstLink + line.linkCount; ++k)
        if (reading.links[k].target == to) return reading.links[k].order;
    return 0;
}

// Appends the kept node lines to the molecule with their links in model
// form: targets renumbered to node indices, links to left-out lines
// dropped, and each link on both of its nodes with the larger of the two
// orders the file gives it.
void AppendNodeLines(Reading& reading) {
    std::vector<int> indexOfLine(reading.lines.size(), -1);
    int kept = NodeCount();
    for (size_t i = 0; i < reading.lines.size(); ++i)
        if (reading.lines[i].node.element) indexOfLine[i] = kept++;

    struct Mirror {
        int node, neighbour, order;
    };
    std::vector<Mirror> mirrors;  // links listed on one side only
    molecule.nodes.reserve(static_cast<size_t>(kept));
    for (size_t i = 0; i < reading.lines.size(); ++i) {
        if (indexOfLine[i] < 0) continue;
        NodeLine& line = reading.lines[i];
        Node& node = line.node;
        node.id = indexOfLine[i];
        node.neighbours.reserve(line.linkCount);
        node.linkOrders.reserve(line.linkCount);
        for (size_t k = line.firstLink; k < line.firstLink + line.linkCount; ++k) {
            const Link& link = reading.links[k];
            const int neighbour = indexOfLine[static_cast<size_t>(link.target)];
            if (neighbour < 0) continue;
            const int reverse = ListedOrder(reading, link.target, static_cast<int>(i));
            const int order = reverse > link.order ? reverse : link.order;
            node.neighbours.push_back(neighbour);
            node.linkOrders.push_back(order);
            if (reverse == 0) mirrors.push_back({neighbour, node.id, order});
        }
        AppendNode(std::move(node));
    }
    for (const Mirror& mirror : mirrors) {
        Node& other = molecule.nodes[static_cast<size_t>(mirror.node)];
        other.neighbours.push_back(mirror.neighbour);
        other.linkOrders.push_back(mirror.order);
    }
}

}  // namespace

void ParseMoleculeText(std::string_view text) {
    molecule.ready = false;
    ClearNodes();

    std::string plain;
    text = WithPlainLineFeeds(text, plain);
    Reading reading;
    reading.nodeLineCount = CountNodeLines(text);
    reading.lines.reserve(static_cast<size_t>(reading.nodeLineCount));
    reading.stamp.assign(static_cast<size_t>(reading.nodeLineCount), 0);
    ForEachLinePiece(text, kWholeLines, [&](std::string_view line) {
        switch (line[0]) {
            case '[':
                molecule.name = DelimitedText(line, ']');
                break;
            case '{':
                molecule.formula = DelimitedText(line, '}');
                break;
            case '(':
                ReadNodeLine(line, reading);
                break;
            default:
                break;
        }
        return true;
    });
    AppendNodeLines(reading);
    molecule.ready = true;
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

bool LoadMoleculeFile(const std::string& path) {
    std::string text;
    if (!ReadFileOrReport(path, text)) return false;
    ParseMoleculeText(text);
    return true;
}

bool SaveMoleculeFile(const std::string& path) {
    return WriteFileOrReport(path, FormatMoleculeText());
}

void LoadMolecule() {
    std::string path;
    if (ChooseFile(path, true)) LoadMoleculeFile(path);
}

void SaveMolecule() {
    std::string path;
    if (ChooseFile(path, false)) SaveMoleculeFile(path);
}
