// The overlay: its coordinates are the identity on both matrices.
#include "overlay.h"

#include <GL/gl.h>

void DrawOverlay() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
