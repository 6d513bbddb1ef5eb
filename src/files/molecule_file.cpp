// Reader and writer of molecule files.
//
// The reader takes the text in pieces of at most 1023 characters (the rest
// of a longer line is a line of its own) and classifies each by its first
// character. Node lines are gathered first and linked afterwards, so that a
// link may name a later node and a line with an unknown element can be left
// out without shifting what the other lines' links refer to.
#include "molecule_file.h"

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

constexpr size_t kPieceLength = 1023;

struct Link {
    int target = 0;  // position of the linked node line in the file
    int order = 0;   // as listed on this line, then the larger of both sides
    int node = -1;   // index of the linked node once kept, -1 when left out
};

struct NodeLine {
    Node node;                // element, cloud, charge and position as read
    std::vector<Link> links;  // distinct targets in the order first listed
};

std::string WithPlainLineFeeds(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        plain.push_back(text[i]);
    }
    return plain;
}

// Calls visit for each piece of text, as a 1024-character line buffer reads it.
template <typename Visit>
void ForEachPiece(std::string_view text, Visit visit) {
    while (!text.empty()) {
        size_t length = text.find('\n');
        length = length == std::string_view::npos ? text.size() : length + 1;
        if (length > kPieceLength) length = kPieceLength;
        visit(text.substr(0, length));
        text.remove_prefix(length);
    }
}

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

float RandomCoordinate() {
    // 0.0012207404 is the float nearest 40/32767: the spread is -20..20.
    const long double scale = static_cast<long double>(0.0012207404f);
    return static_cast<float>(static_cast<long double>(RandomInteger()) * scale - 20.0L);
}

// Reads one node line, the index-th of the file's nodeLineCount. stamp has
// one zero entry per node line and finds repeated targets in O(1).
NodeLine ReadNodeLine(std::string_view line, int index, int nodeLineCount,
                      std::vector<int>& stamp) {
    NodeLine result;
    Node& node = result.node;
    // Three draws per node line, also when the line gives its own position.
    node.position.x = RandomCoordinate();
    node.position.y = RandomCoordinate();
    node.position.z = RandomCoordinate();
    node.id = index;
    node.cloud = line.find('*') != std::string_view::npos;

    const size_t bracket = line.find('[');
    if (bracket != std::string_view::npos) {
        for (size_t i = 0; i < bracket; ++i) {
            if (line[i] == '-') --node.charge;
            if (line[i] == '+') ++node.charge;
        }
    }

    std::string symbol;
    const size_t close = line.find(')');
    if (close != std::string_view::npos) {
        const std::string_view s = line.substr(close + 1);
        if (s.size() > 3 && s[3] == '{')
            symbol = s.substr(0, 3);
        else if (s.size() > 2 && s[2] == '{')
            symbol = s.substr(0, 2);
        else
            symbol = s.substr(0, 1);
    }
    node.element = FindElement(symbol);
    if (!node.element) ShowMessage("Unrecognised Element", "Load error");

    const size_t open = line.find('{');
    const size_t end = line.find('}');
    if (open != std::string_view::npos && end != std::string_view::npos) {
        size_t at = open + 1;
        while (at < end) {
            const int target = ReadInt(line.substr(at));
            if (target >= 0 && target < nodeLineCount && target != index) {
                // A non-zero stamp is 1 + the place of this target in the
                // line's list; stamps are cleared again after each line.
                int& slot = stamp[static_cast<size_t>(target)];
                if (slot > 0) {
                    ++result.links[static_cast<size_t>(slot - 1)].order;
                } else {
                    result.links.push_back({target, 1});
                    slot = static_cast<int>(result.links.size());
                }
            }
            const size_t comma = line.find(',', at);
            if (comma == std::string_view::npos) break;
            at = comma + 1;
        }
        for (const Link& link : result.links) stamp[static_cast<size_t>(link.target)] = 0;
    }

    if (bracket != std::string_view::npos) {
        float* coordinates[] = {&node.position.x, &node.position.y, &node.position.z};
        size_t at = bracket;
        for (float* coordinate : coordinates) {
            if (at == std::string_view::npos) break;
            float value = 0.0f;
            if (ReadFloat(line.substr(at + 1), value)) *coordinate = value;
            at = line.find(',', at + 1);
        }
    }
    return result;
}

uint64_t PairKey(int from, int to) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(from)) << 32) | static_cast<uint32_t>(to);
}

// Appends the kept node lines to the molecule with their links in model
// form: targets renumbered to node indices, links to left-out lines
// dropped, and each link on both of its nodes with the larger of the two
// orders the file gives it.
void AppendNodeLines(std::vector<NodeLine>& lines) {
    std::vector<int> indexOfLine(lines.size(), -1);
    int kept = NodeCount();
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].node.element) indexOfLine[i] = kept++;

    std::unordered_map<uint64_t, int> listed;  // (from line, to line) -> order
    for (size_t i = 0; i < lines.size(); ++i)
        for (const Link& link : lines[i].links)
            listed[PairKey(static_cast<int>(i), link.target)] = link.order;

    for (size_t i = 0; i < lines.size(); ++i) {
        if (indexOfLine[i] < 0) continue;
        Node& node = lines[i].node;
        node.id = indexOfLine[i];
        for (Link& link : lines[i].links) {
            link.node = indexOfLine[static_cast<size_t>(link.target)];
            if (link.node < 0) continue;
            const auto reverse = listed.find(PairKey(link.target, static_cast<int>(i)));
            if (reverse != listed.end() && reverse->second > link.order)
                link.order = reverse->second;
            node.neighbours.push_back(link.node);
            node.linkOrders.push_back(link.order);
        }
        AppendNode(node);
    }
    // Links listed on one side only are recorded on the other side too.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (indexOfLine[i] < 0) continue;
        for (const Link& link : lines[i].links) {
            if (link.node < 0 || listed.count(PairKey(link.target, static_cast<int>(i)))) continue;
            Node& other = molecule.nodes[static_cast<size_t>(link.node)];
            other.neighbours.push_back(indexOfLine[i]);
            other.linkOrders.push_back(link.order);
        }
    }
}

}  // namespace

void ParseMoleculeText(std::string_view text) {
    molecule.ready = false;
    ClearNodes();

    const std::string plain = WithPlainLineFeeds(text);
    int nodeLineCount = 0;
    ForEachPiece(plain, [&](std::string_view line) {
        if (line[0] == '(') ++nodeLineCount;
    });

    std::vector<NodeLine> lines;
    lines.reserve(static_cast<size_t>(nodeLineCount));
    std::vector<int> stamp(static_cast<size_t>(nodeLineCount), 0);
    ForEachPiece(plain, [&](std::string_view line) {
        switch (line[0]) {
            case '[':
                molecule.name = DelimitedText(line, ']');
                break;
            case '{':
                molecule.formula = DelimitedText(line, '}');
                break;
            case '(':
                lines.push_back(
                    ReadNodeLine(line, static_cast<int>(lines.size()), nodeLineCount, stamp));
                break;
            default:
                break;
        }
    });
    AppendNodeLines(lines);
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
    if (!ReadWholeFile(path, text)) {
        ShowMessage("Unable to open file " + path + "!", "File Error!");
        return false;
    }
    ParseMoleculeText(text);
    return true;
}

bool SaveMoleculeFile(const std::string& path) {
    if (WriteFileAtomically(path, FormatMoleculeText())) return true;
    ShowMessage("Unable to open file " + path + "!", "File Error!");
    return false;
}

void LoadMolecule() {
    std::string path;
    if (ChooseFile(path, true)) LoadMoleculeFile(path);
}

void SaveMolecule() {
    std::string path;
    if (ChooseFile(path, false)) SaveMoleculeFile(path);
}
