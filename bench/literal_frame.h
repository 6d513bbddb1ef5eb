// The frame drawn exactly as first written, in plain immediate mode: every
// sphere tessellated by GLU and every cage subdivided afresh each time. Kept
// unchanged as the baseline the renderer's own frame is measured against.
#pragma once

// One frame at width x height with the pointer at (mouseX, mouseY); sets
// hoverNode like the renderer's frame.
void LiteralRenderFrame(int mouseX, int mouseY, int width, int height);

// Picking alone, with the frame's camera on the model-view matrix.
int LiteralPickNode(int mouseX, int mouseY);
