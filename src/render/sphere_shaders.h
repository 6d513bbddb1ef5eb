// The GLSL 1.20 sources of the ray-cast sphere program: a vertex shader that
// places a point sprite or a quad over each sphere, and a fragment shader
// that finds the sphere along each pixel's ray and lights it as the fixed
// pipeline would. Attributes: sphere (centre, radius), colour, corner.
#pragma once

extern const char* const kSphereVertexShader;
extern const char* const kSphereFragmentShader;
