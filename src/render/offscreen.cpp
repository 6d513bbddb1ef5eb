// EGL set-up for drawing without a window system.
#include "offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "gl_setup.h"

namespace {

// The surfaceless display, initialised on first use and kept for the rest
// of the process: terminating it would unload Mesa's driver, and contexts
// made later would pay for loading it again.
EGLDisplay SurfacelessDisplay() {
    static const EGLDisplay display = [] {
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) return EGL_NO_DISPLAY;
        EGLDisplay d =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d == EGL_NO_DISPLAY || !eglInitialize(d, nullptr, nullptr)) return EGL_NO_DISPLAY;
        return d;
    }();
    return display;
}

// A configuration with at least the depth and stencil bits the shadows and
// the depth test need, with samples when asked for and the driver has them.
bool ChooseConfig(EGLDisplay display, int samples, EGLConfig& config) {
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 8,
                                 EGL_DEPTH_SIZE,
                                 kSurfaceDepthBits,
                                 EGL_STENCIL_SIZE,
                                 kSurfaceStencilBits,
                                 EGL_SAMPLE_BUFFERS,
                                 samples > 0 ? 1 : 0,
                                 EGL_SAMPLES,
                                 samples,
                                 EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1) return false;
    EGLint depth = 0, stencil = 0;
    eglGetConfigAttrib(display, config, EGL_DEPTH_SIZE, &depth);
    eglGetConfigAttrib(display, config, EGL_STENCIL_SIZE, &stencil);
    return depth >= kSurfaceDepthBits && stencil >= kSurfaceStencilBits;
}

}  // namespace

bool CreateOffscreenContext(int width, int height, OffscreenContext& out, int samples) {
    out = OffscreenContext{};
    if (width <= 0 || height <= 0) return false;
    EGLDisplay display = SurfacelessDisplay();
    if (display == EGL_NO_DISPLAY) return false;
    out.display = display;

    EGLConfig config;
    // Multisampled when the driver offers it, else without.
    if (!eglBindAPI(EGL_OPENGL_API) || ((samples <= 0 || !ChooseConfig(display, samples, config)) &&
                                        !ChooseConfig(display, 0, config))) {
        DestroyOffscreenContext(out);
        return false;
    }
    // Mesa makes a pbuffer of any size asked for, even one whose pixels could
    // never be read back; the limits it states are kept to instead.
    EGLint maxWidth = 0, maxHeight = 0;
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_WIDTH, &maxWidth);
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_HEIGHT, &maxHeight);
    if (width > maxWidth || height > maxHeight) {
        DestroyOffscreenContext(out);
        return false;
    }
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, size);
    if (surface == EGL_NO_SURFACE) {
        DestroyOffscreenContext(out);
        return false;
    }
    out.surface = surface;
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        DestroyOffscreenContext(out);
        return false;
    }
    out.context = context;
    if (!eglMakeCurrent(display, surface, surface, context)) {
        DestroyOffscreenContext(out);
        return false;
    }
    out.width = width;
    out.height = height;
    return true;
}

void DestroyOffscreenContext(OffscreenContext& context) {
    if (context.display) {
        EGLDisplay display = context.display;
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context.context) eglDestroyContext(display, context.context);
        if (context.surface) eglDestroySurface(display, context.surface);
        eglReleaseThread();
    }
    context = OffscreenContext{};
}
