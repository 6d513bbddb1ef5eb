// The command line of the headless picture mode: its options and one run
// from Tessaril.ini and a molecule file to a PNG.
#include <cmath>
#include <filesystem>
#include <tuple>

#include "command_line.h"
#include "molecule.h"
#include "png_decode.h"
#include "process_state.h"
#include "prompts_fake.h"

namespace {

class RenderCommandTest : public FreshProcessTest {};

TEST_F(RenderCommandTest, ParsesThePictureOptions) {
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--render", "out.png"}, line, error)) << error;
    EXPECT_EQ(line.mode, CommandLine::Mode::Render);
    EXPECT_EQ(line.outputPath, "out.png");
    EXPECT_TRUE(line.inputPath.empty());
    EXPECT_EQ(line.pictureWidth, 600);
    EXPECT_EQ(line.pictureHeight, 400);
    EXPECT_FALSE(line.pointerGiven);

    ASSERT_TRUE(ParseCommandLine(
        {"--size", "800x600", "--render", "a.png", "water.dat", "--mouse", "-5,20", "--steps", "7"},
        line, error))
        << error;
    EXPECT_EQ(line.mode, CommandLine::Mode::Render);
    EXPECT_EQ(line.inputPath, "water.dat");
    EXPECT_EQ(line.pictureWidth, 800);
    EXPECT_EQ(line.pictureHeight, 600);
    EXPECT_TRUE(line.pointerGiven);
    EXPECT_EQ(line.mouseX, -5);
    EXPECT_EQ(line.mouseY, 20);
    EXPECT_EQ(line.steps, 7);
    EXPECT_EQ(line.labelMode, 0);
    EXPECT_FLOAT_EQ(line.textSize, 4.0f);

    const std::tuple<const char*, int, const char*, float> cases[] = {{"none", 0, "tiny", 1.5f},
                                                                      {"symbols", 1, "small", 2.5f},
                                                                      {"names", 2, "normal", 4.0f},
                                                                      {"names", 2, "large", 6.0f},
                                                                      {"symbols", 1, "huge", 8.0f}};
    for (const auto& [labels, mode, textSize, size] : cases) {
        ASSERT_TRUE(ParseCommandLine(
            {"--render", "a.png", "--labels", labels, "--text-size", textSize}, line, error));
        EXPECT_EQ(line.labelMode, mode) << labels;
        EXPECT_FLOAT_EQ(line.textSize, size) << textSize;
    }
}

TEST_F(RenderCommandTest, RejectsMalformedPictureOptions) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--render"},
        {"--render", "a.png", "--render", "b.png"},
        {"--render", "a.png", "--save", "b.dat", "c.dat"},
        {"--render", "a.png", "--size"},
        {"--render", "a.png", "--size", "0x400"},
        {"--render", "a.png", "--size", "600x400x2"},
        {"--render", "a.png", "--mouse", "10"},
        {"--size", "600x400", "water.dat"},
        {"--mouse", "1,2", "water.dat"},
        {"--steps", "5", "water.dat"},
        {"--render", "a.png", "--labels"},
        {"--render", "a.png", "--labels", "Symbols"},
        {"--render", "a.png", "--text-size", "4"},
        {"--render", "a.png", "--text-size", "medium"},
        {"--labels", "names", "water.dat"},
        {"--text-size", "huge", "water.dat"},
    };
    for (const auto& arguments : wrong) {
        CommandLine line;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(arguments, line, error)) << arguments.back();
        EXPECT_FALSE(error.empty());
    }
}

// Runs with the working directory in a fresh folder holding the shipped
// Tessaril.ini, as the program would be started there.
class RenderRunTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        previous_ = std::filesystem::current_path();
        std::filesystem::copy_file(SourceFile("Tessaril.ini"), folder_.File("Tessaril.ini"));
        std::filesystem::current_path(folder_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    CommandLine RenderLine(const std::vector<std::string>& arguments) {
        CommandLine line;
        std::string error;
        EXPECT_TRUE(ParseCommandLine(arguments, line, error)) << error;
        return line;
    }

    TemporaryFolder folder_;
    std::filesystem::path previous_;
};

TEST_F(RenderRunTest, DrawsTheLoadedMoleculeWithTheSettingsColours) {
    // Inverted colours turn the shipped black background white.
    std::string ini = ReadFileOrEmpty("Tessaril.ini");
    const size_t at = ini.find("@InvertColours=0");
    ASSERT_NE(at, std::string::npos);
    ini.replace(at, 16, "@InvertColours=1");
    WriteFileOrFail("Tessaril.ini", ini);
    WriteFileOrFail("xenon.dat", "[Xenon]\n{Xe}\n(0)Xe{}[0,0,0]\n");

    const CommandLine line =
        RenderLine({"--render", "xenon.png", "--size", "120x80", "--mouse", "60,40", "xenon.dat"});
    ASSERT_EQ(RunRender(line), kExitWritten);
    EXPECT_TRUE(fakePrompts.shown.empty());
    EXPECT_EQ(NodeCount(), 1);
    EXPECT_EQ(molecule.hoverNode, 0);

    DecodedPng image;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty("xenon.png"), image));
    EXPECT_EQ(image.width, 120);
    EXPECT_EQ(image.height, 80);
    const unsigned char* corner = image.At(0, 0);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 3 * 255);
    EXPECT_LT(image.At(60, 40)[0], 250);  // the atom, not the background
}

TEST_F(RenderRunTest, LabelsAndTheHoveredElementAreDrawnAsTheWindowWould) {
    WriteFileOrFail("xenon.dat", "[]\n{}\n(0)Xe{}[0,0,0]\n");
    ASSERT_EQ(RunRender(RenderLine({"--render", "xenon.png", "--labels", "names", "--text-size",
                                    "small", "--mouse", "300,200", "xenon.dat"})),
              kExitWritten);
    EXPECT_TRUE(fakePrompts.shown.empty());  // both fonts were found
    DecodedPng image;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty("xenon.png"), image));
    // Pixels of the shipped text colour, 0.7 grey, in a rectangle.
    auto textPixels = [&](int left, int top, int right, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const unsigned char* p = image.At(x, y);
                count += p[0] >= 176 && p[0] <= 181 && p[1] == p[0] && p[2] == p[0];
            }
        return count;
    };
    EXPECT_GT(textPixels(0, 0, 200, 64), 100);      // the element's lines
    EXPECT_GT(textPixels(200, 150, 400, 250), 50);  // the name across the atom
}

TEST_F(RenderRunTest, WithoutAFileDrawsTheEmptyMolecule) {
    ASSERT_EQ(RunRender(RenderLine({"--render", "empty.png"})), kExitWritten);
    DecodedPng image;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty("empty.png"), image));
    EXPECT_EQ(image.width, 600);
    EXPECT_EQ(image.height, 400);
    const unsigned char* centre = image.At(300, 200);
    EXPECT_EQ(centre[0] + centre[1] + centre[2], 0);
}

TEST_F(RenderRunTest, StepsRunTheLayoutBeforeTheFrame) {
    // Two linked carbons far beyond their ideal link length.
    WriteFileOrFail("pair.dat", "[Pair]\n{C2}\n(0)C{1}[-100,0,0]\n(1)C{0}[100,0,0]\n");
    auto distance = [] {
        const Vector3& a = molecule.nodes[0].position;
        const Vector3& b = molecule.nodes[1].position;
        return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
    };
    ASSERT_EQ(RunRender(RenderLine({"--render", "still.png", "pair.dat"})), kExitWritten);
    ASSERT_EQ(NodeCount(), 2);
    EXPECT_FLOAT_EQ(distance(), 200.0f);
    ASSERT_EQ(RunRender(RenderLine({"--render", "moved.png", "--steps", "50", "pair.dat"})),
              kExitWritten);
    ASSERT_EQ(NodeCount(), 2);
    EXPECT_LT(distance(), 190.0f);
}

TEST_F(RenderRunTest, FailuresGiveTheHeadlessExitStatuses) {
    EXPECT_EQ(RunRender(RenderLine({"--render", "a.png", "missing.dat"})), kExitFileError);
    EXPECT_FALSE(std::filesystem::exists("a.png"));
    EXPECT_EQ(RunRender(RenderLine({"--render", "no-such-folder/a.png"})), kExitFileError);
    EXPECT_EQ(RunRender(RenderLine({"--render", "b.png", "--size", "100000x10"})), kExitNoContext);
    WriteFileOrFail("Tessaril.ini", "@DetailLevel=20\n");
    ResetProcessState();
    EXPECT_EQ(RunRender(RenderLine({"--render", "c.png"})), kExitNoElements);
    EXPECT_FALSE(std::filesystem::exists("c.png"));
}

}  // namespace
