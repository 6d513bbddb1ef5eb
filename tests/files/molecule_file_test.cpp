// Reading and writing molecule files: each part of a node line, the
// writer's canonical form, the round trip and the Load and Save commands.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "element.h"
#include "molecule.h"
#include "molecule_file.h"
#include "process_state.h"
#include "prompts_fake.h"
#include "random.h"
#include "settings_file.h"

namespace {

const char* kNitrite =
    "# Molecule created using Tessaril\n"
    "[Nitrite]\n"
    "{NO2-}\n"
    "(0)N{1,1,2}*[0,0,0]\n"
    "(1)O{0,0}[30,10,0]\n"
    "(2)O{0}-[-30,10,0]\n";

class MoleculeFileTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
        ASSERT_EQ(ElementCount(), 118);
    }
    void ExpectConsistent() {
        std::string why;
        EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;
    }
    const Node& At(int index) { return molecule.nodes.at(static_cast<size_t>(index)); }
};

// The coordinates drawn after seeding with 1 (r = 41, 18467, 6334, 26500,
// 19169, 15724, 11478, 29358, 26962), each r * 0.0012207404 - 20 taken in
// extended precision and rounded once to float.
constexpr float kDrawn[] = {-19.9499493f,  2.54341245f,  -12.2678308f, 12.3496199f, 3.40037227f,
                            -0.805078268f, -5.98834181f, 15.8384962f,  12.9136019f};

TEST_F(MoleculeFileTest, ReadsTheNitriteExample) {
    const FileResult read = ParseMoleculeText(kNitrite);
    EXPECT_TRUE(read.ok);
    EXPECT_TRUE(read.notices.empty());
    EXPECT_EQ(molecule.name, "Nitrite");
    EXPECT_EQ(molecule.formula, "NO2-");
    ASSERT_EQ(NodeCount(), 3);
    EXPECT_EQ(At(0).element->symbol, "N");
    EXPECT_EQ(At(0).neighbours, (std::vector<int>{1, 2}));
    EXPECT_EQ(At(0).linkOrders, (std::vector<int>{2, 1}));
    EXPECT_TRUE(At(0).cloud);
    EXPECT_EQ(At(0).charge, 0);
    EXPECT_EQ(At(1).neighbours, (std::vector<int>{0}));
    EXPECT_EQ(At(1).linkOrders, (std::vector<int>{2}));
    EXPECT_EQ(At(2).charge, -1);  // minus signs inside the brackets do not count
    EXPECT_FALSE(At(2).cloud);
    EXPECT_EQ(At(2).position.x, -30.0f);
    EXPECT_EQ(At(2).position.y, 10.0f);
    EXPECT_EQ(At(2).position.z, 0.0f);
    for (const Node& node : molecule.nodes) {
        EXPECT_FALSE(node.selected);
        EXPECT_EQ(node.force.x, 0.0f);
        EXPECT_EQ(node.previousForce.x, 0.0f);
    }
    ExpectConsistent();
}

TEST_F(MoleculeFileTest, NameAndFormulaLines) {
    ParseMoleculeText(kNitrite);
    molecule.currentNode = 2;
    molecule.hoverNode = 1;
    // A file of only a name line clears the nodes and keeps the formula.
    ParseMoleculeText("[Renamed]\n");
    EXPECT_EQ(NodeCount(), 0);
    EXPECT_EQ(molecule.name, "Renamed");
    EXPECT_EQ(molecule.formula, "NO2-");
    EXPECT_EQ(molecule.currentNode, 2);  // loading leaves both indices alone
    EXPECT_EQ(molecule.hoverNode, 1);
    // A later name wins; without its closing mark a line gives the rest of
    // itself without the line end.
    ParseMoleculeText("[First]\n[Second] extra]\n{C2H6\r\n");
    EXPECT_EQ(molecule.name, "Second");
    EXPECT_EQ(molecule.formula, "C2H6");
    ParseMoleculeText("[]\n{}");
    EXPECT_EQ(molecule.name, "");
    EXPECT_EQ(molecule.formula, "");
    ParseMoleculeText("[Tail");
    EXPECT_EQ(molecule.name, "Tail");
}

TEST_F(MoleculeFileTest, RandomPositionsUseThreeDrawsPerNodeLine) {
    SeedRandom(1);
    ParseMoleculeText("(0)C{}+-+\n(1)C{}[1,2,3]\n(2)C{}[5]\n");
    ASSERT_EQ(NodeCount(), 3);
    EXPECT_EQ(At(0).position.x, kDrawn[0]);
    EXPECT_EQ(At(0).position.y, kDrawn[1]);
    EXPECT_EQ(At(0).position.z, kDrawn[2]);
    EXPECT_EQ(At(0).charge, 0);  // marks without a bracket part give no charge
    EXPECT_EQ(At(1).position.z, 3.0f);
    // A bracket part with fewer than two commas keeps the drawn values for
    // what it does not give; the second line drew too.
    EXPECT_EQ(At(2).position.x, 5.0f);
    EXPECT_EQ(At(2).position.y, kDrawn[7]);
    EXPECT_EQ(At(2).position.z, kDrawn[8]);
}

TEST_F(MoleculeFileTest, NonFiniteCoordinatesKeepTheDrawnValue) {
    SeedRandom(1);
    ParseMoleculeText("(0)C{}[nan,inf,1e999]\n");
    ASSERT_EQ(NodeCount(), 1);
    EXPECT_EQ(At(0).position.x, kDrawn[0]);
    EXPECT_EQ(At(0).position.y, kDrawn[1]);
    EXPECT_EQ(At(0).position.z, kDrawn[2]);
    ParseMoleculeText("(0)C{}[1e-999,abc,-0.5e1]\n");
    EXPECT_EQ(At(0).position.x, 0.0f);
    EXPECT_EQ(At(0).position.y, 0.0f);
    EXPECT_EQ(At(0).position.z, -5.0f);
}

TEST_F(MoleculeFileTest, ChargesAndClouds) {
    ParseMoleculeText(
        "(0)C{}--[-1,-2,-3]\n"
        "(1)C{}+-+[1,2,3]\n"
        "(2)C{}[1,2,3]*\n"
        "(3)C{}+++++[0,0,0]\n");
    ASSERT_EQ(NodeCount(), 4);
    EXPECT_EQ(At(0).charge, -2);
    EXPECT_EQ(At(1).charge, 1);
    EXPECT_TRUE(At(2).cloud);  // a "*" anywhere counts, also after the position
    EXPECT_FALSE(At(1).cloud);
    EXPECT_EQ(At(3).charge, 5);
}

TEST_F(MoleculeFileTest, SymbolRule) {
    struct Case {
        const char* line;
        const char* symbol;
    } cases[] = {
        {"(0)Cl{}[0,0,0]\n", "Cl"},     {"(0)cl{}[0,0,0]\n", "Cl"}, {"(0)CL{}[0,0,0]\n", "Cl"},
        {"(0)Oxygen{}[0,0,0]\n", "O"},   // four characters or more: the first letter only
        {"(0)Uue{}[0,0,0]\n", nullptr},  // three letters are read whole: no such element
        {"(0)N[0,0,0]\n", "N"},          // no link list: one character
        {"(0)  C{}\n", nullptr},         // a blank is not an element
    };
    for (const Case& c : cases) {
        ResetProcessState();
        ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
        ParseMoleculeText(c.line);
        if (!c.symbol) {
            EXPECT_EQ(NodeCount(), 0) << c.line;
            continue;
        }
        ASSERT_EQ(NodeCount(), 1) << c.line;
        EXPECT_EQ(At(0).element->symbol, c.symbol) << c.line;
    }
}

TEST_F(MoleculeFileTest, UnknownElementsAreReportedAndLeftOut) {
    // Links name file positions; the links of the kept lines still reach the
    // atoms they named once the unknown line is gone. The notices come back
    // with the molecule whole, for the shell to show.
    const FileResult read = ParseMoleculeText(
        "(0)C{1,2,3}[0,0,0]\n"
        "(1)Qq{0,2}[0,0,0]\n"
        "(2)O{0,1}[1,0,0]\n"
        "(3)Zz{0}[0,0,0]\n"
        "(4)N{2}[2,0,0]\n");
    EXPECT_TRUE(read.ok);
    ASSERT_EQ(read.notices.size(), 2u);
    EXPECT_EQ(read.notices[0], (Notice{"Unrecognised Element", "Load error"}));
    EXPECT_EQ(read.notices[1], (Notice{"Unrecognised Element", "Load error"}));
    EXPECT_TRUE(fakePrompts.shown.empty()) << "the file code shows nothing itself";
    EXPECT_TRUE(molecule.ready);
    ASSERT_EQ(NodeCount(), 3);
    EXPECT_EQ(At(0).element->symbol, "C");
    EXPECT_EQ(At(0).neighbours, (std::vector<int>{1}));
    EXPECT_EQ(At(1).element->symbol, "O");
    EXPECT_EQ(At(1).neighbours, (std::vector<int>{0, 2}));  // N's one-sided link recorded here too
    EXPECT_EQ(At(2).element->symbol, "N");
    EXPECT_EQ(At(2).neighbours, (std::vector<int>{1}));
    ExpectConsistent();
}

TEST_F(MoleculeFileTest, LinksAreRepairedIntoSymmetricLinksBetweenExistingNodes) {
    ParseMoleculeText(
        "(7)C{0,1,1,9,-1,2,2,2}[0,0,0]\n"  // itself, node 1 twice, no node 9 or -1, node 2 three
                                           // times
        "(3)C{}[0,0,0]\n"                  // lists nothing: node 0's double link is recorded here
        "(5)C{0}[0,0,0]\n");               // lists node 0 once, node 0 lists it three times
    ASSERT_EQ(NodeCount(), 3);
    EXPECT_EQ(At(0).id, 0);  // numbers in parentheses do not move nodes
    EXPECT_EQ(At(0).neighbours, (std::vector<int>{1, 2}));
    EXPECT_EQ(At(0).linkOrders, (std::vector<int>{2, 3}));
    EXPECT_EQ(At(1).neighbours, (std::vector<int>{0}));
    EXPECT_EQ(At(1).linkOrders, (std::vector<int>{2}));
    EXPECT_EQ(At(2).neighbours, (std::vector<int>{0}));
    EXPECT_EQ(At(2).linkOrders, (std::vector<int>{3}));  // the larger order wins
    ExpectConsistent();
}

TEST_F(MoleculeFileTest, LinkListReading) {
    // An empty entry reads as node 0, as the number reader gives 0 for it;
    // a comma in the coordinates ends the list.
    ParseMoleculeText("(0)C{}[0,0,0]\n(1)C{ 2,,2 }[0,0,0]\n(2)C{1,1,0}[0,0,0]\n");
    ASSERT_EQ(NodeCount(), 3);
    EXPECT_EQ(At(1).neighbours, (std::vector<int>{2, 0}));
    EXPECT_EQ(At(1).linkOrders, (std::vector<int>{2, 1}));
    EXPECT_EQ(At(2).linkOrders, (std::vector<int>{2, 1}));
    // Without a closing brace there are no links; a line without "{" has none either.
    ParseMoleculeText("(0)C{1[0,0,0]\n(1)C[0,0,0]\n");
    EXPECT_TRUE(At(0).neighbours.empty());
    EXPECT_TRUE(At(1).neighbours.empty());
    ExpectConsistent();
}

TEST_F(MoleculeFileTest, CarriageReturnsEndLines) {
    for (const char* end : {"\r\n", "\r"}) {
        const std::string e = end;
        ParseMoleculeText("[Water]" + e + "{H2O}" + e + "(0)O{1}[0,0,0]" + e + "(1)H{0}[1,2,3]" +
                          e);
        EXPECT_EQ(molecule.name, "Water");
        EXPECT_EQ(molecule.formula, "H2O");
        ASSERT_EQ(NodeCount(), 2);
        EXPECT_EQ(At(1).position.z, 3.0f);
    }
}

// A line of any length is one item: a carbon with 300 hydrogens (a line of
// over a thousand characters) reads back whole.
TEST_F(MoleculeFileTest, LongLinesHoldOneItem) {
    ParseMoleculeText("(0)C{}[1,2,3]\n");
    for (int i = 1; i <= 300; ++i) {
        Node hydrogen;
        hydrogen.id = i;
        hydrogen.element = FindElement("H");
        hydrogen.position = {static_cast<float>(i), -2.5f, 0.125f};
        AppendNode(hydrogen);
        molecule.nodes[0].neighbours.push_back(i);
        molecule.nodes[0].linkOrders.push_back(1);
        molecule.nodes[i].neighbours = {0};
        molecule.nodes[i].linkOrders = {1};
    }
    molecule.nodes[0].cloud = true;
    molecule.nodes[0].charge = 2;
    const std::string text = FormatMoleculeText();
    ASSERT_GT(text.find('\n', text.find("(0)")) - text.find("(0)"), 1100u);
    const Molecule saved = molecule;
    ParseMoleculeText(text);
    ASSERT_EQ(NodeCount(), 301);
    EXPECT_EQ(At(0).neighbours, saved.nodes[0].neighbours);
    EXPECT_EQ(At(0).position.z, 3.0f);
    EXPECT_TRUE(At(0).cloud);
    EXPECT_EQ(At(0).charge, 2);
    EXPECT_EQ(FormatMoleculeText(), text);
}

TEST_F(MoleculeFileTest, WriterCanonicalForm) {
    EXPECT_EQ(FormatMoleculeText(), "# Molecule created using Tessaril\n[Unnamed]\n{---}\n");

    ParseMoleculeText(kNitrite);
    EXPECT_EQ(FormatMoleculeText(), kNitrite);

    molecule.name = "A]b";
    molecule.formula = "C}";
    Node& n = molecule.nodes[0];
    n.charge = -2;
    n.position = {0.1f, 1234567.0f, 3.14159265f};
    molecule.nodes[1].charge = 3;
    molecule.nodes[1].cloud = true;
    EXPECT_EQ(FormatMoleculeText(),
              "# Molecule created using Tessaril\n[A]b]\n{C}}\n"
              "(0)N{1,1,2}*--[0.1,1.23457e+06,3.14159]\n"
              "(1)O{0,0}*+++[30,10,0]\n"
              "(2)O{0}-[-30,10,0]\n");
}

TEST_F(MoleculeFileTest, SaveThenLoadGivesTheSameMolecule) {
    ParseMoleculeText(ReadFileOrEmpty(SourceFile("examples/caffeine.dat")));
    ASSERT_GT(NodeCount(), 20);
    molecule.nodes[3].charge = -4;
    molecule.nodes[5].cloud = true;
    molecule.nodes[2].selected = true;
    molecule.nodes[1].force = {1, 2, 3};
    molecule.nodes[0].position = {1.0f / 3.0f, -2e-7f, 9.87654321e8f};
    const Molecule saved = molecule;
    const std::string text = FormatMoleculeText();

    molecule = Molecule{};
    ParseMoleculeText(text);
    ASSERT_EQ(NodeCount(), static_cast<int>(saved.nodes.size()));
    EXPECT_EQ(molecule.name, saved.name);
    EXPECT_EQ(molecule.formula, saved.formula);
    for (int i = 0; i < NodeCount(); ++i) {
        const Node& a = At(i);
        const Node& b = saved.nodes[static_cast<size_t>(i)];
        EXPECT_EQ(a.element, b.element) << i;
        EXPECT_EQ(a.neighbours, b.neighbours) << i;
        EXPECT_EQ(a.linkOrders, b.linkOrders) << i;
        EXPECT_EQ(a.cloud, b.cloud) << i;
        EXPECT_EQ(a.charge, b.charge) << i;
        EXPECT_FALSE(a.selected) << i;
        EXPECT_EQ(a.force.x, 0.0f) << i;
        EXPECT_NEAR(a.position.x, b.position.x, std::abs(b.position.x) * 1e-5f) << i;
        EXPECT_NEAR(a.position.z, b.position.z, std::abs(b.position.z) * 1e-5f) << i;
    }
    EXPECT_EQ(FormatMoleculeText(), text);
}

TEST_F(MoleculeFileTest, EveryExampleLoadsWithoutMessageAndSavesBackByteForByte) {
    const char* examples[] = {"acetic-acid",    "ammonia",         "aspirin", "benzene", "caffeine",
                              "carbon-dioxide", "ethanol",         "ethyne",  "glucose", "methane",
                              "nitrite",        "sodium-chloride", "water",   "xenon"};
    for (const char* name : examples) {
        const std::string text =
            ReadFileOrEmpty(SourceFile(std::string("examples/") + name + ".dat"));
        ASSERT_FALSE(text.empty()) << name;
        EXPECT_TRUE(ParseMoleculeText(text).notices.empty()) << name;
        EXPECT_GT(NodeCount(), 0) << name;
        ExpectConsistent();
        EXPECT_EQ(FormatMoleculeText(), text) << name;
        // Links lie near their ideal length, so the files open in a settled shape.
        for (const Node& node : molecule.nodes)
            for (size_t k = 0; k < node.neighbours.size(); ++k) {
                const Node& other = At(node.neighbours[k]);
                const float ideal = node.element->radius + other.element->radius +
                                    15.0f / static_cast<float>(node.linkOrders[k]) + 15.0f;
                const float dx = node.position.x - other.position.x;
                const float dy = node.position.y - other.position.y;
                const float dz = node.position.z - other.position.z;
                const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
                EXPECT_NEAR(length / ideal, 1.0f, 0.05f) << name << " node " << node.id;
            }
    }
    // Benzene alternates double and single links, ethyne has a triple one.
    ParseMoleculeText(ReadFileOrEmpty(SourceFile("examples/benzene.dat")));
    int doubles = 0;
    for (const Node& node : molecule.nodes)
        for (int order : node.linkOrders) doubles += order == 2;
    EXPECT_EQ(doubles, 6);  // three double links, each listed on both atoms
    ParseMoleculeText(ReadFileOrEmpty(SourceFile("examples/ethyne.dat")));
    EXPECT_EQ(At(0).linkOrders[0], 3);
}

class MoleculeCommandTest : public MoleculeFileTest {
protected:
    TemporaryFolder folder;
};

TEST_F(MoleculeCommandTest, LoadReportsWhatCannotBeOpenedAndReadsHprFiles) {
    ParseMoleculeText(kNitrite);
    // A file that cannot be opened: the message, and the molecule unchanged.
    const FileResult missing = LoadMoleculeFile(folder.File("missing.dat"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(
        missing.notices,
        (Notices{{"Unable to open file " + folder.File("missing.dat") + "!", "File Error!"}}));
    EXPECT_EQ(NodeCount(), 3);
    EXPECT_TRUE(molecule.ready);

    // A .hpr file reads like a .dat file.
    WriteFileOrFail(folder.File("water.hpr"), ReadFileOrEmpty(SourceFile("examples/water.dat")));
    EXPECT_TRUE(LoadMoleculeFile(folder.File("water.hpr")).ok);
    EXPECT_EQ(molecule.name, "Water");
    EXPECT_EQ(NodeCount(), 3);
}

// Memory running out part-way through a load: a message, and the molecule
// as it was, never an abort.
TEST_F(MoleculeCommandTest, LoadWithoutMemoryKeepsTheMolecule) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer's shadow memory needs more address space than the cap";
#endif
    ParseMoleculeText(kNitrite);
    const std::string path = folder.File("large.dat");
    std::string text;
    for (int i = 0; i < 2000000; ++i) text += "(0)C\n";  // 10 MB, 200 MB of nodes
    WriteFileOrFail(path, text);
    EXPECT_TRUE(RunInChild([&] {
        // Room for the text, not for its nodes.
        std::ifstream status("/proc/self/status");
        std::string key;
        rlim_t kilobytes = 0;
        while (status >> key && key != "VmSize:") {
        }
        status >> kilobytes;
        const rlimit cap{(kilobytes + 64 * 1024) * 1024, (kilobytes + 64 * 1024) * 1024};
        if (setrlimit(RLIMIT_AS, &cap) != 0) return false;
        const FileResult loaded = LoadMoleculeFile(path);
        return !loaded.ok && molecule.ready && NodeCount() == 3 && molecule.name == "Nitrite" &&
               loaded.notices ==
                   Notices{{"Unable to read file " + path + ": there is not enough memory for it.",
                            "File Error!"}};
    }));
}

TEST_F(MoleculeCommandTest, SaveReplacesWithoutAskingAndReportsFailures) {
    ParseMoleculeText(kNitrite);
    const std::string path = folder.File("out");  // no extension is added
    WriteFileOrFail(path, "old content");
    const FileResult saved = SaveMoleculeFile(path);
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(ReadFileOrEmpty(path), kNitrite);
    EXPECT_TRUE(saved.notices.empty());

    const std::string unwritable = folder.File("no-folder/out.dat");
    const FileResult refused = SaveMoleculeFile(unwritable);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.notices,
              (Notices{{"Unable to open file " + unwritable + "!", "File Error!"}}));
}

}  // namespace
