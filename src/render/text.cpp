// The outline-glyph text at the atoms and the small texts it is made of.
#include "text.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drawing.h"
#include "fonts.h"
#include "settings.h"
#include "view_state.h"

namespace {

// Where the texts of the scene stand: a text is lifted towards the eye off
// its origin; an element label stands just in front of its atom's surface,
// a charge above the atom by a tenth of the text's size.
constexpr float kTextLift = 0.1f;
constexpr float kLabelGap = 0.01f;
constexpr float kChargeRaise = 0.1f;

}  // namespace

float TextAdvance(std::string_view text) {
    float width = 0.0f;
    for (const char c : text) width += fonts.glyphMetrics[static_cast<unsigned char>(c)].cellIncX;
    return width;
}

void CallGlyphLists(unsigned int base, std::string_view text) {
    if (text.empty()) return;
    glListBase(base);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
}

std::string GroupText(int group, char groupLetter) {
    static const char* const numerals[] = {"O", "I", "II", "III", "IV", "V", "VI", "VII", "VIII"};
    std::string text = group >= 0 && group <= 8 ? numerals[group] : "";
    text += groupLetter;
    return text;
}

std::string ChargeText(int charge) {
    if (charge == 0) return {};
    // Widened first, so that negating the most negative int cannot overflow.
    const long long magnitude = charge > 0 ? charge : -static_cast<long long>(charge);
    char text[32];
    std::snprintf(text, sizeof text, "%lld%c", magnitude, charge > 0 ? '+' : '-');
    return text;
}

void Draw3DText(std::string_view text, float size, RenderPass pass) {
    if (text.empty()) return;
    const float width = TextAdvance(text);
    glTranslatef(-0.5f * width * size, 0.0f, kTextLift);
    glScalef(size, size, 1.0f);
    // A thin rim in the background colour first: the glyphs' edges drawn as
    // wide lines, set back a little so the glyphs drawn after it cover its
    // inner half. The label then reads on an atom of any colour.
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    GLfloat lineWidth = 1.0f;
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    PassColour(settings.BackgroundColour, pass);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(kLabelRimWidth * viewState.lineScale);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(1.0f, 4.0f);
    glPushMatrix();  // the lists advance the pen
    CallGlyphLists(fonts.outlineBase, text);
    glPopMatrix();
    glFrontFace(GL_CCW);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(lineWidth);

    PassColour(settings.TextColour, pass);
    CallGlyphLists(fonts.outlineBase, text);
    glFrontFace(GL_CCW);
    glPolygonMode(GL_FRONT, static_cast<GLenum>(polygonMode[0]));
    glPolygonMode(GL_BACK, static_cast<GLenum>(polygonMode[1]));
}

namespace {

float LabelSize(const Element& element) {
    return (element.radius * 0.2f + 1.0f) * viewState.textSize;
}

// How far from the origin the ink of text drawn by Draw3DText at size
// reaches, after a move by (0, up, out).
float TextReach(std::string_view text, float size, float up, float out) {
    if (text.empty()) return 0.0f;
    float pen = -0.5f * TextAdvance(text);
    float left = pen, right = pen, bottom = 0.0f, top = 0.0f;
    for (const char c : text) {
        const GlyphMetrics& m = fonts.glyphMetrics[static_cast<unsigned char>(c)];
        left = std::min(left, pen + m.originX);
        right = std::max({right, pen + m.originX + m.blackBoxX, pen + m.cellIncX});
        top = std::max(top, m.originY);
        bottom = std::min(bottom, m.originY - m.blackBoxY);
        pen += m.cellIncX;
    }
    const float x = size * std::max(std::fabs(left), std::fabs(right));
    const float y = std::max(std::fabs(up + size * top), std::fabs(up + size * bottom));
    const float z =
        std::max(std::fabs(out + kTextLift), std::fabs(out + kTextLift - kOutlineDepth));
    return Length(Vector3{x, y, z});
}

}  // namespace

float LabelReach(const Node& node) {
    if (!node.element) return 0.0f;
    const Element& element = *node.element;
    const float size = LabelSize(element);
    const float r = viewState.atomScale * element.radius;
    float reach = 0.0f;
    const int mode = viewState.labelMode;
    if (mode == 1 || mode == 2)
        reach = TextReach(mode == 1 ? element.symbol : element.name, size, 0.0f, r + kLabelGap);
    if (node.charge != 0)
        reach = std::max(reach,
                         TextReach(ChargeText(node.charge), size, r + kChargeRaise * size, 0.0f));
    return reach;
}

void DrawAtomLabels(const Node& node, RenderPass pass) {
    if (!node.element) return;
    const Element& element = *node.element;
    const float r = element.radius;
    const float size = LabelSize(element);
    const int mode = viewState.labelMode;
    if (mode == 1 || mode == 2) {
        glPushMatrix();
        // Undo the model's turn, so the label faces the eye while the view is straight.
        glRotatef(-viewState.modelYaw, 0.0f, 1.0f, 0.0f);
        glRotatef(-viewState.modelPitch, 1.0f, 0.0f, 0.0f);
        glTranslatef(0.0f, 0.0f, viewState.atomScale * r + kLabelGap);
        Draw3DText(mode == 1 ? element.symbol : element.name, size, pass);
        glPopMatrix();
    }
    if (node.charge != 0) {
        glRotatef(-viewState.modelYaw, 0.0f, 1.0f, 0.0f);
        glRotatef(-viewState.modelPitch, 1.0f, 0.0f, 0.0f);
        glTranslatef(0.0f, viewState.atomScale * r + kChargeRaise * size, 0.0f);
        Draw3DText(ChargeText(node.charge), size, pass);
    }
}
