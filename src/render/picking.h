// Finding the atom under the mouse pointer by geometry: every atom's drawn
// sphere against the rays through a 2 x 2 pixel region around the pointer,
// with the frame's projection and camera. Needs no GL context.
#pragma once

// The list position of the nearest atom whose drawn sphere (radius atomScale
// times its element's radius) covers any part of the 2 x 2 pixel region
// around the pointer, or -1 for none. The pointer is in client pixels from
// the top left of a width x height view. Nearest means the smallest depth of
// the sphere's surface inside the region; equal depths go to the earlier
// atom. Only what the frame can show counts: a sphere around the eye, or
// whose surface there lies nearer than the near plane or beyond the far
// plane, is not picked. Cages, links, clouds and text are never picked.
int PickNode(int mouseX, int mouseY, int width, int height);
