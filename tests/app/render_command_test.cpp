// The command line of the headless picture mode: its options and one run
// from Tessaril.ini and a molecule file to a PNG.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <tuple>

#include "camera.h"
#include "command_line.h"
#include "molecule.h"
#include "png_decode.h"
#include "process_state.h"
#include "prompts_fake.h"
#include "view_state.h"

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

    EXPECT_FALSE(line.fit);
    EXPECT_FALSE(line.turnGiven);
    EXPECT_EQ(line.repeat, 1);
    ASSERT_TRUE(ParseCommandLine(
        {"--render", "a.png", "--fit", "--turn", "-30.5,400", "--repeat", "12"}, line, error))
        << error;
    EXPECT_TRUE(line.fit);
    EXPECT_TRUE(line.turnGiven);
    EXPECT_FLOAT_EQ(line.turnYaw, -30.5f);
    EXPECT_FLOAT_EQ(line.turnPitch, 400.0f);
    EXPECT_EQ(line.repeat, 12);
    ASSERT_TRUE(
        ParseCommandLine({"--render", "a.png", "--scale", "2.5", "--dpi", "300"}, line, error))
        << error;
    EXPECT_FLOAT_EQ(line.lineScale, 2.5f);
    EXPECT_EQ(line.dpi, 300);

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
        {"--render", "a.png", "--turn", "90"},
        {"--render", "a.png", "--turn", "90,nan"},
        {"--render", "a.png", "--turn", "1e39,0"},
        {"--render", "a.png", "--repeat", "0"},
        {"--render", "a.png", "--repeat", "-2"},
        {"--fit", "water.dat"},
        {"--turn", "10,20", "water.dat"},
        {"--repeat", "2", "water.dat"},
        {"--render", "a.png", "--scale", "0"},
        {"--render", "a.png", "--scale", "nan"},
        {"--render", "a.png", "--scale", "2,5"},
        {"--render", "a.png", "--dpi", "0"},
        {"--render", "a.png", "--dpi", "72.5"},
        {"--scale", "2", "water.dat"},
        {"--dpi", "300", "water.dat"},
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

// Every shipped example, a molecule far too big for the reset camera and one
// whose fitted eye lies beyond the usual far plane, fitted into a wide and a
// tall picture: every atom's drawn sphere inside the picture and drawn there,
// and where the eye had to move back, the molecule reaching close to the
// picture's edge.
TEST_F(RenderRunTest, FitFramesEveryExample) {
    std::string big = "[Big]\n{}\n";
    for (int i = 0; i < 60; ++i)
        big += "(" + std::to_string(i) + ")C{}[" + std::to_string((i * 37) % 900 - 450) + "," +
               std::to_string((i * 53) % 700 - 350) + "," + std::to_string((i * 71) % 500 - 250) +
               "]\n";
    WriteFileOrFail("big.dat", big);
    WriteFileOrFail("far.dat", "[Far]\n{}\n(0)C{}[-7800,0,0]\n(1)O{}[7800,0,0]\n");
    std::vector<std::string> files = {"big.dat", "far.dat"};
    for (const auto& entry : std::filesystem::directory_iterator(SourceFile("examples")))
        files.push_back(entry.path().string());
    ASSERT_GT(files.size(), 10u);
    for (const auto& [width, height] : {std::pair{600, 400}, std::pair{200, 500}}) {
        for (const std::string& file : files) {
            ResetProcessState();
            ASSERT_EQ(
                RunRender(RenderLine({"--render", "fit.png", "--fit", "--turn", "20,-35", "--size",
                                      std::to_string(width) + "x" + std::to_string(height), file})),
                kExitWritten)
                << file;
            ASSERT_GT(NodeCount(), 0) << file;
            const Matrix4 camera = CameraMatrix();
            const Matrix4 projection = ProjectionMatrix(width, height);
            const double across = 1.0 / projection.m[0], up = 1.0 / projection.m[5];
            DecodedPng picture;
            ASSERT_TRUE(DecodePng(ReadFileOrEmpty("fit.png"), picture));
            double fullest = 0;  // the largest share of the view an atom reaches
            for (const Node& node : molecule.nodes) {
                const Vector3 e = TransformPoint(camera, node.position);
                const double r = viewState.atomScale * node.element->radius;
                const double depth = -e.z;
                EXPECT_GT(depth - r, 20.0) << file;
                const double x = (std::fabs(e.x) + r * std::hypot(1.0, across)) / (across * depth);
                const double y = (std::fabs(e.y) + r * std::hypot(1.0, up)) / (up * depth);
                EXPECT_LE(x, 1.0) << file << " " << width << "x" << height;
                EXPECT_LE(y, 1.0) << file << " " << width << "x" << height;
                fullest = std::max({fullest, x, y});
                // The centre's pixel shows this atom or one in front of it.
                const int column = static_cast<int>(width * (1.0 + e.x / (across * depth)) / 2.0);
                const int row = static_cast<int>(height * (1.0 - e.y / (up * depth)) / 2.0);
                EXPECT_NE(std::memcmp(picture.At(column, row), picture.At(0, height - 1), 3), 0)
                    << file << " atom " << node.id << " not drawn";
            }
            const Vector3& eye = viewState.eye;
            if (std::hypot(eye.x, eye.y, eye.z) > 500.5f) {
                EXPECT_GT(fullest, 0.9) << file;
            }
        }
    }
}

// A turn of the model draws what the same molecule turned in its file draws.
TEST_F(RenderRunTest, TurnDrawsTheModelTurned) {
    const Vector3 atoms[] = {{80, 0, 0}, {0, 60, 0}, {0, 0, 70}};
    const char* const symbols[] = {"C", "O", "N"};
    const Matrix4 turn = Rotate(Rotate(IdentityMatrix(), -35, 1, 0, 0), 20, 0, 1, 0);
    std::string plain = "[Three]\n{}\n", turned = plain;
    for (int i = 0; i < 3; ++i) {
        const Vector3 q = TransformPoint(turn, atoms[i]);
        char line[128];
        std::snprintf(line, sizeof line, "(%d)%s{}[%g,%g,%g]\n", i, symbols[i], atoms[i].x,
                      atoms[i].y, atoms[i].z);
        plain += line;
        std::snprintf(line, sizeof line, "(%d)%s{}[%.5f,%.5f,%.5f]\n", i, symbols[i], q.x, q.y,
                      q.z);
        turned += line;
    }
    WriteFileOrFail("plain.dat", plain);
    WriteFileOrFail("turned.dat", turned);
    auto picture = [&](const std::vector<std::string>& arguments) {
        EXPECT_EQ(RunRender(RenderLine(arguments)), kExitWritten);
        DecodedPng image;
        EXPECT_TRUE(DecodePng(ReadFileOrEmpty(arguments[1]), image));
        return image;
    };
    const DecodedPng byTurn = picture({"--render", "a.png", "--turn", "20,-35", "plain.dat"});
    const DecodedPng byFile = picture({"--render", "b.png", "turned.dat"});
    const DecodedPng unturned = picture({"--render", "c.png", "plain.dat"});
    auto differing = [](const DecodedPng& a, const DecodedPng& b) {
        int count = 0;
        for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); i += 3)
            count += std::abs(a.rgb[i] - b.rgb[i]) + std::abs(a.rgb[i + 1] - b.rgb[i + 1]) +
                         std::abs(a.rgb[i + 2] - b.rgb[i + 2]) >
                     24;
        return count;
    };
    EXPECT_LT(differing(byTurn, byFile), 100);
    EXPECT_GT(differing(byTurn, unturned), 2000);
}

// --dpi lands in the file's pHYs chunk; --scale widens the links, so more
// of the picture takes their colour.
TEST_F(RenderRunTest, ScaleWidensLinesAndDpiIsWrittenIntoTheFile) {
    WriteFileOrFail("pair.dat", "[Pair]\n{}\n(0)C{1}[-80,0,0]\n(1)C{0}[80,0,0]\n");
    auto linkPixels = [&](const std::vector<std::string>& arguments, int dpi) {
        EXPECT_EQ(RunRender(RenderLine(arguments)), kExitWritten);
        const std::string bytes = ReadFileOrEmpty(arguments[1]);
        EXPECT_EQ(PngDotsPerInch(bytes), dpi) << arguments[1];
        DecodedPng image;
        EXPECT_TRUE(DecodePng(bytes, image));
        int drawn = 0;  // pixels unlike the background of the corner
        for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
            drawn += std::memcmp(&image.rgb[i], image.At(0, 0), 3) != 0;
        return drawn;
    };
    const int plain = linkPixels({"--render", "a.png", "pair.dat"}, 0);
    const int wide =
        linkPixels({"--render", "b.png", "--scale", "6", "--dpi", "300", "pair.dat"}, 300);
    EXPECT_GT(wide, plain + 200);
    EXPECT_EQ(linkPixels({"--render", "c.png", "--dpi", "72", "pair.dat"}, 72), plain);
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
