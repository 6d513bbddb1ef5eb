// The command line: argument parsing, and the headless save mode run as a
// real process with its exit statuses and its messages on stderr.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <cmath>

#include "command_line.h"
#include "element.h"
#include "molecule.h"
#include "molecule_file.h"
#include "process_state.h"
#include "settings.h"
#include "settings_file.h"

namespace {

TEST(CommandLineTest, ParsesEveryMode) {
    CommandLine c;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Window);
    EXPECT_TRUE(c.inputPath.empty());

    ASSERT_TRUE(ParseCommandLine({"water.dat"}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Window);
    EXPECT_EQ(c.inputPath, "water.dat");

    ASSERT_TRUE(ParseCommandLine({"--save", "out.dat", "in.dat"}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Save);
    EXPECT_EQ(c.outputPath, "out.dat");
    EXPECT_EQ(c.inputPath, "in.dat");
    ASSERT_TRUE(ParseCommandLine({"in.dat", "--save", "out.dat"}, c, error));
    EXPECT_EQ(c.inputPath, "in.dat");
    EXPECT_EQ(c.outputPath, "out.dat");

    ASSERT_TRUE(ParseCommandLine({"--steps", "3000", "--save", "out.dat", "in.dat"}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Save);
    EXPECT_EQ(c.steps, 3000);

    ASSERT_TRUE(ParseCommandLine({"--help"}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Help);
    ASSERT_TRUE(ParseCommandLine({"--render", "a.png", "--labels", "names", "--text-size", "huge",
                                  "--size", "30x20", "--mouse", "-4,7"},
                                 c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Render);
    EXPECT_EQ(c.labelMode, 2);
    EXPECT_EQ(c.textSize, 8.0f);
    EXPECT_EQ(std::make_pair(c.pictureWidth, c.pictureHeight), std::make_pair(30, 20));
    EXPECT_EQ(std::make_pair(c.mouseX, c.mouseY), std::make_pair(-4, 7));
    ASSERT_TRUE(ParseCommandLine({"--export", "out.SDF", "--steps", "5", "in.pdb"}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Export);
    EXPECT_EQ(c.outputPath, "out.SDF");
    EXPECT_EQ(c.inputPath, "in.pdb");
    ASSERT_TRUE(ParseCommandLine({"--export", "out.dat", "--smiles", "CCO"}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Export);
    EXPECT_EQ(c.smiles, "CCO");
    ASSERT_TRUE(ParseCommandLine({"--smiles", "c1ccccc1"}, c, error));
    EXPECT_EQ(c.mode, CommandLine::Mode::Window);
    EXPECT_EQ(c.smiles, "c1ccccc1");
    // A lone "-" is a file name, not an option.
    ASSERT_TRUE(ParseCommandLine({"-"}, c, error));
    EXPECT_EQ(c.inputPath, "-");
}

TEST(CommandLineTest, RejectsUsageErrors) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--save"},                            // no output
        {"--save", "out.dat"},                 // nothing to load
        {"--save", "a", "--save", "b", "in"},  // twice
        {"--frobnicate"},                      // unknown option
        {"one.dat", "two.dat"},                // two inputs
        {"--render", "a.png", "--render", "b.png"},
        {"--steps", "1", "--steps", "2", "--save", "out", "in"},
        {"--render", "a.png", "--size", "0x5"},
        {"--render", "a.png", "--labels", "bold"},
        {"--render", "a.png", "--text-size", "4"},
        {"--labels", "names"},                       // without --render
        {"--export", "out.doc", "in.sdf"},           // no format of that name
        {"--export", "out.sdf"},                     // nothing to load
        {"--export", "a.sdf", "--save", "b", "in"},  // two outputs
        {"--smiles", "CCO", "in.dat"},               // SMILES in place of FILE
        {"--smiles", ""},
    };
    for (const auto& arguments : wrong) {
        CommandLine c;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(arguments, c, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

struct ProgramRun {
    int status = -100;
    std::string out, err;
};

// Runs the program in folder with arguments and collects what it prints.
ProgramRun RunProgram(const std::string& folder, const std::vector<std::string>& arguments) {
    const std::string outPath = folder + "/.stdout", errPath = folder + "/.stderr";
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(120);
        if (!freopen(outPath.c_str(), "w", stdout) || !freopen(errPath.c_str(), "w", stderr))
            _exit(121);
        std::vector<char*> argv{const_cast<char*>(TESSARIL_EXECUTABLE)};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TESSARIL_EXECUTABLE, argv.data());
        _exit(122);
    }
    ProgramRun run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.status = static_cast<signed char>(WEXITSTATUS(status));
    run.out = ReadFileOrEmpty(outPath);
    run.err = ReadFileOrEmpty(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return run;
}

class HeadlessSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileOrFail(folder.File("Tessaril.ini"), ReadFileOrEmpty(SourceFile("Tessaril.ini")));
    }
    TemporaryFolder folder;
};

TEST_F(HeadlessSaveTest, ReproducesEveryExampleByteForByte) {
    for (const char* name : {"nitrite", "caffeine", "glucose", "xenon"}) {
        const std::string example = SourceFile(std::string("examples/") + name + ".dat");
        const ProgramRun run = RunProgram(folder.path(), {"--save", "out.dat", example});
        EXPECT_EQ(run.status, kExitWritten) << name << ": " << run.err;
        EXPECT_EQ(run.err, "") << name;
        EXPECT_EQ(ReadFileOrEmpty(folder.File("out.dat")), ReadFileOrEmpty(example)) << name;
    }
}

TEST_F(HeadlessSaveTest, CheckPrintsWhatItFindsAndExitsByIt) {
    WriteFileOrFail(folder.File("pair.dat"), "[Pair]\n(0)C{}[0,0,0]\n(1)C{}[10,0,0]\n");
    ProgramRun run = RunProgram(folder.path(), {"--check", "pair.dat"});
    EXPECT_EQ(run.status, kExitFileError);
    EXPECT_EQ(run.out,
              "Atoms 0 (C) and 1 (C) are 0.19 \u00c5 apart, closer than half their covalent "
              "radii (0.76 \u00c5).\nThe molecule is in 2 unconnected fragments.\n");
    run = RunProgram(folder.path(), {"--check", SourceFile("examples/water.dat")});
    EXPECT_EQ(run.status, kExitWritten);
    EXPECT_EQ(run.out, "No problems found.\n");
    run = RunProgram(folder.path(), {"--check", "pair.dat", "--save", "out.dat"});
    EXPECT_EQ(run.status, kExitUsage);
}

TEST_F(HeadlessSaveTest, ExitStatusesAndMessages) {
    // Unknown elements are reported, one line each, and the rest is saved.
    WriteFileOrFail(folder.File("odd.dat"), "[Odd]\n(0)Qq{}\n(1)C{}[1,2,3]\n(2)Zz{}\n");
    ProgramRun run = RunProgram(folder.path(), {"--save", "odd-out.dat", "odd.dat"});
    EXPECT_EQ(run.status, kExitWritten);
    EXPECT_EQ(run.err, "Load error: Unrecognised Element\nLoad error: Unrecognised Element\n");
    EXPECT_EQ(ReadFileOrEmpty(folder.File("odd-out.dat")),
              "# Molecule created using Tessaril\n[Odd]\n{---}\n(0)C{}[1,2,3]\n");

    run = RunProgram(folder.path(), {"--save", "out.dat", "missing.dat"});
    EXPECT_EQ(run.status, kExitFileError);
    EXPECT_EQ(run.err, "File Error!: Unable to open file missing.dat!\n");

    run = RunProgram(folder.path(), {"--save", "no-folder/out.dat", "odd.dat"});
    EXPECT_EQ(run.status, kExitFileError);
    EXPECT_EQ(run.err,
              "Load error: Unrecognised Element\nLoad error: Unrecognised Element\n"
              "File Error!: Unable to open file no-folder/out.dat!\n");

    run = RunProgram(folder.path(), {"--save", "out.dat"});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("usage: tessaril"), std::string::npos);

    run = RunProgram(folder.path(), {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--save OUT FILE"), std::string::npos);

    // Without an element table nothing is loaded or written.
    WriteFileOrFail(folder.File("Tessaril.ini"), "@Cohesion=50\n");
    run = RunProgram(folder.path(), {"--save", "empty-out.dat", "odd.dat"});
    EXPECT_EQ(run.status, kExitNoElements);
    EXPECT_EQ(ReadFileOrEmpty(folder.File("empty-out.dat")), "");
    unlink(folder.File("Tessaril.ini").c_str());
    run = RunProgram(folder.path(), {"--save", "empty-out.dat", "odd.dat"});
    EXPECT_EQ(run.status, kExitNoElements);
    EXPECT_EQ(run.err, "File Error!: Unable to open file " + folder.File("Tessaril.ini") + "!\n");
}

// Qt's offscreen platform hosts no OpenGL view: the window program says so
// and ends with its no-window status, without touching X.
TEST_F(HeadlessSaveTest, WindowProgramEndsCleanlyWhereNoViewCanShow) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const ProgramRun run = RunProgram(folder.path(), {SourceFile("examples/caffeine.dat")});
    unsetenv("QT_QPA_PLATFORM");
    EXPECT_EQ(run.status, kExitWritten) << run.err;
    EXPECT_NE(run.err.find("offers the window no OpenGL"), std::string::npos) << run.err;
}

// Conversions between the formats, each output read back by the program.
TEST_F(HeadlessSaveTest, ExportConvertsAnySupportedInput) {
    const std::string pdb = SourceFile("tests/data/caffeine.pdb");
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* output;
        const char* start;  // of the output file, or of stderr when it is not written
    } cases[] = {
        {{"--export", "a.sdf", pdb}, 0, "a.sdf", "caffeine\n"},
        {{"--save", "b.dat", pdb}, 0, "b.dat", "# Molecule created using Tessaril\n[caffeine]\n"},
        {{"--save", "i.sdf", "b.dat"}, 0, "i.sdf", "caffeine\n"},  // the name's format
        {{"--export", "j.dat", "i.sdf"},
         0,
         "j.dat",
         "# Molecule created using Tessaril\n[caffeine]\n"},
        {{"--export", "c.mol2", "b.dat"}, 0, "c.mol2", "@<TRIPOS>MOLECULE\ncaffeine\n"},
        {{"--export", "d.xyz", "c.mol2"}, 0, "d.xyz", "24\ncaffeine\n"},
        {{"--export", "e.hpr", "--smiles", "C#N"}, 0, "e.hpr", "# Molecule created"},
        {{"--export", "f.pdb", "missing.sdf"},
         1,
         "f.pdb",
         "Import error: Unable to open file missing.sdf!\n"},
        {{"--export", "g.pdb", "--smiles", "C1CC"}, 1, "g.pdb", "Import error: Unable to build"},
        {{"--export", "h.sdf", "a.dat"}, 1, "h.sdf", "File Error!"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunProgram(folder.path(), c.arguments);
        EXPECT_EQ(run.status, c.status) << c.output << ": " << run.err;
        const std::string written = ReadFileOrEmpty(folder.File(c.output));
        EXPECT_EQ((c.status == 0 ? written : run.err).rfind(c.start, 0), 0u)
            << c.output << ": " << written << run.err;
        if (c.status != 0) {
            EXPECT_EQ(written, "") << c.output;
        }
    }
    ResetProcessState();
    ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
    ParseMoleculeText(ReadFileOrEmpty(folder.File("b.dat")));
    EXPECT_EQ(NodeCount(), 24);
    EXPECT_EQ(molecule.formula, "C8H10N4O2");
}

TEST_F(HeadlessSaveTest, StepsSettleEveryExampleNearItsIdealLinkLengths) {
    ResetProcessState();
    ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), settings, elementTable);
    for (const char* name :
         {"acetic-acid", "ammonia", "aspirin", "benzene", "caffeine", "carbon-dioxide", "ethanol",
          "ethyne", "glucose", "methane", "nitrite", "sodium-chloride", "water", "xenon"}) {
        const std::string example = SourceFile(std::string("examples/") + name + ".dat");
        const ProgramRun run =
            RunProgram(folder.path(), {"--steps", "3000", "--save", "out.dat", example});
        ASSERT_EQ(run.status, kExitWritten) << name << ": " << run.err;
        ParseMoleculeText(ReadFileOrEmpty(folder.File("out.dat")));
        std::string why;
        EXPECT_TRUE(MoleculeIsConsistent(&why)) << name << ": " << why;
        ParseMoleculeText(ReadFileOrEmpty(example));
        const Molecule before = molecule;
        ParseMoleculeText(ReadFileOrEmpty(folder.File("out.dat")));
        ASSERT_EQ(NodeCount(), static_cast<int>(before.nodes.size())) << name;
        for (const Node& node : molecule.nodes)
            for (size_t k = 0; k < node.neighbours.size(); ++k) {
                const Node& other = molecule.nodes[node.neighbours[k]];
                const float ideal = node.element->radius + other.element->radius +
                                    15.0f / static_cast<float>(node.linkOrders[k]) + 15.0f;
                const float length = std::hypot(node.position.x - other.position.x,
                                                node.position.y - other.position.y,
                                                node.position.z - other.position.z);
                // The pull of every other atom keeps links a little long.
                EXPECT_NEAR(length / ideal, 1.0f, 0.25f) << name << " node " << node.id;
            }
    }
}

}  // namespace
