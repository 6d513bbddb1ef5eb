// Fonts and text: the glyph lists and their measures, the overlay's wording,
// and where the overlay, the title and the atom labels appear in a frame.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "element.h"
#include "fonts.h"
#include "molecule.h"
#include "overlay.h"
#include "picture.h"
#include "render_support.h"
#include "settings.h"
#include "settings_file.h"
#include "text.h"
#include "view_state.h"

namespace {

const Colour kText{0.7f, 0.7f, 0.7f, 1};  // the default TextColour
// The credit line stands in every frame, below this row.
constexpr int kCreditTop = kViewHeight - 30;

TEST(OverlayText, HoverLinesAndCharges) {
    struct Case {
        int group;
        char letter;
        float mass;
        const char *periodLine, *massLine;
    };
    const Case cases[] = {
        {8, ' ', 55.845f, "Period 4, Group VIII ", "Mass = 55.845 amu"},
        {0, 'A', 1.5f, "Period 4, Group OA", "Mass = 1.5 amu"},
        {12, 'B', 1.0f, "Period 4, Group B", "Mass = 1 amu"},
    };
    Element element;
    element.name = "Iron";
    element.period = 4;
    Node node;
    node.element = &element;
    node.neighbours = {1, 2};  // a double link and a single: two bonds
    node.linkOrders = {2, 1};
    for (const Case& c : cases) {
        element.group = c.group;
        element.groupLetter = c.letter;
        element.mass = c.mass;
        const std::array<std::string, 4> expected = {"Iron", c.periodLine, c.massLine,
                                                     "#Bonds = 2"};
        EXPECT_EQ(HoverLines(node), expected);
    }
    EXPECT_EQ(ChargeText(0), "");
    EXPECT_EQ(ChargeText(2), "2+");
    EXPECT_EQ(ChargeText(-2), "2-");
    EXPECT_EQ(ChargeText(INT_MIN), "2147483648-");
}

class TextTest : public RenderTest {
protected:
    void AddAtom() {
        settings.Specular = false;
        AddNode(AddElement(20, {0, 0, 1, 1}), {0, 0, 0});
    }
    void NoTitle() {
        molecule.name.clear();
        molecule.formula.clear();
    }
};

TEST_F(TextTest, GlyphListsHaveEmHeightOneAndAdvanceThePen) {
    EXPECT_NEAR(fonts.glyphMetrics['H'].blackBoxY, 0.73f, 0.08f);  // a sans face's cap height
    EXPECT_GT(fonts.glyphMetrics['W'].cellIncX, fonts.glyphMetrics['i'].cellIncX);
    EXPECT_GT(fonts.glyphMetrics[0xE9].cellIncX, 0.3f);  // Latin-1 e acute
    for (int code : {0, 9, 255}) {                       // NUL, tab and the reserved last code
        EXPECT_EQ(fonts.glyphMetrics[code].cellIncX, 0.0f) << code;
        EXPECT_EQ(fonts.glyphMetrics[code].blackBoxY, 0.0f) << code;
    }
    glLoadIdentity();
    glCallList(fonts.outlineBase + 'W');
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], fonts.glyphMetrics['W'].cellIncX);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextTest, OutlineGlyphKeepsItsHoleAndIsSolidFromBehind) {
    // 400 pixels to the em, seen along -z, or mirrored along +z.
    auto draw = [](bool fromBehind) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(fromBehind ? -1.5 : 0, fromBehind ? 0 : 1.5, -0.25, 0.75, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (fromBehind) glRotatef(180, 0, 1, 0);
        glColor3f(1, 1, 1);
        glCallList(fonts.outlineBase + 'O');
        glFinish();
    };
    const GlyphMetrics& o = fonts.glyphMetrics['O'];
    const int row = static_cast<int>((0.75f - o.originY + 0.5f * o.blackBoxY) * 400);
    const int stroke = static_cast<int>((o.originX + 0.04f) * 400);
    const int hole = static_cast<int>((o.originX + 0.5f * o.blackBoxX) * 400);
    const Colour white{1, 1, 1, 1}, black{0, 0, 0, 1};
    draw(false);
    EXPECT_TRUE(NearColour(Pixel(stroke, row), white));
    EXPECT_TRUE(NearColour(Pixel(hole, row), black));
    EXPECT_NEAR(Depth(stroke, row), 0.5f, 1e-3f);  // the front face at z = 0
    draw(true);
    EXPECT_TRUE(NearColour(Pixel(kViewWidth - stroke, row), white));
    EXPECT_TRUE(NearColour(Pixel(kViewWidth - hole, row), black));
    EXPECT_NEAR(Depth(kViewWidth - stroke, row), 0.45f, 1e-3f);  // the back face at z = -0.1
}

TEST_F(TextTest, MissingFontIsReportedAndItsTextDrawsNothing) {
    EXPECT_EQ(SetupBitmapFont({"/nonexistent/font.ttf", 0}),
              (Notice{"Error - could not setup font bitmaps", "Error!"}));
    EXPECT_EQ(SetupOutlineFont({"", 0}),
              (Notice{"Error - could not setup font outlines", "Error!"}));
    EXPECT_EQ(fonts.glyphMetrics['W'].cellIncX, 0.0f);
    AddAtom();
    viewState.labelMode = 1;
    Frame(kCentreX, kCentreY);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(InkOf(kText, 0, 0, kViewWidth, kViewHeight).count, 0);
}

TEST_F(TextTest, ElementLinesAtTheTopLeftWhileHoveredAndTheCreditAtTheBottomRight) {
    AddAtom();
    NoTitle();
    Frame();
    EXPECT_EQ(InkOf(kText, 0, 0, kViewWidth, kCreditTop).count, 0);
    const Ink credit = InkOf(kText, 0, kCreditTop, kViewWidth, kViewHeight);
    EXPECT_GE(credit.left, kViewWidth - 150);
    EXPECT_GT(credit.right, kViewWidth - 40);
    EXPECT_LT(credit.right, kViewWidth);
    EXPECT_NEAR(credit.bottom, kViewHeight - 16, 3);  // baseline 15 pixels above the bottom

    Frame(kCentreX, kCentreY);
    ASSERT_EQ(molecule.hoverNode, 0);
    for (int line = 0; line < 4; ++line) {  // one every 15 pixels
        const Ink ink = InkOf(kText, 0, 15 * line + 4, 250, 15 * line + 15);
        EXPECT_GT(ink.count, 20) << "line " << line;
        EXPECT_NEAR(ink.left, 5, 2) << "line " << line;
    }
    EXPECT_EQ(InkOf(kText, 0, 64, kViewWidth, kCreditTop).count, 0);

    settings.InvertColours = true;
    Frame(kCentreX, kCentreY);
    EXPECT_GT(InkOf({0.3f, 0.3f, 0.3f, 1}, 0, 0, 250, 64).count, 80);
}

TEST_F(TextTest, TitleIsCentredNearTheTopWithLoweredDigitsAndAbsentWhenEmpty) {
    molecule.name = "Caffeine";
    molecule.formula = "CH";
    Frame();
    // The name's baseline lies 20 pixels down, the formula's 20 further.
    const Ink name = InkOf(kText, 0, 0, kViewWidth, 22);
    const Ink plain = InkOf(kText, 0, 22, kViewWidth, 60);
    EXPECT_NEAR(name.bottom, 19, 2);
    EXPECT_NEAR(plain.bottom, 39, 2);
    EXPECT_NEAR((name.left + name.right) / 2.0, kCentreX, 3);
    EXPECT_NEAR((plain.left + plain.right) / 2.0, kCentreX, 3);
    molecule.formula = "C8";
    Frame();
    const Ink subscript = InkOf(kText, 0, 22, kViewWidth, 60);
    EXPECT_NEAR(subscript.bottom, 39 + 7, 2);
    EXPECT_NEAR((subscript.left + subscript.right) / 2.0, kCentreX, 3);
    NoTitle();
    Frame();
    EXPECT_EQ(InkOf(kText, 0, 0, kViewWidth, kCreditTop).count, 0);
}

// On a display of twice the pixels the element lines are twice as large.
TEST_F(TextTest, OverlayGrowsWithThePixelRatio) {
    AddAtom();
    NoTitle();
    Frame(kCentreX, kCentreY);
    const Ink one = InkOf(kText, 0, 0, 300, 150);
    Frame(kCentreX, kCentreY, 2);
    EXPECT_EQ(molecule.hoverNode, 0);
    const Ink two = InkOf(kText, 0, 0, 300, 150);
    EXPECT_NEAR(two.bottom, 2 * one.bottom, 4);
    EXPECT_NEAR(two.right, 2 * one.right, 10);
}

// The hover cage is drawn in line mode; no pixel of the title (right of the
// element lines) drawn without a hover is left dark with one.
TEST_F(TextTest, TitleStaysSolidWhileAnAtomIsHovered) {
    AddAtom();
    molecule.name = "Xenon";
    Frame();
    const Image plain = ReadFrameImage(kViewWidth, kViewHeight);
    Frame(kCentreX, kCentreY);
    const Image hovered = ReadFrameImage(kViewWidth, kViewHeight);
    int emptied = 0;
    for (size_t at = 0; at < kViewWidth * 25 * 3; ++at)
        emptied += at % (kViewWidth * 3) >= 600 && plain.rgb[at] > 150 && hovered.rgb[at] < 50;
    EXPECT_EQ(emptied, 0);
}

TEST_F(TextTest, LabelsStandAtTheAtomInTheTextColour) {
    AddAtom();
    NoTitle();
    auto inkAtAtom = [&] {
        Frame();
        return InkOf(kText, 100, 100, 500, 300);
    };
    EXPECT_EQ(inkAtAtom().count, 0);
    viewState.labelMode = 1;
    const Ink symbol = inkAtAtom();
    EXPECT_GT(symbol.count, 50);
    EXPECT_NEAR((symbol.left + symbol.right) / 2.0, kCentreX, 3);
    EXPECT_NEAR(symbol.bottom, kCentreY - 1, 2);  // on the baseline through the atom's centre
    viewState.labelMode = 2;                      // "Testium"
    const Ink name = inkAtAtom();
    EXPECT_GT(name.right - name.left, 2 * (symbol.right - symbol.left));
    viewState.labelMode = 0;
    molecule.nodes[0].charge = -2;
    const Ink charge = inkAtAtom();
    EXPECT_GT(charge.count, 50);
    EXPECT_LT(charge.bottom, kCentreY - 18);  // above the atom
    EXPECT_NEAR((charge.left + charge.right) / 2.0, kCentreX, 3);
}

TEST_F(TextTest, TextSizeChangesOnlyTheLabels) {
    AddAtom();
    molecule.nodes[0].charge = 1;
    molecule.formula = "C8H10";
    viewState.labelMode = 1;
    auto frameAt = [&](float size) {
        viewState.textSize = size;
        Frame(kCentreX, kCentreY);
        return ReadFrameImage(kViewWidth, kViewHeight);
    };
    const Image tiny = frameAt(1.5f);
    const int tinyInk = InkOf(kText, 0, 80, kViewWidth, 350).count;
    const Image huge = frameAt(8.0f);
    const Ink hugeInk = InkOf(kText, 0, 80, kViewWidth, 350);
    EXPECT_GT(hugeInk.count, 4 * tinyInk);
    // Label and charge stay within 60 pixels of the atom's centre and 150 above it.
    auto nearAtom = [](int x, int y) {
        return std::abs(x - kCentreX) <= 60 && y >= kCentreY - 150 && y <= kCentreY + 30;
    };
    EXPECT_TRUE(nearAtom(hugeInk.left, hugeInk.top) && nearAtom(hugeInk.right, hugeInk.bottom));
    int changedElsewhere = 0;
    for (int y = 0; y < kViewHeight; ++y)
        for (int x = 0; x < kViewWidth; ++x) {
            const size_t at = (static_cast<size_t>(y) * kViewWidth + x) * 3;
            changedElsewhere += !nearAtom(x, y) && (tiny.rgb[at] != huge.rgb[at] ||
                                                    tiny.rgb[at + 2] != huge.rgb[at + 2]);
        }
    EXPECT_EQ(changedElsewhere, 0);
}

// With the shipped colours and default settings a symbol label stands out
// from what lies around it on every common element: its glyph pixels and the
// pixels touching them differ by at least 60 levels of luminance (of 255).
TEST_F(TextTest, LabelsAreReadableOnEveryCommonElementColour) {
    Settings shipped;
    ElementTable table;
    ParseSettingsText(ReadFileOrEmpty(SourceFile("Tessaril.ini")), shipped, table);
    ASSERT_GT(table.size(), 26u);
    for (const char* symbol : {"H", "C", "N", "O", "S", "P", "Cl", "Fe"}) {
        ResetProcessState();
        elementTable = table;
        NoTitle();
        viewState.labelMode = 1;
        Node node;
        node.element = FindElement(symbol);
        ASSERT_TRUE(node.element) << symbol;
        AppendNode(node);
        Frame();
        const int box = 40;
        const int left = kCentreX - box, top = kCentreY - box, size = 2 * box;
        std::vector<GLfloat> rgb(size * size * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(left, kViewHeight - top - size, size, size, GL_RGB, GL_FLOAT, rgb.data());
        auto at = [&](int x, int y) { return &rgb[((size - 1 - y) * size + x) * 3]; };
        auto luminance = [&](int x, int y) {
            const GLfloat* p = at(x, y);
            return 255 * (0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]);
        };
        auto glyph = [&](int x, int y) {
            const GLfloat* p = at(x, y);
            return NearColour({p[0], p[1], p[2], 1}, settings.TextColour);
        };
        double glyphSum = 0, besideSum = 0;
        int glyphs = 0, beside = 0;
        for (int y = 1; y < size - 1; ++y)
            for (int x = 1; x < size - 1; ++x) {
                if (glyph(x, y)) {
                    glyphSum += luminance(x, y);
                    ++glyphs;
                    continue;
                }
                bool touches = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) touches = touches || glyph(x + dx, y + dy);
                if (!touches) continue;
                besideSum += luminance(x, y);
                ++beside;
            }
        ASSERT_GT(glyphs, 20) << symbol;
        EXPECT_GE(std::fabs(glyphSum / glyphs - besideSum / beside), 60) << symbol;
    }
}

}  // namespace
