// Moving atoms with the camera in mind: dragging the held atom in the plane
// of the screen, and centring the molecule in front of a reset camera.
#pragma once

// Moves node index by the mouse movement (dx, dy) from the window point
// (lastX, lastY), in client pixels with y growing downwards. dx and dy come
// already scaled for Shift and Ctrl. The atom moves in the plane of the
// screen, by about its distance from the eye per window width of movement.
void DragNode(int index, int lastX, int lastY, float dx, float dy);

// Resets the camera and moves every node so that the current node, or else
// the mass-weighted centre, lies at the origin.
void CentreMolecule();
