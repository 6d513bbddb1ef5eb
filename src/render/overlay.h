// The flat overlay drawn over the scene in normalised device coordinates.
#pragma once

// Sets both matrices to identity, with the model-view selected; the overlay
// text is drawn in these coordinates, and node dragging reads these matrices
// between frames.
void DrawOverlay();
