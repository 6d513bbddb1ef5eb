// Geometry in double precision on float positions, so that the shown digits
// are those of the stored coordinates and no rounding of the sums adds noise.
#include "measurement.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "molecule.h"

namespace {

Vector3d Between(Vector3 from, Vector3 to) {
    return ToDouble(to) - ToDouble(from);
}

// True when the angle between u and v has no direction: either is (close
// to) zero, or they are (nearly) parallel, so their cross product vanishes.
bool Degenerate(Vector3d u, Vector3d v) {
    const double scale = Length(u) * Length(v);
    return !(scale > 0.0) || !std::isfinite(scale) || Length(Cross(u, v)) <= 1e-9 * scale;
}

void AppendFixed(std::string& text, double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    text.append(buffer, result.ptr);
}

void AppendDegrees(std::string& text, const char* label, std::optional<double> degrees) {
    text += label;
    if (!degrees) {
        text += "undefined";
        return;
    }
    // -0.0 would read "-0.0°"; both signs of zero are the same angle.
    AppendFixed(text, *degrees == 0.0 ? 0.0 : *degrees, 1);
    text += "\u00b0";
}

}  // namespace

double Distance(Vector3 a, Vector3 b) {
    return Length(Between(a, b));
}

std::optional<double> Angle(Vector3 a, Vector3 b, Vector3 c) {
    const Vector3d u = Between(b, a), v = Between(b, c);
    if (!(Length(u) > 0.0) || !(Length(v) > 0.0)) return std::nullopt;
    // atan2 of sine and cosine keeps its accuracy near 0 and 180 degrees,
    // where the arc cosine of the normalised dot product loses digits.
    return Degrees(std::atan2(Length(Cross(u, v)), Dot(u, v)));
}

std::optional<double> Dihedral(Vector3 a, Vector3 b, Vector3 c, Vector3 d) {
    const Vector3d first = Between(a, b), axis = Between(b, c), last = Between(c, d);
    if (Degenerate(first, axis) || Degenerate(axis, last)) return std::nullopt;
    const Vector3d n1 = Cross(first, axis), n2 = Cross(axis, last);
    const double y = Dot(Cross(n1, n2), axis) / Length(axis);
    return Degrees(std::atan2(y, Dot(n1, n2)));
}

std::string MeasurementText(const std::vector<Vector3>& positions, double unitsPerAngstrom) {
    std::string text;
    const auto& p = positions;
    switch (p.size()) {
        case 2: {
            const double units = Distance(p[0], p[1]);
            text = "Distance ";
            // Chemists read ångström; the model's own units follow in brackets.
            if (unitsPerAngstrom > 0.0 && std::isfinite(unitsPerAngstrom)) {
                AppendFixed(text, units / unitsPerAngstrom, 3);
                text += " \u00c5 (";
                AppendFixed(text, units, 2);
                text += ")";
            } else {
                AppendFixed(text, units, 2);
            }
            break;
        }
        case 3:
            AppendDegrees(text, "Angle ", Angle(p[0], p[1], p[2]));
            break;
        case 4:
            AppendDegrees(text, "Dihedral ", Dihedral(p[0], p[1], p[2], p[3]));
            break;
        default:
            break;
    }
    return text;
}

std::vector<int> OrderAlongLinks(std::vector<int> nodes) {
    std::erase_if(nodes, [](int index) { return !IsNodeIndex(index); });
    const std::size_t count = nodes.size();
    // linked[i] lists the places in nodes of the nodes linked to nodes[i].
    std::vector<std::vector<std::size_t>> linked(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::vector<int>& neighbours = molecule.nodes[nodes[i]].neighbours;
        for (std::size_t j = 0; j < count; ++j) {
            if (j != i &&
                std::find(neighbours.begin(), neighbours.end(), nodes[j]) != neighbours.end())
                linked[i].push_back(j);
        }
    }
    // A chain has two ends with one link and no node with more than two;
    // then walking from one end must reach every node.
    std::size_t start = count;
    for (std::size_t i = 0; i < count; ++i) {
        if (linked[i].size() > 2 || linked[i].empty()) return nodes;
        if (linked[i].size() == 1 && (start == count || nodes[i] < nodes[start])) start = i;
    }
    if (count < 2 || start == count) return nodes;
    std::vector<int> chain{nodes[start]};
    for (std::size_t previous = count, at = start; chain.size() < count;) {
        const std::size_t next = linked[at][0] != previous ? linked[at][0]
                                 : linked[at].size() > 1   ? linked[at][1]
                                                           : count;
        if (next == count) return nodes;  // the chain ended early: not one piece
        chain.push_back(nodes[next]);
        previous = at;
        at = next;
    }
    return chain;
}

std::string SelectionMeasurementText(double unitsPerAngstrom) {
    std::vector<int> selected;
    for (const Node& node : molecule.nodes) {
        if (node.selected) selected.push_back(node.id);
        if (selected.size() > 4) return std::string();
    }
    std::vector<Vector3> positions;
    for (int index : OrderAlongLinks(selected)) positions.push_back(molecule.nodes[index].position);
    return MeasurementText(positions, unitsPerAngstrom);
}
