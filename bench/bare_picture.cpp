// The least a headless picture costs as a whole process on this driver: the
// offscreen context of the picture mode (600 x 400, with or without samples),
// one clear, one triangle, and the pixels read back, nothing of the program's
// own. Timed as a whole process beside `tessaril --render`, for example with
//   hyperfine -N 'bare_picture 4' 'bare_picture 0' 'tessaril --render out.png FILE'
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "offscreen.h"
#include "picture.h"

int main(int argc, char** argv) {
    const int samples = argc > 1 ? std::atoi(argv[1]) : kSurfaceSamples;
    OffscreenContext context;
    if (!CreateOffscreenContext(600, 400, context, samples)) {
        std::fprintf(stderr, "no offscreen GL context\n");
        return 1;
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.5f, 0.0f);
    glVertex2f(-0.5f, -0.5f);
    glVertex2f(0.5f, -0.5f);
    glVertex2f(0.0f, 0.5f);
    glEnd();
    const Image image = ReadFrameImage(600, 400);
    DestroyOffscreenContext(context);
    // The middle of the triangle, so the drawing cannot be skipped unseen.
    const size_t middle = (static_cast<size_t>(200) * 600 + 300) * 3;
    return image.rgb.size() > middle && image.rgb[middle] == 255 ? 0 : 2;
}
