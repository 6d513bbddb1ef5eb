// The baseline frame: a line-by-line immediate-mode rendering of the scene
// and of picking, without any caching.
#include "literal_frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "gl_setup.h"
#include "molecule.h"
#include "settings.h"
#include "view_state.h"

namespace {

GLUquadric* quadric = nullptr;

void Colour4(const Colour& c) {
    if (settings.InvertColours)
        glColor4f(1 - c.red, 1 - c.green, 1 - c.blue, c.alpha);
    else
        glColor4f(c.red, c.green, c.blue, c.alpha);
}

void Normalise(float v[3]) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f || length == 1.0f) return;
    for (int i = 0; i < 3; ++i) v[i] *= 1.0f / length;
}

void Subdivide(const float* u, const float* v, const float* w, int depth) {
    if (depth <= 0) {
        glVertex3fv(u);
        glVertex3fv(v);
        glVertex3fv(w);
        return;
    }
    float uv[3], vw[3], uw[3];
    for (int i = 0; i < 3; ++i) {
        uv[i] = (u[i] + v[i]) / 2;
        vw[i] = (v[i] + w[i]) / 2;
        uw[i] = (u[i] + w[i]) / 2;
    }
    Normalise(uv);
    Normalise(vw);
    Normalise(uw);
    Subdivide(u, uv, uw, depth - 1);
    Subdivide(v, vw, uv, depth - 1);
    Subdivide(w, uw, vw, depth - 1);
    Subdivide(uv, vw, uw, depth - 1);
}

void Cage(int depth, float radius) {
    const float s = radius * 1.02f + 0.1f;
    glPushMatrix();
    glScalef(s, s, s);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(0.5f);
    const float h = 0.70710677f;
    const float v[6][3] = {{0, 0, -1}, {-h, h, 0}, {h, h, 0}, {h, -h, 0}, {-h, -h, 0}, {0, 0, 1}};
    const int faces[8][3] = {{1, 0, 4}, {2, 0, 1}, {3, 0, 2}, {4, 0, 3},
                             {4, 5, 1}, {1, 5, 2}, {2, 5, 3}, {3, 5, 4}};
    glBegin(GL_TRIANGLES);
    for (const auto& f : faces) Subdivide(v[f[0]], v[f[1]], v[f[2]], depth);
    glEnd();
    glPopMatrix();
}

void Sphere(float radius, const Node& node, bool solid) {
    const float dx = node.position.x - viewState.eye.x;
    const float dy = node.position.y - viewState.eye.y;
    const float dz = node.position.z - viewState.eye.z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    int n = static_cast<int>(viewState.atomScale * node.element->radius * 100) *
            settings.DetailLevel / static_cast<int>(d + 1);
    if (n < 6) n = 6;
    if (n > settings.DetailLevel + 6) n = settings.DetailLevel + 6;
    if (solid) {
        if (!quadric) {
            quadric = gluNewQuadric();
            gluQuadricDrawStyle(quadric, GLU_FILL);
            gluQuadricNormals(quadric, GLU_SMOOTH);
        }
        glEnable(GL_LIGHTING);
        gluSphere(quadric, radius, n, n);
        glDisable(GL_LIGHTING);
    } else {
        Cage(2, radius);
    }
}

void Scene() {
    glLineWidth(1.0f);
    const float scale = viewState.atomScale;
    for (const Node& node : molecule.nodes) {
        const float r = node.element->radius;
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        if (node.id == molecule.hoverNode || node.id == molecule.currentNode) {
            Colour4(node.id == molecule.currentNode ? settings.SelectColour
                                                    : settings.HighlightColour);
            Sphere((r * 1.05f + 0.5f) * scale, node, false);
        }
        if (node.selected) {
            Colour4(settings.SelectColour);
            Cage(2, (r * 1.05f + 0.5f) * scale);
        }
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        Colour4(node.element->colour);
        Sphere(scale * r, node, true);
        glPopMatrix();
    }
    glLineWidth(2.0f);
    int current = 1;
    glBegin(GL_LINES);
    for (const Node& p : molecule.nodes) {
        for (size_t i = 0; i < p.neighbours.size(); ++i) {
            const Node& q = molecule.nodes[p.neighbours[i]];
            if (q.id > p.id) continue;
            const int order = p.linkOrders[i];
            if (order != current) {
                glEnd();
                if (order == 1) glLineWidth(2.0f);
                if (order == 2) glLineWidth(10.0f);
                if (order >= 3) glLineWidth((order + 5) * 2.0f);
                glBegin(GL_LINES);
            }
            Colour4(settings.LinkColour);
            glVertex3f(p.position.x, p.position.y, p.position.z);
            glVertex3f(q.position.x, q.position.y, q.position.z);
            current = order;
        }
    }
    glEnd();
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glDisable(GL_STENCIL_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Colour4(settings.CloudColour);
    for (const Node& node : molecule.nodes) {
        if (!node.cloud) continue;
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        Sphere(2 * scale * node.element->radius, node, true);
        glPopMatrix();
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

}  // namespace

int LiteralPickNode(int mouseX, int mouseY) {
    GLuint buffer[4096];
    glSelectBuffer(4096, buffer);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(mouseX, viewport[3] - mouseY, 2, 2, viewport);
    gluPerspective(45, static_cast<float>(viewport[2]) / viewport[3], 20, 10000);
    glViewport(0, 0, viewport[2], viewport[3]);
    glMatrixMode(GL_MODELVIEW);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    for (size_t i = 0; i < molecule.nodes.size(); ++i) {
        const Node& node = molecule.nodes[i];
        glLoadName(static_cast<GLuint>(i));
        glPushMatrix();
        glTranslatef(node.position.x, node.position.y, node.position.z);
        Sphere(viewState.atomScale * node.element->radius, node, true);
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

void LiteralRenderFrame(int mouseX, int mouseY, int width, int height) {
    UpdateViewForFrame(ViewInput{});
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const Colour& b = settings.BackgroundColour;
    if (settings.InvertColours)
        glClearColor(1 - b.red, 1 - b.green, 1 - b.blue, b.alpha);
    else
        glClearColor(b.red, b.green, b.blue, b.alpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_STENCIL_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, static_cast<float>(width) / height, 20, 10000);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetupLights();
    ApplyCamera();
    molecule.hoverNode = LiteralPickNode(mouseX, mouseY);
    Scene();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
