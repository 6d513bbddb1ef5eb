// The render test fixture.
#include "render_support.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "drawing.h"
#include "element.h"
#include "frame.h"
#include "gl_setup.h"
#include "molecule.h"
#include "scene.h"
#include "settings.h"
#include "shadows.h"
#include "sphere_batch.h"
#include "view_state.h"

void RenderTest::SetUp() {
    FreshProcessTest::SetUp();
    elementTable.reserve(32);
    ASSERT_TRUE(CreateOffscreenContext(kViewWidth, kViewHeight, context_))
        << "no EGL surfaceless context";
    SetupOpenGL();
}

void ShadowedRenderTest::SetUp() {
    RenderTest::SetUp();
    settings.Shadows = true;
    settings.Specular = false;
    molecule.name.clear();
    molecule.formula.clear();
}

void RenderTest::TearDown() {
    DestroyOffscreenContext(context_);
}

int RenderTest::AddElement(float radius, const Colour& colour) {
    EXPECT_LT(elementTable.size(), elementTable.capacity());
    Element element;
    element.name = "Testium";
    element.symbol = "Ts";
    element.atomicNumber = ElementCount() + 1;
    element.radius = radius;
    element.colour = colour;
    elementTable.push_back(element);
    return ElementCount() - 1;
}

int RenderTest::AddNode(int element, const Vector3& position) {
    Node node;
    node.id = NodeCount();
    node.position = position;
    node.element = ElementAt(element);
    AppendNode(node);
    return node.id;
}

void RenderTest::Link(int a, int b, int order) {
    molecule.nodes[a].neighbours.push_back(b);
    molecule.nodes[a].linkOrders.push_back(order);
    molecule.nodes[b].neighbours.push_back(a);
    molecule.nodes[b].linkOrders.push_back(order);
}

void RenderTest::Frame(int mouseX, int mouseY, float pixelRatio) {
    FrameInput input;
    input.pixelRatio = pixelRatio;
    input.width = kViewWidth;
    input.height = kViewHeight;
    input.mouseX = mouseX;
    input.mouseY = mouseY;
    RenderFrame(input);
    glFinish();
}

void RenderTest::Frame() {
    FrameInput input;
    input.width = kViewWidth;
    input.height = kViewHeight;
    input.pointerInView = false;
    RenderFrame(input);
    glFinish();
}

Colour RenderTest::Pixel(int x, int y) const {
    GLfloat rgba[4] = {-1, -1, -1, -1};
    glReadPixels(x, kViewHeight - 1 - y, 1, 1, GL_RGBA, GL_FLOAT, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

float RenderTest::Depth(int x, int y) const {
    GLfloat depth = -1;
    glReadPixels(x, kViewHeight - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

float RenderTest::AlphaDownColumn(int x, int top, int bottom) const {
    float sum = 0;
    for (int y = top; y < bottom; ++y) sum += Pixel(x, y).alpha;
    return sum;
}

RenderTest::Ink RenderTest::InkOf(const Colour& colour, int left, int top, int right, int bottom,
                                  float tolerance) const {
    Ink ink;
    const int width = right - left, height = bottom - top;
    if (width <= 0 || height <= 0) return ink;
    std::vector<GLfloat> rgba(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left, kViewHeight - bottom, width, height, GL_RGBA, GL_FLOAT, rgba.data());
    for (int row = 0; row < height; ++row) {
        const int y = bottom - 1 - row;  // GL rows run bottom to top
        for (int column = 0; column < width; ++column) {
            const GLfloat* p = &rgba[(static_cast<size_t>(row) * width + column) * 4];
            if (!NearColour({p[0], p[1], p[2], p[3]}, colour, tolerance)) continue;
            const int x = left + column;
            ++ink.count;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

bool NearColour(const Colour& a, const Colour& b, float tolerance) {
    return std::fabs(a.red - b.red) <= tolerance && std::fabs(a.green - b.green) <= tolerance &&
           std::fabs(a.blue - b.blue) <= tolerance;
}

void SetFrameMatrices() {
    SetProjection(kViewWidth, kViewHeight);
    glLoadIdentity();
    ApplyCamera();
}

std::vector<FeedbackPrimitive> SceneFeedback() {
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glEnable(GL_CULL_FACE);
    SetFrameMatrices();
    DrawScene(RenderPass::plain);
    const int words = glRenderMode(GL_RENDER);
    std::vector<FeedbackPrimitive> primitives;
    constexpr int kVertexWords = 7;  // x, y, z, r, g, b, a
    for (int i = 0; i < words;) {
        const int token = static_cast<int>(buffer[i]);
        FeedbackPrimitive primitive;
        int vertices = 0;
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            primitive.line = true;
            vertices = 2;
            i += 1;
        } else if (token == GL_POLYGON_TOKEN) {
            vertices = static_cast<int>(buffer[i + 1]);
            i += 2;
        } else if (token == GL_POINT_TOKEN) {
            vertices = 1;
            i += 1;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        primitive.colour = {buffer[i + 3], buffer[i + 4], buffer[i + 5], buffer[i + 6]};
        i += vertices * kVertexWords;
        primitives.push_back(primitive);
    }
    return primitives;
}

int SelectionPick(int mouseX, int mouseY) {
    SetFrameMatrices();
    constexpr GLsizei kWords = 4096;
    std::vector<GLuint> buffer(kWords);
    glSelectBuffer(kWords, buffer.data());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(mouseX, kViewHeight - mouseY, 2.0, 2.0, viewport);
    MultiplyProjection(kViewWidth, kViewHeight);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    for (int i = 0; i < NodeCount(); ++i) {
        const Node& node = molecule.nodes[i];
        if (!node.element) continue;
        glLoadName(static_cast<GLuint>(i));
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        DrawAtomSphere(viewState.atomScale * node.element->radius, node, true);
        glPopMatrix();
    }
    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (hits <= 0) return -1;
    int best = 0;
    for (int j = 1; j < hits; ++j)
        if (buffer[4 * j + 1] < buffer[4 * best + 1]) best = j;
    return static_cast<int>(buffer[4 * best + 3]);
}
