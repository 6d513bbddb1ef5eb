// The overlay: its coordinates are the identity on both matrices, one line
// of bitmap text is 15 pixels and one character is taken as 7.5.
#include "overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drawing.h"
#include "fonts.h"
#include "settings.h"
#include "text.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::array<std::string, 4> HoverLines(const Node& node) {
    std::array<std::string, 4> lines;
    if (!node.element) return lines;
    const Element& e = *node.element;
    char text[96];
    lines[0] = e.name;
    std::snprintf(text, sizeof text, "Period %d, Group %s", e.period,
                  GroupText(e.group, e.groupLetter).c_str());
    lines[1] = text;
    std::snprintf(text, sizeof text, "Mass = %g amu", static_cast<double>(e.mass));
    lines[2] = text;
    std::snprintf(text, sizeof text, "#Bonds = %d", static_cast<int>(node.neighbours.size()));
    lines[3] = text;
    return lines;
}

void DrawOverlay(float pixelRatio) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0) return;
    // Text is unlit, also after a frame that drew no sphere to turn the
    // lights off again; and filled, whatever the cages and label rims drawn
    // before it left behind (line mode, offsets, the stencil and blending of
    // the shadow passes).
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);

    // The depth test stays on: scene parts nearer than the overlay's depth
    // cover it.
    // A display of twice the pixels gets bitmap text twice as tall, in steps
    // twice as far apart.
    const float ratio = pixelRatio;
    ScaleBitmapFont(static_cast<int>(std::lround(kBitmapLinePixels * ratio)));
    const float lineStep = 30.0f * ratio / static_cast<float>(viewport[3]);
    const float charStep = 15.0f * ratio / static_cast<float>(viewport[2]);
    SetDisplayColour(settings.TextColour);
    const float x = 0.5f * charStep - 1.0f;
    if (IsNodeIndex(molecule.hoverNode)) {
        const std::array<std::string, 4> lines = HoverLines(molecule.nodes[molecule.hoverNode]);
        for (size_t i = 0; i < lines.size(); ++i) {
            glRasterPos2f(x, 1.0f - static_cast<float>(i + 1) * lineStep);
            CallGlyphLists(fonts.bitmapBase, lines[i]);
        }
    }
    glRasterPos2f(1.0f - charStep * 20.0f, lineStep - 1.0f);
    CallGlyphLists(fonts.bitmapBase, kCreditLine);
    DrawTitle();
}

void DrawTitle() {
    const std::string& name = molecule.name;
    const std::string& formula = molecule.formula;
    const float nameWidth = 0.1f * TextAdvance(name);
    if (nameWidth > 0.0f) {
        glPushMatrix();
        SetDisplayColour(settings.TextColour);
        glTranslatef(-0.5f * nameWidth, 0.9f, 0.0f);
        glScalef(0.1f, 0.1f, 1.0f);
        CallGlyphLists(fonts.outlineBase, name);
        glPopMatrix();
    }
    float formulaWidth = 0.0f;
    for (const char c : formula)
        formulaWidth += fonts.glyphMetrics[static_cast<unsigned char>(c)].cellIncX *
                        (IsDigit(c) ? 0.07f : 0.1f);
    if (formulaWidth > 0.0f) {
        // Pushed, so the frame still ends with the identity matrix.
        glPushMatrix();
        glTranslatef(-0.5f * formulaWidth, 0.8f, 0.0f);
        for (const char c : formula) {
            const bool digit = IsDigit(c);
            glPushMatrix();
            if (digit) {
                glTranslatef(0.0f, -0.035f, 0.0f);
                glScalef(0.07f, 0.07f, 1.0f);
            } else {
                glScalef(0.1f, 0.1f, 1.0f);
            }
            CallGlyphLists(fonts.outlineBase, std::string_view(&c, 1));
            glPopMatrix();
            const float advance = fonts.glyphMetrics[static_cast<unsigned char>(c)].cellIncX;
            glTranslatef(advance * (digit ? 0.07f : 0.1f), 0.0f, 0.0f);
        }
        glPopMatrix();
    }
    glFrontFace(GL_CCW);
}
