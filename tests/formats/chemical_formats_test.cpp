// The guards around the chemistry library and the commands built on it:
// formats by extension only, malformed input refused with a message and no
// crash, unknown elements left out, the library kept quiet, on one thread
// and on the interface thread, and a failed import that changes nothing.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "chemical_formats.h"
#include "element.h"
#include "format_io.h"
#include "isolated_call.h"
#include "molecule_builder.h"
#include "process_state.h"
#include "prompts_fake.h"
#include "settings.h"
#include "settings_file.h"

namespace {

class FormatsTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
    }
    static std::string Corpus(const std::string& file) {
        return ReadFileOrEmpty(SourceFile("tests/data/" + file));
    }
};

TEST_F(FormatsTest, FormatsAreChosenByExtensionFromTheListOnly) {
    const std::pair<const char*, const ChemicalFormat*> cases[] = {
        {"a.xyz", &FormatInfo(ChemicalFormat::Xyz).format},
        {"dir.x/B.SDF", &FormatInfo(ChemicalFormat::Molfile).format},
        {"b.mol", &FormatInfo(ChemicalFormat::Molfile).format},
        {"c.ent", &FormatInfo(ChemicalFormat::Pdb).format},
        {"c.Pdb", &FormatInfo(ChemicalFormat::Pdb).format},
        {"d.cif", &FormatInfo(ChemicalFormat::Mmcif).format},
        {"d.mmcif", &FormatInfo(ChemicalFormat::Mmcif).format},
        {"e.cml", &FormatInfo(ChemicalFormat::Cml).format},
        {"f.mol2", &FormatInfo(ChemicalFormat::Mol2).format},
        {"g.smi", &FormatInfo(ChemicalFormat::Smiles).format},
        {"own.dat", nullptr},
        {"own.hpr", nullptr},
        {"a.txt", nullptr},
        {"xyz", nullptr},
        {"a.xyz/", nullptr},
        {"dir.xyz/plain", nullptr},
        {"a.", nullptr},
        {"a.xyzz", nullptr},
        {"a.smiles", nullptr},
    };
    for (const auto& [path, expected] : cases) {
        const ChemicalFormatInfo* format = FormatOfPath(path);
        ASSERT_EQ(format != nullptr, expected != nullptr) << path;
        if (format) {
            EXPECT_EQ(format->format, *expected) << path;
        }
    }
    const std::string filters = FormatFilters();
    EXPECT_EQ(filters.rfind("All supported (*.xyz *.mol *.sdf *.pdb *.ent", 0), 0u) << filters;
    EXPECT_NE(filters.find(";;MDL Molfile / SDF (*.mol *.sdf);;"), std::string::npos) << filters;
}

struct Malformed {
    const char* label;
    ChemicalFormat format;
    std::string text;
    const char* error;  // part of the message
};

std::vector<Malformed> MalformedCases(const std::string& sdf, const std::string& pdb,
                                      const std::string& cml, const std::string& mol2) {
    using F = ChemicalFormat;
    using namespace std::string_literals;
    const std::string garbage =
        "\x7f"
        "ELF\x02\x01\x01\0\0\0\0\0\x03\0>\0\x01\0\0\0"s;
    std::string nanSdf = sdf;
    nanSdf.replace(nanSdf.find(" C ") - 10, 10, "       nan");
    std::string wrongCounts = sdf;
    wrongCounts.replace(wrongCounts.find("  8  7"), 6, "  9  7");
    std::string nanPdb = pdb;
    nanPdb.replace(nanPdb.find("HETATM    1") + 30, 8, "     nan");
    return {
        {"empty", F::Xyz, "", "nothing in it"},
        {"blank lines", F::Molfile, "\n \n\t\n", "nothing in it"},
        {"binary garbage as XYZ", F::Xyz, garbage, "not a text file"},
        {"binary garbage as SDF", F::Molfile, garbage + sdf, "not a text file"},
        {"binary garbage as CML", F::Cml, "<?xml version=\"1.0\"?>\0<molecule>"s, "not a text"},
        {"XYZ huge count", F::Xyz, "2000000000\nx\nC 0 0 0\n", "2000000000 atoms"},
        {"XYZ count beyond the lines", F::Xyz, "5\nx\nC 0 0 0\nO 1 0 0\n", "5 atoms"},
        {"XYZ NaN", F::Xyz, "2\nx\nC 0 0 nan\nO 1.2 0 0\n", "not a finite"},
        {"XYZ infinity", F::Xyz, "2\nx\nC 0 0 0\nO inf 0 0\n", "not a finite"},
        {"XYZ out of range", F::Xyz, "1\nx\nC 1e300 0 0\n", "not a finite"},
        {"XYZ words", F::Xyz, "hello world\nthis is not\nchemistry\n", "no atoms"},
        {"XYZ count line of words", F::Xyz, "C3", "no atoms"},
        {"SDF huge counts", F::Molfile, "t\n p\n\n999999  0\n", "999 atoms and 999 bonds"},
        {"SDF V3000 huge counts", F::Molfile,
         "t\n p\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\n"
         "M  V30 COUNTS 100000000 0 0 0 0\nM  V30 END CTAB\nM  END\n",
         "100000000 atoms"},
        {"SDF wrong counts", F::Molfile, wrongCounts, ""},
        {"SDF V3000 charge beyond an int", F::Molfile,
         "t\n p\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\n"
         "M  V30 COUNTS 2 1 0 0 0\nM  V30 BEGIN ATOM\nM  V30 1 C 0 0 0 0\n"
         "M  V30 2 N 1.4 0 0 0 CHG=4294967300\nM  V30 END ATOM\nM  V30 BEGIN BOND\n"
         "M  V30 1 1 1 2\nM  V30 END BOND\nM  V30 END CTAB\nM  END\n",
         "Atom 2 has a charge of 4294967300"},
        {"SDF truncated", F::Molfile, sdf.substr(0, sdf.size() / 3), ""},
        {"SDF NaN", F::Molfile, nanSdf, "not a finite"},
        {"SDF garbage text", F::Molfile, "a\nb\nc\nd\ne\nf\n", ""},
        {"PDB no atoms", F::Pdb, "HEADER    NOTHING\nEND\n", "no atoms"},
        {"PDB NaN", F::Pdb, nanPdb, "not a finite"},
        {"PDB truncated", F::Pdb, pdb.substr(0, 40), ""},
        {"PDB atom record cut short", F::Pdb,
         "COM (3\nHETATM  AIOM    1  O   U\xd9NL       1.133   0.000  -0.0:  ` 00  -0.0:  "
         "`      O  \nHETATM    2  C   UNL    0\nEND\n",
         "malformed"},
        {"CML truncated", F::Cml, cml.substr(0, cml.size() / 2), ""},
        {"CML not XML", F::Cml, "just words\n", ""},
        {"CML huge charge", F::Cml,
         "<molecule><atomArray><atom id=\"a1\" elementType=\"N\" formalCharge=\"40\" "
         "x3=\"0\" y3=\"0\" z3=\"0\"/></atomArray></molecule>\n",
         "charge of 40"},
        {"CML charge beyond a byte", F::Cml,
         "<molecule><atomArray><atom id=\"a1\" elementType=\"C\" x3=\"0\" y3=\"0\" z3=\"0\"/>"
         "<atom id=\"a2\" elementType=\"N\" formalCharge=\"2147483647\" "
         "x3=\"1\" y3=\"0\" z3=\"0\"/></atomArray></molecule>\n",
         "Atom 2 has a charge of 2147483647"},
        {"CML negative hydrogen count (crashes the library)", F::Cml,
         "<molecule><atomArray><atom elementType=\"C\" hydrogenCount=\"-2\" "
         "x3=\"0\" y3=\"0\" z3=\"0\"/></atomArray></molecule>\n",
         "the reader failed"},
        {"Mol2 huge counts", F::Mol2, "@<TRIPOS>MOLECULE\nm\n 888888888 1\n", "888888888 atoms"},
        {"Mol2 truncated", F::Mol2, mol2.substr(0, mol2.find("@<TRIPOS>ATOM") + 20), ""},
        {"Mol2 attributes of a missing atom", F::Mol2,
         mol2.substr(0, mol2.find("@<TRIPOS>BOND")) + "@<TRIPOS>UNITY_ATOM_ATTR\n9 1\ncharge 1\n",
         "atom that is not there"},
        {"mmCIF garbage", F::Mmcif, "data_x\nloop_\n_atom_site.id\n1\n", ""},
        {"SMILES open ring", F::Smiles, "C1CC\n", ""},
        {"SMILES unknown element", F::Smiles, "[Zz]C\n", ""},
        {"SMILES stray bracket", F::Smiles, "C)C\n", ""},
        {"SMILES too long", F::Smiles, std::string(1001, 'C'), "longer than 1000"},
    };
}

// Each gives a message and no molecule; nothing reaches stderr.
TEST_F(FormatsTest, MalformedInputIsRefusedWithAMessage) {
    for (const Malformed& c :
         MalformedCases(Corpus("acetic-acid.sdf"), Corpus("acetic-acid.pdb"),
                        Corpus("acetic-acid.cml"), Corpus("acetic-acid.mol2"))) {
        fflush(stderr);
        const int saved = dup(2);
        std::FILE* capture = std::tmpfile();
        dup2(fileno(capture), 2);
        const ImportResult result = ImportMoleculeText(c.text, c.format);
        fflush(stderr);
        dup2(saved, 2);
        close(saved);
        const long written = lseek(fileno(capture), 0, SEEK_END);
        std::fclose(capture);
        EXPECT_EQ(written, 0) << c.label << ": the library wrote to stderr";
        EXPECT_NE(result.error, "") << c.label;
        EXPECT_NE(result.error.find(c.error), std::string::npos) << c.label << ": " << result.error;
        EXPECT_TRUE(result.molecule.nodes.empty()) << c.label;
    }
}

// A read runs in a child process: what goes wrong there stops that read only.
TEST(IsolatedCall, ReturnsTheBytesOrWhyTheChildFailed) {
    using namespace std::chrono_literals;
    const IsolatedOutcome bytes = RunIsolated([] { return std::string(200000, 'x'); }, 10s);
    EXPECT_TRUE(bytes.finished);
    EXPECT_EQ(bytes.bytes, std::string(200000, 'x'));
    const IsolatedOutcome crash = RunIsolated([]() -> std::string { std::abort(); }, 10s);
    EXPECT_FALSE(crash.finished);
    EXPECT_EQ(crash.why, "the reader failed (signal 6)");
    const IsolatedOutcome thrown =
        RunIsolated([]() -> std::string { throw std::runtime_error("no"); }, 10s);
    EXPECT_EQ(thrown.why, "the reader failed");
    const auto start = std::chrono::steady_clock::now();
    const IsolatedOutcome endless = RunIsolated(
        []() -> std::string {
            for (;;) pause();
        },
        300ms);
    EXPECT_EQ(endless.why, "it took longer than 300 ms");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s) << "the child was not stopped";

    // The waiting side is told what runs and may give up on it.
    std::vector<std::string> told;
    SetIsolatedWaiting({[&](const std::string& activity) { told.push_back(activity); },
                        [&](int, std::chrono::milliseconds elapsed) {
                            EXPECT_TRUE(IsolatedWorkUnderWay());
                            return elapsed < 200ms;
                        },
                        [&] { told.push_back("end"); }});
    const IsolatedOutcome cancelled = RunIsolated(
        []() -> std::string {
            for (;;) pause();
        },
        10s, "Waiting");
    SetIsolatedWaiting({});
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(told, (std::vector<std::string>{"Waiting", "end"}));
    EXPECT_FALSE(IsolatedWorkUnderWay());
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "no address-space cap under AddressSanitizer, which needs the room";
#else
    const IsolatedOutcome greedy = RunIsolated(
        []() -> std::string {
            std::vector<char*> taken;
            for (;;) taken.push_back(new char[size_t{1} << 30]);
        },
        30s);
    EXPECT_TRUE(greedy.tooLarge) << greedy.why;
#endif
}

TEST_F(FormatsTest, UnknownElementsAreLeftOutWithOneCountedWarning) {
    elementTable.resize(10);  // hydrogen to neon: no chlorine
    const std::string chloroform =
        "5\nchloroform\nC 0 0 0\nH 0 0 1.09\nCl 1.76 0 -0.4\nCl -0.9 1.5 -0.4\n"
        "Cl -0.9 -1.5 -0.4\n";
    const ImportResult result = ImportMoleculeText(chloroform, ChemicalFormat::Xyz);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.warning, "3 atoms of unknown elements left out.");
    ASSERT_EQ(result.molecule.nodes.size(), 2u);
    EXPECT_EQ(result.molecule.nodes[1].neighbours, std::vector<int>{0});
    EXPECT_EQ(result.molecule.name, "chloroform");
    const ImportResult none = ImportMoleculeText("1\n\nCl 0 0 0\n", ChemicalFormat::Xyz);
    EXPECT_NE(none.error.find("None of its atoms"), std::string::npos) << none.error;
}

TEST_F(FormatsTest, TheLibraryRunsOnOneThreadAndOnlyOnTheInterfaceThread) {
    ImportResult elsewhere;
    std::thread([&] {
        elsewhere = ImportMoleculeText("1\n\nC 0 0 0\n", ChemicalFormat::Xyz);
    }).join();
    EXPECT_NE(elsewhere.error.find("user-interface thread"), std::string::npos);
    const ImportResult here = ImportMoleculeText("1\n\nC 0 0 0\n", ChemicalFormat::Xyz);
    EXPECT_EQ(here.error, "");
    using MaxThreads = int (*)();
    auto maxThreads = reinterpret_cast<MaxThreads>(dlsym(RTLD_DEFAULT, "omp_get_max_threads"));
    ASSERT_NE(maxThreads, nullptr);
    EXPECT_EQ(maxThreads(), 1);
}

TEST_F(FormatsTest, SmilesIsBuiltIn3DWithHydrogensAtRealBondLengths) {
    const ImportResult result = BuildFromSmiles("OCC=O");
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.molecule.formula, "C2H4O2");
    EXPECT_EQ(result.molecule.name, "OCC=O");
    ASSERT_EQ(result.molecule.nodes.size(), 8u);
    const Node& oxygen = result.molecule.nodes[0];
    const Node& carbon = result.molecule.nodes[1];
    const float dx = oxygen.position.x - carbon.position.x,
                dy = oxygen.position.y - carbon.position.y,
                dz = oxygen.position.z - carbon.position.z;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz) / kUnitsPerAngstrom, 1.42, 0.05);
    EXPECT_EQ(result.molecule.nodes[2].linkOrders, (std::vector<int>{1, 2, 1}));
}

TEST_F(FormatsTest, AddHydrogensFillsValencesNearTheirAtoms) {
    Element* carbon = FindElement("C");
    Element* oxygen = FindElement("O");
    Element* nitrogen = FindElement("N");
    const int c = AddTestNode({0, 0, 0}, carbon);
    const int o = AddTestNode({64, 0, 0}, oxygen);  // C=O
    const int n = AddTestNode({-35, 60, 0}, nitrogen);
    LinkTestNodes(c, o, 2);
    LinkTestNodes(c, n, 1);
    molecule.nodes[n].charge = 1;  // formamide's nitrogen, protonated: NH3+
    ASSERT_TRUE(AddHydrogensCommand());
    std::string why;
    ASSERT_TRUE(MoleculeIsConsistent(&why)) << why;
    ASSERT_EQ(NodeCount(), 3 + 1 + 3);
    const int expectedParent[] = {c, n, n, n};
    for (int i = 3; i < NodeCount(); ++i) {
        const Node& h = molecule.nodes[i];
        EXPECT_EQ(h.element, FindElement("H"));
        ASSERT_EQ(h.neighbours.size(), 1u);
        EXPECT_EQ(h.neighbours[0], expectedParent[i - 3]);
        const Node& parent = molecule.nodes[h.neighbours[0]];
        const float dx = h.position.x - parent.position.x, dy = h.position.y - parent.position.y,
                    dz = h.position.z - parent.position.z;
        EXPECT_LT(std::sqrt(dx * dx + dy * dy + dz * dz), 1.5f * kUnitsPerAngstrom);
    }
    ASSERT_TRUE(AddHydrogensCommand());
    EXPECT_EQ(NodeCount(), 7) << "a second run adds nothing";
    EXPECT_TRUE(fakePrompts.shown.empty());
}

TEST_F(FormatsTest, ExportWarnsOfWhatTheFormatCannotHold) {
    const int a = AddTestNode({0, 0, 0}, FindElement("N"));
    const int b = AddTestNode({57, 0, 0}, FindElement("N"));
    LinkTestNodes(a, b, 4);
    molecule.nodes[a].cloud = true;
    const ExportResult result = ExportMoleculeText(molecule, ChemicalFormat::Molfile);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.warning,
              "Electron clouds cannot be written to MDL Molfile / SDF and were left out.\n"
              "Links of order above 3 were written as triple links.");
    EXPECT_NE(result.text.find("  1  2  3  0"), std::string::npos) << result.text;
    EXPECT_NE(result.text.find("    1.0962    0.0000"), std::string::npos) << result.text;
    EXPECT_NE(ExportMoleculeText(Molecule{}, ChemicalFormat::Pdb).error, "");
    molecule.nodes[b].charge = -17;  // from an own-format file; the formats' fields stop short
    EXPECT_EQ(ExportMoleculeText(molecule, ChemicalFormat::Molfile).error,
              "Atom 2 has a charge of -17, beyond the 16 units either way the program takes.");
}

TEST_F(FormatsTest, LoneCarriageReturnsEndLines) {
    const ImportResult water =
        ImportMoleculeText("3\rwater\rO 0 0 0\rH 0.96 0 0\rH -0.24 0.93 0\r", ChemicalFormat::Xyz);
    EXPECT_EQ(water.error, "");
    EXPECT_EQ(water.molecule.nodes.size(), 3u);
}

// The stereochemistry written (chiral flag, parities, wedges, @ and /) is
// the library's own, for the corpus and for molecules that have some.
TEST_F(FormatsTest, ExportPerceivesStereochemistryAsTheLibraryDoes) {
    std::vector<Molecule> molecules;
    for (const char* smiles : {"N[C@@H](C)C(=O)O", "C/C=C/C", "O[C@H]1CC[C@@H](C)CC1"})
        molecules.push_back(BuildFromSmiles(smiles).molecule);
    for (const char* name : {"caffeine", "glycine-zwitterion", "benzene", "acetate"})
        molecules.push_back(
            ImportMoleculeText(Corpus(std::string(name) + ".sdf"), ChemicalFormat::Molfile)
                .molecule);
    for (const Molecule& m : molecules) {
        ASSERT_FALSE(m.nodes.empty());
        for (ChemicalFormat format : {ChemicalFormat::Molfile, ChemicalFormat::Smiles})
            EXPECT_EQ(WriteWithLibraryOnly(m, format, false), WriteWithLibraryOnly(m, format, true))
                << m.name;
    }
}

// A chain the library would take minutes over, or overflow the stack on.
TEST_F(FormatsTest, AHundredThousandAtomChainIsExported) {
    Molecule chain;
    for (int i = 0; i < 100000; ++i) {
        Node node;
        node.id = i;
        node.element = FindElement("C");
        node.position = {i * 1.25f * kUnitsPerAngstrom, (i % 2) * 0.9f * kUnitsPerAngstrom, 0};
        if (i > 0) node.neighbours = {i - 1}, node.linkOrders = {1};
        if (i > 0)
            chain.nodes.back().neighbours.push_back(i), chain.nodes.back().linkOrders.push_back(1);
        chain.nodes.push_back(std::move(node));
    }
    const ExportResult sdf = ExportMoleculeText(chain, ChemicalFormat::Molfile);
    EXPECT_EQ(sdf.error, "");
    EXPECT_NE(sdf.text.find("COUNTS 100000 99999"), std::string::npos);
    const ExportResult smiles = ExportMoleculeText(chain, ChemicalFormat::Smiles);
    EXPECT_EQ(smiles.error, "");
    EXPECT_EQ(std::count(smiles.text.begin(), smiles.text.end(), 'C'), 100000);
}

// A failed import shows one message and leaves the molecule as it was; a
// good one replaces it and clears the node indices.
TEST_F(FormatsTest, ImportCommandReplacesTheMoleculeOnlyOnSuccess) {
    TemporaryFolder folder;
    AddTestNode({1, 2, 3}, FindElement("C"));
    molecule.name = "Kept";
    molecule.currentNode = 0;
    WriteFileOrFail(folder.File("bad.sdf"), "not\na\nmolfile\n");
    for (const std::string& path :
         {folder.File("bad.sdf"), folder.File("missing.pdb"), folder.File("own.dat")}) {
        fakePrompts.shown.clear();
        EXPECT_FALSE(ImportMoleculeCommand(path)) << path;
        ASSERT_EQ(fakePrompts.shown.size(), 1u) << path;
        EXPECT_EQ(fakePrompts.shown[0].caption, "Import error");
        EXPECT_NE(fakePrompts.shown[0].text.find(path), std::string::npos);
        EXPECT_EQ(NodeCount(), 1);
        EXPECT_EQ(molecule.name, "Kept");
        EXPECT_EQ(molecule.currentNode, 0);
    }
    fakePrompts.shown.clear();
    EXPECT_TRUE(ImportMoleculeCommand(SourceFile("tests/data/caffeine.sdf")));
    EXPECT_TRUE(fakePrompts.shown.empty());
    EXPECT_EQ(NodeCount(), 24);
    EXPECT_EQ(molecule.name, "caffeine");
    EXPECT_EQ(molecule.formula, "C8H10N4O2");
    EXPECT_EQ(molecule.currentNode, -1);
    std::string why;
    EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;

    EXPECT_TRUE(ExportMoleculeCommand(folder.File("out.mol2")));
    EXPECT_FALSE(ExportMoleculeCommand(folder.File("out.doc")));
    EXPECT_FALSE(ExportMoleculeCommand(folder.File("no/such/folder/out.pdb")));
    ASSERT_EQ(fakePrompts.shown.size(), 2u);
    EXPECT_EQ(ImportMoleculeFile(folder.File("out.mol2")).molecule.nodes.size(), 24u);
}

}  // namespace
