// Picking by OpenGL selection mode. Only the atoms' spheres are named, so
// cages, links and clouds cannot be picked and an atom is picked through its
// cloud.
#include "picking.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "drawing.h"
#include "gl_setup.h"
#include "molecule.h"
#include "view_state.h"

namespace {

// Room for 1024 hit records of four words: one name, two depths, the count.
constexpr GLsizei kSelectionWords = 4096;

}  // namespace

int PickNode(int mouseX, int mouseY) {
    GLuint buffer[kSelectionWords];
    glSelectBuffer(kSelectionWords, buffer);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2];
    const int height = viewport[3];
    if (width <= 0 || height <= 0) return -1;

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Window y runs down, GL's up.
    gluPickMatrix(mouseX, height - mouseY, 2.0, 2.0, viewport);
    MultiplyProjection(width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_MODELVIEW);

    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    const int count = NodeCount();
    for (int i = 0; i < count; ++i) {
        const Node& node = molecule.nodes[i];
        if (!node.element) continue;
        glLoadName(static_cast<GLuint>(i));
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        DrawAtomSphere(viewState.atomScale * node.element->radius, node, true);
        glPopMatrix();
    }
    // Negative when the records overflowed the buffer.
    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    if (hits <= 0) return -1;
    // Every record is four words: name count (always 1), minimum depth,
    // maximum depth, name. The nearest surface wins; ties keep the earlier
    // record, which is the earlier atom.
    int best = 0;
    for (int j = 1; j < hits && 4 * j + 3 < kSelectionWords; ++j)
        if (buffer[4 * j + 1] < buffer[4 * best + 1]) best = j;
    return static_cast<int>(buffer[4 * best + 3]);
}
