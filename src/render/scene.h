// The scene: marker cages, lit atom spheres with their labels, links whose
// line width shows their order, translucent electron clouds. The same scene
// serves the plain frame and the passes of the shadowed frame.
#pragma once

#include "drawing.h"

// Line width of a single link, pixels.
constexpr float kLinkWidth = 2.0f;

// The molecule with the current matrices, coloured for the pass.
void DrawScene(RenderPass pass);

// How far from the node's centre what the scene draws for it reaches: its
// sphere, cloud, marker cage and labels (0 for a node without element),
// model units.
float DrawnRadius(const Node& node);

// The far plane that keeps everything the scene draws in front of it, from
// the current camera: kFarPlane, or a little past the farthest atom's reach.
double SceneFarPlane();

// The widest line the scene draws (links, cages, label rims), pixels.
float WidestLinePixels();
