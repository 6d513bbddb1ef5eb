// Fonts and text: the glyph lists and their measures, the overlay's wording,
// and where the overlay, the title and the atom labels appear in a frame.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>

#include "element.h"
#include "fonts.h"
#include "molecule.h"
#include "overlay.h"
#include "picture.h"
#include "prompts_fake.h"
#include "render_support.h"
#include "settings.h"
#include "text.h"
#include "view_state.h"

namespace {

constexpr int kCentreX = kViewWidth / 2;
constexpr int kCentreY = kViewHeight / 2;
const Colour kBlue{0, 0, 1, 1};
const Colour kText{0.7f, 0.7f, 0.7f, 1};  // the default TextColour
// The credit line stands in every frame, below this row.
constexpr int kCreditTop = kViewHeight - 30;

TEST(OverlayText, HoverLinesTellPeriodGroupMassAndBonds) {
    struct Case {
        int period, group;
        char letter;
        float mass;
        const char* periodLine;
        const char* massLine;
    };
    const Case cases[] = {
        {4, 8, ' ', 55.845f, "Period 4, Group VIII ", "Mass = 55.845 amu"},
        {2, 0, 'A', 1.5f, "Period 2, Group OA", "Mass = 1.5 amu"},
        {4, 12, 'B', 1.0f, "Period 4, Group B", "Mass = 1 amu"},
        {1, -1, 'A', 4.0f, "Period 1, Group A", "Mass = 4 amu"},
    };
    for (const Case& c : cases) {
        Element element;
        element.name = "Iron";
        element.period = c.period;
        element.group = c.group;
        element.groupLetter = c.letter;
        element.mass = c.mass;
        Node node;
        node.element = &element;
        // One double link and one single: two bonds.
        node.neighbours = {1, 2};
        node.linkOrders = {2, 1};
        const std::array<std::string, 4> lines = HoverLines(node);
        EXPECT_EQ(lines[0], "Iron");
        EXPECT_EQ(lines[1], c.periodLine);
        EXPECT_EQ(lines[2], c.massLine);
        EXPECT_EQ(lines[3], "#Bonds = 2");
    }
}

TEST(OverlayText, ChargesReadAsMagnitudeAndSign) {
    EXPECT_EQ(ChargeText(0), "");
    EXPECT_EQ(ChargeText(2), "2+");
    EXPECT_EQ(ChargeText(-2), "2-");
    EXPECT_EQ(ChargeText(INT_MIN), "2147483648-");
}

class TextTest : public RenderTest {
protected:
    int AddHoverableAtom() {
        settings.Specular = false;
        const int element = AddElement(20, kBlue);
        return AddNode(element, {0, 0, 0});
    }
    void NoTitle() {
        molecule.name.clear();
        molecule.formula.clear();
    }
};

TEST_F(TextTest, OutlineGlyphsHaveEmHeightOneAndEndByAdvancing) {
    EXPECT_NEAR(glyphMetrics['H'].blackBoxY, 0.73f, 0.08f);  // a sans face's cap height
    EXPECT_GT(glyphMetrics['W'].cellIncX, glyphMetrics['i'].cellIncX);
    EXPECT_GT(glyphMetrics[0xE9].cellIncX, 0.3f);  // Latin-1 e acute
    for (int code : {0, 9, 255}) {  // NUL, tab and the reserved last code
        EXPECT_EQ(glyphMetrics[code].cellIncX, 0.0f) << code;
        EXPECT_EQ(glyphMetrics[code].blackBoxY, 0.0f) << code;
    }

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(outlineFontBase + 'W');
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], glyphMetrics['W'].cellIncX);
    EXPECT_EQ(m[13], 0.0f);

    // Bitmap glyphs move the raster position on by their width.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    auto rasterAdvance = [](char c) {
        glRasterPos2f(0, 0);
        GLfloat before[4], after[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
        glCallList(bitmapFontBase + static_cast<unsigned char>(c));
        glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
        return after[0] - before[0];
    };
    EXPECT_GE(rasterAdvance('W'), 8.0f);
    EXPECT_LE(rasterAdvance('W'), 15.0f);
    EXPECT_EQ(rasterAdvance('\t'), 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextTest, OutlineGlyphKeepsItsHoleAndIsSolidFromBehind) {
    const GlyphMetrics& o = glyphMetrics['O'];
    // 400 pixels to the em; the glyph's lower left ink near the view's lower left.
    auto draw = [](bool fromBehind) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glDisable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        if (fromBehind)
            glOrtho(-1.5, 0, -0.25, 0.75, -1, 1);
        else
            glOrtho(0, 1.5, -0.25, 0.75, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (fromBehind) glRotatef(180, 0, 1, 0);
        glColor3f(1, 1, 1);
        glCallList(outlineFontBase + 'O');
        glFinish();
    };
    const float middleY = o.originY - 0.5f * o.blackBoxY;
    const int row = static_cast<int>((0.75f - middleY) * 400);
    const int stroke = static_cast<int>((o.originX + 0.04f) * 400);
    const int hole = static_cast<int>((o.originX + 0.5f * o.blackBoxX) * 400);
    const Colour white{1, 1, 1, 1}, black{0, 0, 0, 1};

    draw(false);
    EXPECT_TRUE(NearColour(Pixel(stroke, row), white));
    EXPECT_TRUE(NearColour(Pixel(hole, row), black));
    EXPECT_NEAR(Depth(stroke, row), 0.5f, 1e-3f);  // the front face at z = 0

    // Mirrored: the glyph's x runs leftwards from the right edge.
    draw(true);
    EXPECT_TRUE(NearColour(Pixel(kViewWidth - stroke, row), white));
    EXPECT_TRUE(NearColour(Pixel(kViewWidth - hole, row), black));
    EXPECT_NEAR(Depth(kViewWidth - stroke, row), 0.45f, 1e-3f);  // the back face at z = -0.1
}

TEST_F(TextTest, MissingFontIsReportedAndItsTextDrawsNothing) {
    EXPECT_FALSE(SetupBitmapFont({"/nonexistent/font.ttf", 0}));
    EXPECT_FALSE(SetupOutlineFont({"", 0}));
    const std::vector<ShownMessage> expected = {
        {"Error - could not setup font bitmaps", "Error!"},
        {"Error - could not setup font outlines", "Error!"}};
    EXPECT_EQ(fakePrompts.shown, expected);
    EXPECT_EQ(glyphMetrics['W'].cellIncX, 0.0f);

    AddHoverableAtom();
    viewState.labelMode = 1;
    Frame(kCentreX, kCentreY);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(InkOf(kText, 0, 0, kViewWidth, kViewHeight).count, 0);
}

TEST_F(TextTest, ElementLinesStandAtTheTopLeftOnlyWhileAnAtomIsHovered) {
    AddHoverableAtom();
    NoTitle();
    Frame();
    EXPECT_EQ(InkOf(kText, 0, 0, kViewWidth, kCreditTop).count, 0);

    Frame(kCentreX, kCentreY);
    ASSERT_EQ(molecule.hoverNode, 0);
    // One line every 15 pixels, each standing on its baseline.
    for (int line = 0; line < 4; ++line) {
        const Ink ink = InkOf(kText, 0, 15 * line + 4, 250, 15 * line + 15);
        EXPECT_GT(ink.count, 20) << "line " << line;
        EXPECT_GE(ink.left, 3) << "line " << line;
        EXPECT_LE(ink.left, 7) << "line " << line;
    }
    EXPECT_EQ(InkOf(kText, 0, 64, kViewWidth, kCreditTop).count, 0);
}

TEST_F(TextTest, CreditLineEndsAtTheBottomRightInTheTextColour) {
    NoTitle();
    Frame();
    const Ink ink = InkOf(kText, 0, 0, kViewWidth, kViewHeight);
    EXPECT_GT(ink.count, 100);
    EXPECT_GE(ink.left, kViewWidth - 150);
    EXPECT_GT(ink.right, kViewWidth - 40);
    EXPECT_LT(ink.right, kViewWidth);
    EXPECT_NEAR(ink.bottom, kViewHeight - 16, 3);  // baseline 15 pixels above the bottom

    settings.InvertColours = true;
    Frame();
    EXPECT_EQ(InkOf({0.3f, 0.3f, 0.3f, 1}, 0, 0, kViewWidth, kViewHeight).count, ink.count);
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

TEST_F(TextTest, LabelsStandAtTheAtomInTheTextColour) {
    AddHoverableAtom();
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

    viewState.labelMode = 2;  // "Testium"
    const Ink name = inkAtAtom();
    EXPECT_GT(name.right - name.left, 2 * (symbol.right - symbol.left));

    // A charge stands above the atom.
    viewState.labelMode = 0;
    molecule.nodes[0].charge = -2;
    const Ink charge = inkAtAtom();
    EXPECT_GT(charge.count, 50);
    EXPECT_LT(charge.bottom, kCentreY - 18);
    EXPECT_NEAR((charge.left + charge.right) / 2.0, kCentreX, 3);
}

TEST_F(TextTest, TextSizeChangesOnlyTheLabels) {
    AddHoverableAtom();
    molecule.nodes[0].charge = 1;
    molecule.name = "Caffeine";
    molecule.formula = "C8H10";
    viewState.labelMode = 1;
    auto frameAt = [&](float size) {
        viewState.textSize = size;
        Frame(kCentreX, kCentreY);
        return ReadFrameImage(kViewWidth, kViewHeight);
    };
    const Image tiny = frameAt(1.5f);
    const Ink tinyInk = InkOf(kText, 0, 80, kViewWidth, 350);
    const Image huge = frameAt(8.0f);
    const Ink hugeInk = InkOf(kText, 0, 80, kViewWidth, 350);
    EXPECT_GT(hugeInk.count, 4 * tinyInk.count);
    // Label and charge: within 60 pixels of the atom's centre, at most 150 above.
    EXPECT_GE(hugeInk.left, kCentreX - 60);
    EXPECT_LE(hugeInk.right, kCentreX + 60);
    EXPECT_GE(hugeInk.top, kCentreY - 150);
    int changedOutside = 0;
    for (int y = 0; y < kViewHeight; ++y)
        for (int x = 0; x < kViewWidth; ++x) {
            const bool nearAtom = x >= kCentreX - 60 && x <= kCentreX + 60 && y >= kCentreY - 150 &&
                                  y <= kCentreY + 30;
            const size_t at = (static_cast<size_t>(y) * kViewWidth + x) * 3;
            if (!nearAtom && (tiny.rgb[at] != huge.rgb[at] || tiny.rgb[at + 2] != huge.rgb[at + 2]))
                ++changedOutside;
        }
    EXPECT_EQ(changedOutside, 0);
}

}  // namespace
