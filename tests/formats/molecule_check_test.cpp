// Check Molecule's lines on small molecules with one planted fault each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "molecule_builder.h"
#include "molecule_check.h"
#include "process_state.h"
#include "settings.h"
#include "settings_file.h"
#include "units.h"

namespace {

struct PlantedAtom {
    const char* symbol;
    float x, y, z;  // ångström
    int charge = 0;
};
struct PlantedLink {
    int a, b, order = 1;
};
struct CheckCase {
    const char* name;
    std::vector<PlantedAtom> atoms;
    std::vector<PlantedLink> links;
    std::vector<std::string> problems;
};

class MoleculeCheckTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
    }
};

TEST_F(MoleculeCheckTest, FindsEachPlantedFaultAndNothingInACleanMolecule) {
    const float h = 1.09f;  // a C-H link
    const CheckCase cases[] = {
        {"water",
         {{"O", 0, 0, 0}, {"H", 0.96f, 0, 0}, {"H", -0.24f, 0.93f, 0}},
         {{0, 1}, {0, 2}},
         {}},
        {"five links on carbon",
         {{"C", 0, 0, 0},
          {"H", h, 0, 0},
          {"H", -h, 0, 0},
          {"H", 0, h, 0},
          {"H", 0, -h, 0},
          {"H", 0, 0, h}},
         {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}},
         {"Atom 0 (C) has 5 links; its element allows 4."}},
        {"ammonium",
         {{"N", 0, 0, 0, 1},
          {"H", 1.01f, 0, 0},
          {"H", -1.01f, 0, 0},
          {"H", 0, 1.01f, 0},
          {"H", 0, -1.01f, 0}},
         {{0, 1}, {0, 2}, {0, 3}, {0, 4}},
         {"The net charge is +1."}},
        {"atoms on top of each other",
         {{"C", 0, 0, 0}, {"C", 0.2f, 0, 0}},
         {},
         {"Atoms 0 (C) and 1 (C) are 0.20 \u00c5 apart, closer than half their covalent radii "
          "(0.76 \u00c5).",
          "The molecule is in 2 unconnected fragments."}},
        {"a stretched link",
         {{"C", 0, 0, 0}, {"C", 3.0f, 0, 0}},
         {{0, 1}},
         {"The link between atoms 0 (C) and 1 (C) is 3.00 \u00c5 long, over 1.5 times their "
          "covalent radii (1.52 \u00c5)."}},
        {"a hydrogen bridging two carbons",
         {{"C", -1.1f, 0, 0}, {"H", 0, 0, 0}, {"C", 1.1f, 0, 0}},
         {{0, 1}, {1, 2}},
         {"Atom 1 (H) has 2 links; its element allows 1.", "Hydrogen 1 has 2 links."}},
    };
    for (const CheckCase& c : cases) {
        molecule = Molecule{};
        for (const PlantedAtom& atom : c.atoms) {
            const int index = AddTestNode(kUnitsPerAngstrom * Vector3{atom.x, atom.y, atom.z},
                                          FindElement(atom.symbol));
            molecule.nodes[index].charge = atom.charge;
        }
        for (const PlantedLink& link : c.links) LinkTestNodes(link.a, link.b, link.order);
        EXPECT_EQ(MoleculeProblems(molecule), c.problems) << c.name;
    }
}

TEST_F(MoleculeCheckTest, ReportShowsTwentyLinesThenHowManyMore) {
    EXPECT_EQ(MoleculeCheckReport({}), "No problems found.");
    std::vector<std::string> problems;
    for (int i = 0; i < 25; ++i) problems.push_back("line " + std::to_string(i));
    const std::string report = MoleculeCheckReport(problems);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 20);
    EXPECT_NE(report.find("line 19\n\u2026 and 5 more"), std::string::npos);
    EXPECT_EQ(report.find("line 20"), std::string::npos);
}

}  // namespace
