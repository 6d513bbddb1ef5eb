// The two ways the renderer can draw what it draws the same either way:
// the fast one it uses, and the plain reference the fast one is held to.
#pragma once

// How the scene draws spheres. shader falls back to tessellated on a context
// that offers no GLSL 1.20; tessellated is the GLU sphere of the fixed
// pipeline, kept as that fallback and as the reference the shader is held to.
enum class SphereDrawing { shader, tessellated };
extern SphereDrawing& sphereDrawing;  // program.sphereDrawing

// Whether a shadowed frame ends its volumes where ShadowReach allows
// (short) or lets them all run on (endless, the reference the short ones are
// held to).
enum class ShadowVolumes { shortened, endless };
extern ShadowVolumes& shadowVolumes;  // program.shadowVolumes
