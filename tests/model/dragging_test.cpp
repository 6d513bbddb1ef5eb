// Dragging the held atom in the plane of the screen, and centring the
// molecule on the current atom or the centre of mass.
#include <gtest/gtest.h>

#include <cmath>

#include "dragging.h"
#include "molecule_builder.h"
#include "process_state.h"
#include "settings.h"
#include "simulation.h"
#include "view_state.h"

namespace {

// With the eye 500 away the point unprojected at depth 0 lies 499 away, so
// in the default 600 x 400 window the atom moves 0.5 * 499 * 2 / 600 per
// horizontal pixel and 0.5 * 499 * 2 / 400 per vertical one.
constexpr float kPerX = 499.0f / 600.0f;
constexpr float kPerY = 499.0f / 400.0f;

class DraggingTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        elementTable = ElementTable(3);
        elementTable[0].mass = 1.0f;
        elementTable[1].mass = 3.0f;
    }
    int Add(Vector3 position, int element = 0) {
        return AddTestNode(position, &elementTable[element]);
    }
    // Node 0 put at the origin and dragged from the middle of the window.
    Vector3 DragFromMiddle(float dx, float dy) {
        molecule.nodes[0].position = {};
        DragNode(0, 300, 200, dx, dy);
        return molecule.nodes[0].position;
    }
    static void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance) {
        EXPECT_NEAR(actual.x, expected.x, tolerance);
        EXPECT_NEAR(actual.y, expected.y, tolerance);
        EXPECT_NEAR(actual.z, expected.z, tolerance);
    }
};

TEST_F(DraggingTest, MouseMovementsMoveTheAtomInThePlaneOfTheScreen) {
    Add({});
    const struct {
        float dx, dy;  // as the caller passes them, scaled for Shift and Ctrl
        Vector3 move;
    } cases[] = {
        {10.0f, 0.0f, {10 * kPerX, 0, 0}},        {-10.0f, 0.0f, {-10 * kPerX, 0, 0}},
        {0.0f, 10.0f, {0, -10 * kPerY, 0}},  // mouse down: towards negative y
        {2.5f, 0.0f, {2.5f * kPerX, 0, 0}},  // Shift: a quarter of 10 pixels
        {40.0f, 0.0f, {40 * kPerX, 0, 0}},   // Ctrl: four times 10 pixels
        {3.0f, -5.0f, {3 * kPerX, 5 * kPerY, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dx " << c.dx << " dy " << c.dy);
        ExpectNear(DragFromMiddle(c.dx, c.dy), c.move, 1e-3f);
    }
    // Turned by 90 degrees about y, the screen's right is the model's +z.
    viewState.modelYaw = 90.0f;
    ExpectNear(DragFromMiddle(10.0f, 0.0f), {0, 0, 10 * kPerX}, 1e-3f);
    // Twice as far from the eye, twice the movement per pixel.
    viewState = ViewState{};
    viewState.eye.z = 999.0f;
    ExpectNear(DragFromMiddle(10.0f, 0.0f), {20 * kPerX, 0, 0}, 1e-2f);
}

TEST_F(DraggingTest, DraggedAtomKeepsItsForcesAndItsPlaceWhileTheSimulationRuns) {
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
    ExpectNear(molecule.nodes[0].position, placed, 0.0f);
    EXPECT_GT(molecule.nodes[1].position.x, 80.0f);
}

TEST_F(DraggingTest, DragOfNoNodeIntoAnEmptyWindowOrFromAFarEyeStaysSound) {
    Add({5.0f, 6.0f, 7.0f});
    DragNode(1, 300, 200, 10.0f, 10.0f);
    DragNode(-1, 300, 200, 10.0f, 10.0f);
    settings.WindowWidth = 0;
    DragNode(0, 300, 200, 10.0f, 10.0f);
    ExpectNear(molecule.nodes[0].position, {5.0f, 6.0f, 7.0f}, 0.0f);

    settings.WindowWidth = 600;
    viewState.eye = {0.0f, 0.0f, 3e38f};
    DragNode(0, 0, 0, 1e6f, -1e6f);
    const Vector3& p = molecule.nodes[0].position;
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
}

TEST_F(DraggingTest, CentringResetsTheCameraAndPutsTheCurrentAtomAtTheOrigin) {
    Add({1.0f, 2.0f, 3.0f});
    Add({10.0f, -20.0f, 30.5f});
    viewState.eye = {4.0f, 5.0f, 6.0f};
    viewState.viewPitch = viewState.viewYaw = viewState.modelPitch = viewState.modelYaw = 10.0f;
    viewState.atomScale = 2.0f;
    molecule.currentNode = 1;
    CentreMolecule();
    ExpectNear(molecule.nodes[1].position, {0.0f, 0.0f, 0.0f}, 0.0f);
    ExpectNear(molecule.nodes[0].position, {-9.0f, 22.0f, -27.5f}, 0.0f);
    ExpectNear(viewState.eye, {0.0f, 0.0f, 500.0f}, 0.0f);
    EXPECT_EQ(viewState.viewPitch, 0.0f);
    EXPECT_EQ(viewState.modelYaw, 0.0f);
    EXPECT_EQ(viewState.atomScale, 2.0f);

    // An empty molecule only resets the camera.
    ResetProcessState();
    viewState.eye.x = 1.0f;
    molecule.currentNode = 0;
    CentreMolecule();
    EXPECT_EQ(viewState.eye.x, 0.0f);
}

TEST_F(DraggingTest, CentringWithoutACurrentAtomUsesTheCentreOfMass) {
    const struct {
        int currentNode;
        int element0, element1;
        float expected0;  // x of node 0 afterwards; node 1 starts 4 further
    } cases[] = {
        {-1, 0, 0, -2.0f},  // same element: the midpoint
        {-1, 0, 1, -3.0f},  // masses 1 and 3
        {2, 1, 0, -1.0f},   // a stale current node counts as none
        {-1, 2, 2, -2.0f},  // no mass at all: the plain centre
    };
    for (const auto& c : cases) {
        ResetProcessState();
        SetUp();
        Add({10.0f, 1.0f, -1.0f}, c.element0);
        Add({14.0f, 1.0f, -1.0f}, c.element1);
        molecule.currentNode = c.currentNode;
        CentreMolecule();
        SCOPED_TRACE(testing::Message() << "node 0 going to " << c.expected0);
        ExpectNear(molecule.nodes[0].position, {c.expected0, 0.0f, 0.0f}, 1e-5f);
        ExpectNear(molecule.nodes[1].position, {c.expected0 + 4.0f, 0.0f, 0.0f}, 1e-5f);
    }
    // Masses that nearly cancel would put the centre beyond the float range.
    ResetProcessState();
    SetUp();
    elementTable[1].mass = -0.99999994f;
    Add({3e38f, 0.0f, 0.0f}, 0);
    Add({-3e38f, 0.0f, 0.0f}, 1);
    CentreMolecule();
    for (const Node& node : molecule.nodes) EXPECT_LE(std::abs(node.position.x), kPositionLimit);
}

}  // namespace
