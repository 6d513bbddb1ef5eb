// Dragging the held atom in the plane of the screen, and centring the
// molecule on the current atom or the centre of mass.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dragging.h"
#include "element.h"
#include "molecule.h"
#include "process_state.h"
#include "settings.h"
#include "simulation.h"
#include "view_state.h"

namespace {

class DraggingTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        elementTable = ElementTable(3);
        elementTable[0].mass = 1.0f;
        elementTable[1].mass = 3.0f;
        elementTable[2].mass = 0.0f;
    }
    int Add(Vector3 position, int element = 0) {
        Node node;
        node.id = NodeCount();
        node.position = position;
        node.element = &elementTable[element];
        AppendNode(node);
        return node.id;
    }
    // The move of a node at the origin dragged from the middle of the
    // default 600 x 400 window.
    Vector3 DragFromMiddle(float dx, float dy) {
        molecule.nodes[0].position = {};
        DragNode(0, 300, 200, dx, dy);
        return molecule.nodes[0].position;
    }
};

// With the eye 500 away, the point unprojected at depth 0 is 499 away, so
// the atom moves 0.5 * 499 * 2 / 600 per horizontal pixel and
// 0.5 * 499 * 2 / 400 per vertical one.
TEST_F(DraggingTest, MouseMovementsMoveTheAtomInThePlaneOfTheScreen) {
    Add({});
    struct Case {
        float dx, dy;
        Vector3 move;
    };
    const float perX = 499.0f / 600.0f, perY = 499.0f / 400.0f;
    const Case cases[] = {
        {10.0f, 0.0f, {10 * perX, 0, 0}},
        {-10.0f, 0.0f, {-10 * perX, 0, 0}},
        {0.0f, 10.0f, {0, -10 * perY, 0}},  // mouse down: towards negative y
        {0.0f, -4.0f, {0, 4 * perY, 0}},
        {2.5f, 0.0f, {2.5f * perX, 0, 0}},  // Shift: a quarter of 10 pixels
        {40.0f, 0.0f, {40 * perX, 0, 0}},   // Ctrl: four times 10 pixels
        {3.0f, 5.0f, {3 * perX, -5 * perY, 0}},
    };
    for (const Case& c : cases) {
        const Vector3 moved = DragFromMiddle(c.dx, c.dy);
        SCOPED_TRACE(testing::Message() << "dx " << c.dx << " dy " << c.dy);
        EXPECT_NEAR(moved.x, c.move.x, 1e-3);
        EXPECT_NEAR(moved.y, c.move.y, 1e-3);
        EXPECT_NEAR(moved.z, c.move.z, 1e-3);
    }
}

TEST_F(DraggingTest, DragFollowsTheTurnedModelAndScalesWithDistance) {
    Add({});
    // Turned by 90 degrees about y, the screen's right is the model's +z.
    viewState.modelYaw = 90.0f;
    const Vector3 moved = DragFromMiddle(10.0f, 0.0f);
    EXPECT_NEAR(moved.x, 0.0f, 1e-3);
    EXPECT_NEAR(moved.y, 0.0f, 1e-3);
    EXPECT_NEAR(moved.z, 10.0f * 499.0f / 600.0f, 1e-3);

    // Twice as far from the eye, twice the movement per pixel.
    viewState = ViewState{};
    viewState.eye.z = 999.0f;
    const Vector3 far = DragFromMiddle(10.0f, 0.0f);
    EXPECT_NEAR(far.x, 2.0f * 10.0f * 499.0f / 600.0f, 1e-2);
}

TEST_F(DraggingTest, DragLeavesForcesAloneAndTheHeldAtomStaysWhileTheSimulationRuns) {
    Add({});
    Add({80.0f, 0.0f, 0.0f});
    molecule.nodes[0].force = {1.0f, 2.0f, 3.0f};
    molecule.nodes[0].previousForce = {-1.0f, 0.0f, 0.0f};
    molecule.dragging = true;
    molecule.currentNode = 0;
    DragNode(0, 300, 200, 12.0f, 0.0f);
    const Vector3 placed = molecule.nodes[0].position;
    EXPECT_EQ(molecule.nodes[0].previousForce.x, -1.0f);
    EXPECT_EQ(molecule.nodes[0].force.y, 2.0f);
    for (int i = 0; i < 10; ++i) SimulationStep();
    EXPECT_EQ(molecule.nodes[0].position.x, placed.x);
    EXPECT_EQ(molecule.nodes[0].position.y, placed.y);
    EXPECT_GT(molecule.nodes[1].position.x, 80.0f);
}

TEST_F(DraggingTest, DragOfNoNodeOrIntoAnEmptyWindowChangesNothing) {
    Add({5.0f, 6.0f, 7.0f});
    DragNode(1, 300, 200, 10.0f, 10.0f);
    DragNode(-1, 300, 200, 10.0f, 10.0f);
    settings.WindowWidth = 0;
    DragNode(0, 300, 200, 10.0f, 10.0f);
    settings.WindowWidth = 600;
    settings.WindowHeight = 0;
    DragNode(0, 300, 200, 10.0f, 10.0f);
    EXPECT_EQ(molecule.nodes[0].position.x, 5.0f);
    EXPECT_EQ(molecule.nodes[0].position.y, 6.0f);
    EXPECT_EQ(molecule.nodes[0].position.z, 7.0f);
}

TEST_F(DraggingTest, DragFromAFarEyeStaysFinite) {
    Add({});
    viewState.eye = {0.0f, 0.0f, 3e38f};
    DragNode(0, 0, 0, 1e6f, -1e6f);
    const Vector3& p = molecule.nodes[0].position;
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
}

TEST_F(DraggingTest, CentringResetsTheCameraAndPutsTheCurrentAtomAtTheOrigin) {
    Add({1.0f, 2.0f, 3.0f});
    Add({10.0f, -20.0f, 30.5f});
    viewState.eye = {4.0f, 5.0f, 6.0f};
    viewState.viewPitch = 10.0f;
    viewState.viewYaw = 20.0f;
    viewState.modelPitch = 30.0f;
    viewState.modelYaw = 40.0f;
    viewState.atomScale = 2.0f;
    molecule.currentNode = 1;
    molecule.nodes[0].force = {1.0f, 0.0f, 0.0f};
    CentreMolecule();
    EXPECT_EQ(molecule.nodes[1].position.x, 0.0f);
    EXPECT_EQ(molecule.nodes[1].position.y, 0.0f);
    EXPECT_EQ(molecule.nodes[1].position.z, 0.0f);
    EXPECT_EQ(molecule.nodes[0].position.x, -9.0f);
    EXPECT_EQ(molecule.nodes[0].position.y, 22.0f);
    EXPECT_EQ(molecule.nodes[0].position.z, -27.5f);
    EXPECT_EQ(molecule.nodes[0].force.x, 1.0f);
    EXPECT_EQ(viewState.eye.z, 500.0f);
    EXPECT_EQ(viewState.eye.x, 0.0f);
    EXPECT_EQ(viewState.viewPitch, 0.0f);
    EXPECT_EQ(viewState.modelYaw, 0.0f);
    EXPECT_EQ(viewState.atomScale, 2.0f);
}

TEST_F(DraggingTest, CentringWithoutACurrentAtomUsesTheCentreOfMass) {
    struct Case {
        int currentNode;
        int element0, element1;
        float expected0;  // x of node 0 afterwards; node 1 starts 4 further
    };
    const Case cases[] = {
        {-1, 0, 0, -2.0f},  // same element: the midpoint
        {-1, 0, 1, -3.0f},  // masses 1 and 3
        {2, 1, 0, -1.0f},   // a stale current node counts as none
        {-1, 2, 2, -2.0f},  // no mass at all: the plain centre
    };
    for (const Case& c : cases) {
        ResetProcessState();
        SetUp();
        Add({10.0f, 1.0f, -1.0f}, c.element0);
        Add({14.0f, 1.0f, -1.0f}, c.element1);
        molecule.currentNode = c.currentNode;
        CentreMolecule();
        SCOPED_TRACE(testing::Message() << "case with node 0 going to " << c.expected0);
        EXPECT_FLOAT_EQ(molecule.nodes[0].position.x, c.expected0);
        EXPECT_FLOAT_EQ(molecule.nodes[1].position.x, c.expected0 + 4.0f);
        EXPECT_FLOAT_EQ(molecule.nodes[0].position.y, 0.0f);
        EXPECT_FLOAT_EQ(molecule.nodes[1].position.z, 0.0f);
        EXPECT_EQ(molecule.currentNode, c.currentNode);
    }
}

TEST_F(DraggingTest, CentringMassesThatNearlyCancelStaysFinite) {
    elementTable[1].mass = -0.99999994f;  // sums with 1 to about 6e-8
    Add({3e38f, 0.0f, 0.0f}, 0);
    Add({-3e38f, 0.0f, 0.0f}, 1);
    Add({0.0f, 0.0f, 0.0f}, 2);
    molecule.nodes[2].element = nullptr;
    CentreMolecule();
    for (const Node& node : molecule.nodes) {
        EXPECT_TRUE(std::isfinite(node.position.x)) << node.id;
        EXPECT_LE(std::abs(node.position.x), kPositionLimit);
    }
}

TEST_F(DraggingTest, CentringAnEmptyMoleculeOnlyResetsTheCamera) {
    viewState.eye = {1.0f, 2.0f, 3.0f};
    viewState.modelPitch = 45.0f;
    molecule.currentNode = 0;
    CentreMolecule();
    EXPECT_EQ(NodeCount(), 0);
    EXPECT_EQ(viewState.eye.z, 500.0f);
    EXPECT_EQ(viewState.modelPitch, 0.0f);
}

}  // namespace
