// The corpus of small molecules in tests/data: each file imports with the
// right elements, link orders and charges, sits near the layout's ideal link
// lengths, and comes back the same after an export to every format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "chemical_formats.h"
#include "element.h"
#include "process_state.h"
#include "settings.h"
#include "settings_file.h"

namespace {

struct Known {
    const char* name;
    const char* formula;  // Hill order, counted from the imported nodes
    int links[3];         // single, double, triple
    const char* charges;  // charged atoms in node order, e.g. "N+1 O-1"
};

const Known kCorpus[] = {
    {"water", "H2O", {2, 0, 0}, ""},
    {"methane", "CH4", {4, 0, 0}, ""},
    {"ethanol", "C2H6O", {8, 0, 0}, ""},
    {"acetic-acid", "C2H4O2", {6, 1, 0}, ""},
    {"benzene", "C6H6", {9, 3, 0}, ""},
    {"ethyne", "C2H2", {2, 0, 1}, ""},
    {"carbon-dioxide", "CO2", {0, 2, 0}, ""},
    {"hydrogen-cyanide", "CHN", {1, 0, 1}, ""},
    {"caffeine", "C8H10N4O2", {21, 4, 0}, ""},
    {"ammonium", "H4N", {4, 0, 0}, "N+1"},
    {"acetate", "C2H3O2", {5, 1, 0}, "O-1"},
    {"nitromethane", "CH3NO2", {5, 1, 0}, "N+1 O-1"},
    {"glycine-zwitterion", "C2H5NO2", {8, 1, 0}, "N+1 O-1"},
};

const char* const kExtensions[] = {"xyz", "sdf", "pdb", "cml", "mol2"};

std::string Formula(const Molecule& m) {
    std::map<std::string, int> counts;
    for (const Node& node : m.nodes) ++counts[node.element->symbol];
    std::string formula;
    auto add = [&](const std::string& symbol) {
        if (!counts.count(symbol)) return;
        formula += symbol + (counts[symbol] > 1 ? std::to_string(counts[symbol]) : "");
        counts.erase(symbol);
    };
    if (counts.count("C")) add("C"), add("H");
    while (!counts.empty()) add(counts.begin()->first);
    return formula;
}

std::vector<int> LinkCounts(const Molecule& m) {
    std::vector<int> counts(3, 0);
    for (const Node& node : m.nodes)
        for (size_t i = 0; i < node.neighbours.size(); ++i)
            if (node.neighbours[i] > node.id) ++counts[std::min(node.linkOrders[i], 3) - 1];
    return counts;
}

std::string Charges(const Molecule& m) {
    std::string text;
    for (const Node& node : m.nodes)
        if (node.charge != 0)
            text += (text.empty() ? "" : " ") + node.element->symbol +
                    (node.charge > 0 ? "+" : "") + std::to_string(node.charge);
    return text;
}

// The node's neighbours in order, then the sum of its link orders: formats
// without orders are perceived again, which may list the links in another
// order and put a ring's double links on the other Kekulé positions.
std::vector<int> Links(const Node& node) {
    std::vector<int> links = node.neighbours;
    std::sort(links.begin(), links.end());
    int sum = 0;
    for (int order : node.linkOrders) sum += order;
    links.push_back(sum);
    return links;
}

float Distance(const Node& a, const Node& b) {
    const float dx = a.position.x - b.position.x, dy = a.position.y - b.position.y,
                dz = a.position.z - b.position.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

class CorpusTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
    }
    static Molecule Import(const std::string& file) {
        ImportResult result = ImportMoleculeFile(SourceFile("tests/data/" + file));
        EXPECT_EQ(result.error, "") << file;
        EXPECT_EQ(result.warning, "") << file;
        return result.molecule;
    }
};

TEST_F(CorpusTest, EachFileImportsWithItsElementsOrdersAndCharges) {
    for (const Known& known : kCorpus)
        for (const char* extension : kExtensions) {
            const std::string file = std::string(known.name) + "." + extension;
            const Molecule m = Import(file);
            EXPECT_EQ(Formula(m), known.formula) << file;
            EXPECT_EQ(m.name, known.name) << file;
            const bool bare = std::string(extension) == "xyz";  // no charges, orders perceived
            if (bare && *known.charges) continue;
            EXPECT_EQ(LinkCounts(m), std::vector<int>(known.links, known.links + 3)) << file;
            EXPECT_EQ(Charges(m), bare ? "" : known.charges) << file;
        }
}

// The scale puts real bonds near the layout's ideal lengths: it is the factor
// with the least relative squared error over every bond of the corpus,
// rounded to a whole number.
TEST_F(CorpusTest, ScaleFitsTheIdealLinkLengths) {
    double sum = 0, sumSquares = 0;
    for (const Known& known : kCorpus) {
        const Molecule m = Import(std::string(known.name) + ".sdf");
        for (const Node& node : m.nodes)
            for (size_t i = 0; i < node.neighbours.size(); ++i) {
                const Node& other = m.nodes[node.neighbours[i]];
                const double ideal =
                    node.element->radius + other.element->radius + 15.0 / node.linkOrders[i] + 15.0;
                const double ratio = Distance(node, other) / kUnitsPerAngstrom / ideal;
                sum += ratio;
                sumSquares += ratio * ratio;
            }
    }
    EXPECT_NEAR(kUnitsPerAngstrom, sum / sumSquares, 0.5);
}

TEST_F(CorpusTest, ExportThenImportGivesTheSameMolecule) {
    for (const Known& known : kCorpus) {
        const Molecule original = Import(std::string(known.name) + ".sdf");
        for (const ChemicalFormatInfo& format : ChemicalFormats()) {
            if (format.format == ChemicalFormat::Smiles) continue;  // holds no positions
            const ExportResult written = ExportMoleculeText(original, format.format);
            ASSERT_EQ(written.error, "") << known.name << " " << format.label;
            const ImportResult read = ImportMoleculeText(written.text, format.format);
            ASSERT_EQ(read.error, "") << known.name << " " << format.label;
            const Molecule& back = read.molecule;
            const std::string where = std::string(known.name) + " as " + std::string(format.label);
            ASSERT_EQ(back.nodes.size(), original.nodes.size()) << where;
            // XYZ and mmCIF as written hold no links or charges: they are perceived.
            const bool bare =
                format.format == ChemicalFormat::Xyz || format.format == ChemicalFormat::Mmcif;
            EXPECT_EQ(back.name, known.name) << where;
            if (!bare || !*known.charges) {
                EXPECT_EQ(LinkCounts(back), LinkCounts(original)) << where;
            }
            for (size_t i = 0; i < back.nodes.size(); ++i) {
                const Node &a = original.nodes[i], &b = back.nodes[i];
                EXPECT_EQ(a.element, b.element) << where << " node " << i;
                EXPECT_LT(Distance(a, b), 0.002f * kUnitsPerAngstrom) << where << " node " << i;
                if (bare && *known.charges) continue;
                EXPECT_EQ(Links(a), Links(b)) << where << " node " << i;
                if (!bare) {
                    EXPECT_EQ(a.charge, b.charge) << where << " node " << i;
                }
            }
        }
    }
}

}  // namespace
