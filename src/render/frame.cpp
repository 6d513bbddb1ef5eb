// The frame: clears, projection, lights, camera, picking, then the scene
// plainly or with shadows, and the overlay.
#include "frame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "camera.h"
#include "drawing.h"
#include "gl_setup.h"
#include "molecule.h"
#include "overlay.h"
#include "picking.h"
#include "scene.h"
#include "settings.h"
#include "shadows.h"

namespace {

void LoadIdentityMatrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace

void RenderFrame(const FrameInput& input) {
    UpdateViewForFrame(input.keys);
    if (input.width <= 0 || input.height <= 0) {
        // A minimised window: nothing is visible, so nothing is under the
        // pointer, and no aspect ratio is computed.
        molecule.hoverNode = -1;
        LoadIdentityMatrices();
        return;
    }

    // Clears honour the depth write mask.
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const Colour background = DisplayColour(settings.BackgroundColour);
    glClearColor(background.red, background.green, background.blue, background.alpha);
    glClear(GL_COLOR_BUFFER_BIT);

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_STENCIL_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);

    viewState.farPlane = static_cast<float>(SceneFarPlane());
    SetProjection(input.width, input.height, input.tileLeft, input.tileBottom);
    glLoadIdentity();
    SetupLights();
    ApplyCamera();

    if (!input.keepHover)
        molecule.hoverNode = input.pointerInView
                                 ? PickNode(input.mouseX, input.mouseY, input.width, input.height)
                                 : -1;

    // Lines keep their width on a display of more pixels to the inch.
    const float ratio =
        std::isfinite(input.pixelRatio) ? std::clamp(input.pixelRatio, 1.0f, 8.0f) : 1.0f;
    const float lineScale = viewState.lineScale;
    viewState.lineScale = lineScale * ratio;
    if (settings.Shadows)
        DrawShadowedScene();
    else
        DrawScene(RenderPass::plain);
    viewState.lineScale = lineScale;

    DrawOverlay(ratio);
}
