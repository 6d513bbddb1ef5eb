// Finding the atom under the mouse pointer with OpenGL selection mode: the
// atoms' spheres, as drawn, into a 2 x 2 pixel pick region.
#pragma once

// The list position of the nearest atom whose sphere covers the 2 x 2 pixel
// region around the pointer (client pixels, origin top left), or -1. Needs
// the frame's camera on the model-view matrix and the model-view selected;
// leaves both as they were.
int PickNode(int mouseX, int mouseY);
