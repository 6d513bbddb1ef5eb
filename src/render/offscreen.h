// A GL context without a display: EGL on Mesa's surfaceless platform with a
// pbuffer of the program's surface format. The render tests, the benchmarks
// and the headless picture mode draw into it.
#pragma once

#include "gl_setup.h"

struct OffscreenContext {
    void* display = nullptr;  // EGLDisplay
    void* surface = nullptr;  // EGLSurface, the pbuffer
    void* context = nullptr;  // EGLContext, OpenGL compatibility profile
    int width = 0;            // pbuffer width, pixels
    int height = 0;           // pbuffer height, pixels
};

// Makes a context with a width x height pbuffer (RGBA 8 bits each, depth 24,
// stencil 8, the given samples per pixel when the driver has them, else
// none) and makes it current. False, with nothing left behind, when any step
// fails or the size is beyond what the driver states it can hold.
bool CreateOffscreenContext(int width, int height, OffscreenContext& out,
                            int samples = kSurfaceSamples);

// Releases the context and its pbuffer; safe on a context never made. The
// display stays open for the next context.
void DestroyOffscreenContext(OffscreenContext& context);
