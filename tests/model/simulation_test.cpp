// The layout simulation: the forces between two nodes, the step cap and its
// halving, Squash and its release, the held node, and the guards that keep
// every position and force finite.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <set>

#include "element.h"
#include "molecule.h"
#include "process_state.h"
#include "random.h"
#include "settings.h"
#include "simulation.h"

namespace {

// With the default Cohesion of 50.
constexpr float kLinkStrength = 0.52f / 30.0f;
constexpr float kRepulsionStrength = 600.0f / 52.0f;

class SimulationTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        elementTable = ElementTable(1);
        elementTable[0].radius = 20.0f;
        elementTable[0].mass = 12.0f;
    }
    int Add(Vector3 position) {
        Node node;
        node.id = NodeCount();
        node.position = position;
        node.element = &elementTable[0];
        AppendNode(node);
        return node.id;
    }
    void Link(int a, int b, int order) {
        molecule.nodes[a].neighbours.push_back(b);
        molecule.nodes[a].linkOrders.push_back(order);
        molecule.nodes[b].neighbours.push_back(a);
        molecule.nodes[b].linkOrders.push_back(order);
    }
    static float Distance(const Vector3& a, const Vector3& b) {
        return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
    }
    static bool Finite(const Vector3& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    }
    void ExpectAllFinite() const {
        for (const Node& node : molecule.nodes) {
            EXPECT_TRUE(Finite(node.position)) << "node " << node.id;
            EXPECT_TRUE(Finite(node.force)) << "node " << node.id;
            EXPECT_TRUE(Finite(node.previousForce)) << "node " << node.id;
        }
    }
};

TEST_F(SimulationTest, SingleNodeFeelsNoForceAndStaysPut) {
    Add({3.0f, -4.0f, 5.0f});
    SimulationStep();
    const Node& node = molecule.nodes[0];
    EXPECT_EQ(node.position.x, 3.0f);
    EXPECT_EQ(node.position.y, -4.0f);
    EXPECT_EQ(node.position.z, 5.0f);
    EXPECT_EQ(node.previousForce.x, 0.0f);
    EXPECT_EQ(node.force.x, 0.0f);
}

TEST_F(SimulationTest, TwoUnlinkedNodesTenApartRepelBySixtyOverFiftyTwo) {
    Add({0.0f, 0.0f, 0.0f});
    Add({10.0f, 0.0f, 0.0f});
    SimulationStep();
    const float push = 60.0f / 52.0f;
    EXPECT_NEAR(molecule.nodes[0].previousForce.x, -push, 1e-5);
    EXPECT_NEAR(molecule.nodes[1].previousForce.x, push, 1e-5);
    // stepSize is 1.2 with two nodes.
    EXPECT_NEAR(molecule.nodes[0].position.x, -1.2f * push, 1e-5);
    EXPECT_NEAR(molecule.nodes[1].position.x, 10.0f + 1.2f * push, 1e-5);
    EXPECT_EQ(molecule.nodes[0].position.y, 0.0f);
    EXPECT_EQ(molecule.nodes[1].force.x, 0.0f);
}

// Both radii are 20, so the ideal length is 70 for a single link, 62.5 for a
// double and 60 for a triple one. A link met within 0.85..1.25 of its ideal
// length with opposing forces is damped from both ends: 0.7 * 0.7.
TEST_F(SimulationTest, LinkedPairForceFollowsIdealLengthAndDamping) {
    struct Case {
        int order;
        float distance;
        float outward;  // force pushing each node away from the other
    };
    const float damped = 0.49f;
    const Case cases[] = {
        {1, 60.0f, damped * (100.0f * kLinkStrength + kRepulsionStrength / 60.0f)},
        {1, 70.0f, damped * (kRepulsionStrength / 70.0f)},
        {1, 50.0f, 400.0f * kLinkStrength + kRepulsionStrength / 50.0f},
        {1, 100.0f, -900.0f * kLinkStrength + kRepulsionStrength / 100.0f},
        {2, 62.5f, damped * (kRepulsionStrength / 62.5f)},
        {2, 70.0f, damped * (-56.25f * kLinkStrength + kRepulsionStrength / 70.0f)},
        {3, 60.0f, damped * (kRepulsionStrength / 60.0f)},
    };
    for (const Case& c : cases) {
        ResetProcessState();
        SetUp();
        Add({0.0f, 0.0f, 0.0f});
        Add({c.distance, 0.0f, 0.0f});
        Link(0, 1, c.order);
        SimulationStep();
        SCOPED_TRACE(testing::Message() << "order " << c.order << " at " << c.distance);
        EXPECT_NEAR(molecule.nodes[0].previousForce.x, -c.outward, 1e-4);
        EXPECT_NEAR(molecule.nodes[1].previousForce.x, c.outward, 1e-4);
        EXPECT_EQ(molecule.nodes[0].previousForce.y, 0.0f);
    }
}

TEST_F(SimulationTest, StepIsCappedAtFourStepSizesAndHalvedWhenForceTurnsBack) {
    struct Case {
        float distance;  // linked when far, so that the pull exceeds 4
        bool linked;
        float previousX;  // node 0's previous force; node 1's is zero
        float move0;      // along x; stepSize is 1.2 with two nodes
        float move1;
    };
    const float push = 60.0f / 52.0f;
    const Case cases[] = {
        {1000.0f, true, 0.0f, 4.8f, -4.8f},  // pulled together, capped at 4 * 1.2
        {1000.0f, true, -1.0f, 2.4f, -4.8f},
        {1000.0f, true, 1.0f, 4.8f, -4.8f},  // same direction as before: no halving
        {10.0f, false, 0.0f, -1.2f * push, 1.2f * push},
        {10.0f, false, 1.0f, -0.6f * push, 1.2f * push},
    };
    for (const Case& c : cases) {
        ResetProcessState();
        SetUp();
        Add({0.0f, 0.0f, 0.0f});
        Add({c.distance, 0.0f, 0.0f});
        if (c.linked) Link(0, 1, 1);
        molecule.nodes[0].previousForce = {c.previousX, 0.0f, 0.0f};
        SimulationStep();
        SCOPED_TRACE(testing::Message() << c.distance << " apart, previous " << c.previousX);
        EXPECT_NEAR(molecule.nodes[0].position.x, c.move0, 1e-4);
        EXPECT_NEAR(molecule.nodes[1].position.x - c.distance, c.move1, 1e-4);
    }
}

TEST_F(SimulationTest, SquashReplacesTheZForceWhateverTheLinksSay) {
    Add({0.0f, 0.0f, 10.0f});
    Add({0.0f, 0.0f, 300.0f});
    Link(0, 1, 1);
    settings.Squash = true;
    SimulationStep();
    EXPECT_FLOAT_EQ(molecule.nodes[0].previousForce.z, -0.1f);
    EXPECT_FLOAT_EQ(molecule.nodes[1].previousForce.z, -3.0f);
    EXPECT_FLOAT_EQ(molecule.nodes[0].position.z, 10.0f - 1.2f * 0.1f);
    EXPECT_FLOAT_EQ(molecule.nodes[1].position.z, 300.0f - 1.2f * 3.0f);

    // Without Squash the link pulls node 0 up by a capped step, halved
    // since the force now points against Squash's pull of the last step.
    settings.Squash = false;
    molecule.nodes[0].position.z = 10.0f;
    molecule.nodes[1].position.z = 300.0f;
    SimulationStep();
    EXPECT_NEAR(molecule.nodes[0].position.z, 10.0f + 2.4f, 1e-4);
}

TEST_F(SimulationTest, ReleaseSquashSpreadsDepthOverTheGridFromMinusOneToOne) {
    for (int i = 0; i < 300; ++i) Add({static_cast<float>(i), static_cast<float>(-i), 5.0f});
    SeedRandom(12345);
    ReleaseSquash();
    std::set<long> steps;
    for (const Node& node : molecule.nodes) {
        EXPECT_GE(node.position.z, -1.0f);
        EXPECT_LE(node.position.z, 1.0f);
        const float grid = node.position.z / 0.02f;
        EXPECT_NEAR(grid, std::round(grid), 1e-3);
        steps.insert(std::lround(grid));
        EXPECT_EQ(node.position.x, static_cast<float>(node.id));
        EXPECT_EQ(node.position.y, static_cast<float>(-node.id));
    }
    // 300 draws over 101 depths reach both ends of the range and most between.
    EXPECT_GT(steps.size(), 80u);
    EXPECT_LT(*steps.begin(), -40);
    EXPECT_GT(*steps.rbegin(), 40);
}

TEST_F(SimulationTest, HeldNodeStaysWhileItsForceGathersThenActsCappedOnRelease) {
    Add({0.0f, 0.0f, 0.0f});
    Add({10.0f, 0.0f, 0.0f});
    molecule.dragging = true;
    molecule.currentNode = 0;

    SimulationStep();
    EXPECT_EQ(molecule.nodes[0].position.x, 0.0f);
    EXPECT_NEAR(molecule.nodes[0].force.x, -60.0f / 52.0f, 1e-5);
    EXPECT_EQ(molecule.nodes[0].previousForce.x, 0.0f);
    EXPECT_GT(molecule.nodes[1].position.x, 10.0f);

    const float afterOne = molecule.nodes[0].force.x;
    for (int i = 0; i < 20; ++i) SimulationStep();
    EXPECT_EQ(molecule.nodes[0].position.x, 0.0f);
    EXPECT_LT(molecule.nodes[0].force.x, afterOne - 4.0f);

    molecule.dragging = false;
    SimulationStep();
    EXPECT_NEAR(molecule.nodes[0].position.x, -4.8f, 1e-4);
    EXPECT_EQ(molecule.nodes[0].force.x, 0.0f);
}

TEST_F(SimulationTest, StaleCurrentNodeHoldsNothing) {
    Add({0.0f, 0.0f, 0.0f});
    Add({10.0f, 0.0f, 0.0f});
    molecule.dragging = true;
    molecule.currentNode = 2;
    SimulationStep();
    EXPECT_LT(molecule.nodes[0].position.x, 0.0f);
    EXPECT_GT(molecule.nodes[1].position.x, 10.0f);
}

TEST_F(SimulationTest, AtomsAtTheSamePlaceMoveApartWithinAFewSteps) {
    struct Case {
        int count;
        bool chain;  // linked one after another
        int cohesion;
    };
    const Case cases[] = {
        {2, false, 50}, {2, true, 50}, {5, false, 50},  {4, true, 50},
        {2, false, -2}, {3, true, 0},  {6, false, 100},
    };
    for (const Case& c : cases) {
        ResetProcessState();
        SetUp();
        settings.Cohesion = c.cohesion;
        for (int i = 0; i < c.count; ++i) Add({7.0f, -3.0f, 2.0f});
        if (c.chain)
            for (int i = 1; i < c.count; ++i) Link(i - 1, i, 1);
        for (int step = 0; step < 5; ++step) SimulationStep();
        SCOPED_TRACE(testing::Message() << c.count << " atoms, cohesion " << c.cohesion);
        ExpectAllFinite();
        for (int i = 0; i < c.count; ++i)
            for (int j = 0; j < i; ++j)
                EXPECT_GT(Distance(molecule.nodes[i].position, molecule.nodes[j].position), 1.0f)
                    << i << " and " << j;
    }
}

// Cohesion -2 makes 20 / x meaningless; the step uses the strength of
// Cohesion -1 (600) instead. Below -2 both strengths are negative and only
// damping and movement run.
TEST_F(SimulationTest, CohesionOutsideTheDialogRangeGivesFiniteForces) {
    struct Case {
        int cohesion;
        float push;  // on each of two unlinked nodes 10 apart
    };
    const Case cases[] = {
        {-2, 60.0f},
        {-1, 60.0f},
        {-3, 0.0f},
        {INT_MIN, 0.0f},
        {INT_MAX, 20.0f / ((static_cast<float>(INT_MAX) + 2.0f) * 0.033333335f) / 10.0f},
    };
    for (const Case& c : cases) {
        ResetProcessState();
        SetUp();
        settings.Cohesion = c.cohesion;
        Add({0.0f, 0.0f, 0.0f});
        Add({10.0f, 0.0f, 0.0f});
        SimulationStep();
        SCOPED_TRACE(testing::Message() << "cohesion " << c.cohesion);
        ExpectAllFinite();
        EXPECT_NEAR(molecule.nodes[1].previousForce.x, c.push, 1e-4 * std::max(1.0f, c.push));
    }
}

TEST_F(SimulationTest, HugeCoordinatesAndBrokenRecordsStayFinite) {
    const float big = std::numeric_limits<float>::max();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Add({big, -big, big});
    Add({-big, big, -big});
    Add({3e38f, 3e38f, -3e38f});
    Add({nan, 0.0f, 1.0f});
    Add({0.0f, 0.0f, 0.0f});
    Add({1e20f, 0.0f, 0.0f});
    Link(0, 1, 1);
    Link(1, 2, 3);
    Link(3, 4, 1);
    Link(4, 5, 2);
    // Records a damaged file could leave: a link to no node, an order of 0,
    // a node without an element.
    molecule.nodes[4].neighbours.push_back(99);
    molecule.nodes[4].linkOrders.push_back(1);
    molecule.nodes[2].linkOrders.back() = 0;
    molecule.nodes[5].element = nullptr;
    molecule.nodes[0].force = {std::numeric_limits<float>::infinity(), 0.0f, 0.0f};
    molecule.dragging = true;
    molecule.currentNode = 1;
    for (int step = 0; step < 30; ++step) {
        SimulationStep();
        settings.Squash = step % 2 == 0;
    }
    ExpectAllFinite();
    for (const Node& node : molecule.nodes) {
        EXPECT_LE(std::abs(node.position.x), kPositionLimit);
        EXPECT_LE(std::abs(node.position.y), kPositionLimit);
        EXPECT_LE(std::abs(node.position.z), kPositionLimit);
    }
}

}  // namespace
