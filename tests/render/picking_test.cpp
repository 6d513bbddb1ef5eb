// Picking the atom under the pointer: nearest surface, ties, misses and the
// limits of the selection buffer.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "frame.h"
#include "gl_setup.h"
#include "molecule.h"
#include "picking.h"
#include "render_support.h"
#include "view_state.h"

namespace {

const Colour kGrey{0.5f, 0.5f, 0.5f, 1};

class PickingTest : public RenderTest {
protected:
    // The node under the pointer as one frame finds it.
    int HoverAt(int x, int y) {
        Frame(x, y);
        return molecule.hoverNode;
    }
};

TEST_F(PickingTest, EmptyMoleculePicksNothing) {
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), -1);
}

TEST_F(PickingTest, NearestSurfaceWinsWhateverItsSizeOrPlace) {
    struct Atom {
        float radius, z;
    };
    struct Case {
        Atom first, second;
        int expected;
    };
    const Case cases[] = {
        {{40, -200}, {5, 0}, 1},     // small, later and nearer
        {{5, 0}, {40, -200}, 0},     // small, earlier and nearer
        {{5, -100}, {40, -100}, 1},  // same centre: the larger surface is nearer
        {{30, 0}, {30, 0}, 0},       // the same depth: the earlier atom
    };
    for (const Case& c : cases) {
        ClearNodes();
        elementTable.clear();
        AddNode(AddElement(c.first.radius, kGrey), {0, 0, c.first.z});
        AddNode(AddElement(c.second.radius, kGrey), {0, 0, c.second.z});
        EXPECT_EQ(HoverAt(kCentreX, kCentreY), c.expected)
            << c.first.radius << "@" << c.first.z << " vs " << c.second.radius << "@" << c.second.z;
    }
}

TEST_F(PickingTest, BackgroundAndLinksPickNothing) {
    const int element = AddElement(20, kGrey);
    const int left = AddNode(element, {-100, 0, 0});
    const int right = AddNode(element, {100, 0, 0});
    Link(left, right, 3);
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), -1);  // the middle of the link
    EXPECT_EQ(HoverAt(10, 10), -1);
    EXPECT_EQ(HoverAt(kCentreX + 97, kCentreY), right);
    EXPECT_EQ(HoverAt(kCentreX - 97, kCentreY), left);
}

TEST_F(PickingTest, PointerYCountsDownFromTheTop) {
    AddNode(AddElement(10, kGrey), {0, 100, 0});  // above the centre
    EXPECT_EQ(HoverAt(kCentreX, kCentreY - 97), 0);
    EXPECT_EQ(HoverAt(kCentreX, kCentreY + 97), -1);
}

TEST_F(PickingTest, LargerAtomScaleWidensThePickableSphere) {
    AddNode(AddElement(20, kGrey), {0, 0, 0});
    // The sphere is about 19 pixels wide at scale 1.
    EXPECT_EQ(HoverAt(kCentreX + 25, kCentreY), -1);
    viewState.atomScale = 1.5f;
    EXPECT_EQ(HoverAt(kCentreX + 25, kCentreY), 0);
}

TEST_F(PickingTest, NoPointerOverTheViewHoversNothing) {
    AddNode(AddElement(20, kGrey), {0, 0, 0});
    molecule.hoverNode = 0;
    FrameInput input;
    input.width = kViewWidth;
    input.height = kViewHeight;
    input.mouseX = kCentreX;
    input.mouseY = kCentreY;
    input.pointerInView = false;
    RenderFrame(input);
    EXPECT_EQ(molecule.hoverNode, -1);
}

TEST_F(PickingTest, PicksWithTheFramesCamera) {
    AddNode(AddElement(10, kGrey), {100, 0, 0});
    viewState.eye.x = 100;
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), 0);
}

TEST_F(PickingTest, OverflowingTheSelectionBufferPicksNothing) {
    // 1024 hit records fill the buffer exactly; one more overflows it.
    const int element = AddElement(2, kGrey);
    for (int i = 0; i < 1024; ++i) AddNode(element, {0, 0, 0});
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), 0);
    AddNode(element, {0, 0, 0});
    EXPECT_EQ(HoverAt(kCentreX, kCentreY), -1);
}

TEST_F(PickingTest, LeavesTheMatricesAsItFoundThem) {
    AddNode(AddElement(20, kGrey), {0, 0, 0});
    SetFrameMatrices();
    GLfloat projection[16], modelView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);

    EXPECT_EQ(PickNode(kCentreX, kCentreY), 0);

    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], projection[i]);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], modelView[i]);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLint renderMode = 0;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    EXPECT_EQ(renderMode, GL_RENDER);
}

}  // namespace
