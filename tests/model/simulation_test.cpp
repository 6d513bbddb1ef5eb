// The layout simulation: the forces between two nodes, the step cap and its
// halving, Squash and its release, the held node, and the guards that keep
// every position and force finite.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <set>

#include "molecule_builder.h"
#include "process_state.h"
#include "random.h"
#include "settings.h"
#include "simulation.h"

namespace {

// With the default Cohesion of 50; stepSize is 1.2 with two nodes.
constexpr float kLinkStrength = 0.52f / 30.0f;
constexpr float kRepulsionStrength = 600.0f / 52.0f;
constexpr float kPush10 = 60.0f / 52.0f;  // repulsion between nodes 10 apart

class SimulationTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        elementTable = ElementTable(1);
        elementTable[0].radius = 20.0f;  // ideal lengths 70, 62.5 and 60
    }
    void Fresh() {
        ResetProcessState();
        SetUp();
    }
    int Add(Vector3 position) { return AddTestNode(position, &elementTable[0]); }
    // Two nodes on the x axis, node 1 at distance, linked when order > 0.
    void AddPair(float distance, int order) {
        Add({0.0f, 0.0f, 0.0f});
        Add({distance, 0.0f, 0.0f});
        if (order > 0) LinkTestNodes(0, 1, order);
    }
    Vector3& Position(int i) { return molecule.nodes[i].position; }
    void ExpectAllFinite() const {
        for (const Node& node : molecule.nodes)
            for (const Vector3& v : {node.position, node.force, node.previousForce})
                EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z))
                    << "node " << node.id;
    }
};

TEST_F(SimulationTest, UnlinkedNodesRepelByStrengthOverDistanceAndALoneNodeStays) {
    Add({3.0f, -4.0f, 5.0f});
    SimulationStep();
    EXPECT_EQ(Position(0).x, 3.0f);
    EXPECT_EQ(molecule.nodes[0].previousForce.x, 0.0f);

    Fresh();
    AddPair(10.0f, 0);
    SimulationStep();
    EXPECT_NEAR(molecule.nodes[0].previousForce.x, -kPush10, 1e-5);
    EXPECT_NEAR(molecule.nodes[1].previousForce.x, kPush10, 1e-5);
    EXPECT_NEAR(Position(0).x, -1.2f * kPush10, 1e-5);
    EXPECT_NEAR(Position(1).x, 10.0f + 1.2f * kPush10, 1e-5);
    EXPECT_EQ(Position(1).y, 0.0f);
    EXPECT_EQ(molecule.nodes[1].force.x, 0.0f);
}

// A link met within 0.85..1.25 of its ideal length with opposing forces is
// damped from both of its ends: 0.7 * 0.7.
TEST_F(SimulationTest, LinkedPairForceFollowsIdealLengthAndDamping) {
    const float damped = 0.49f;
    const struct {
        int order;
        float distance;
        float outward;  // on each node, away from the other
    } cases[] = {
        {1, 60.0f, damped * (100.0f * kLinkStrength + kRepulsionStrength / 60.0f)},
        {1, 70.0f, damped * (kRepulsionStrength / 70.0f)},
        {1, 50.0f, 400.0f * kLinkStrength + kRepulsionStrength / 50.0f},
        {1, 100.0f, -900.0f * kLinkStrength + kRepulsionStrength / 100.0f},
        {2, 62.5f, damped * (kRepulsionStrength / 62.5f)},
        {2, 70.0f, damped * (-56.25f * kLinkStrength + kRepulsionStrength / 70.0f)},
        {3, 60.0f, damped * (kRepulsionStrength / 60.0f)},
    };
    for (const auto& c : cases) {
        Fresh();
        AddPair(c.distance, c.order);
        SimulationStep();
        SCOPED_TRACE(testing::Message() << "order " << c.order << " at " << c.distance);
        EXPECT_NEAR(molecule.nodes[0].previousForce.x, -c.outward, 1e-4);
        EXPECT_NEAR(molecule.nodes[1].previousForce.x, c.outward, 1e-4);
    }
}

// Closer than 1 a pair repels as if 1 apart (g = strength / 1, times the
// distance); beyond 1 by strength over distance.
TEST_F(SimulationTest, RepulsionDistanceIsBoundedBelowByOne) {
    for (const auto& [distance, push] :
         {std::pair{1.5f, kRepulsionStrength / 1.5f}, {0.5f, kRepulsionStrength * 0.5f}}) {
        Fresh();
        AddPair(distance, 0);
        SimulationStep();
        EXPECT_NEAR(molecule.nodes[1].previousForce.x, push, 1e-4) << distance;
        EXPECT_NEAR(molecule.nodes[0].previousForce.x, -push, 1e-4) << distance;
    }
}

TEST_F(SimulationTest, StepIsCappedAtFourStepSizesAndHalvedWhenForceTurnsBack) {
    const struct {
        float distance;   // linked when far, so that the pull exceeds 4
        float previousX;  // node 0's previous force; node 1's is zero
        float move0, move1;
    } cases[] = {
        {1000.0f, 0.0f, 4.8f, -4.8f},  // pulled together, capped at 4 * 1.2
        {1000.0f, -1.0f, 2.4f, -4.8f},
        {1000.0f, 1.0f, 4.8f, -4.8f},  // same direction as before: no halving
        {10.0f, 1.0f, -0.6f * kPush10, 1.2f * kPush10},
    };
    for (const auto& c : cases) {
        Fresh();
        AddPair(c.distance, c.distance > 100.0f ? 1 : 0);
        molecule.nodes[0].previousForce = {c.previousX, 0.0f, 0.0f};
        SimulationStep();
        SCOPED_TRACE(testing::Message() << c.distance << " apart, previous " << c.previousX);
        EXPECT_NEAR(Position(0).x, c.move0, 1e-4);
        EXPECT_NEAR(Position(1).x - c.distance, c.move1, 1e-4);
    }
}

TEST_F(SimulationTest, SquashReplacesTheZForceWhateverTheLinksSay) {
    Add({0.0f, 0.0f, 10.0f});
    Add({0.0f, 0.0f, 300.0f});
    LinkTestNodes(0, 1, 1);
    settings.Squash = true;
    SimulationStep();
    EXPECT_FLOAT_EQ(molecule.nodes[0].previousForce.z, -0.1f);
    EXPECT_FLOAT_EQ(molecule.nodes[1].previousForce.z, -3.0f);
    EXPECT_FLOAT_EQ(Position(0).z, 10.0f - 1.2f * 0.1f);
}

// After seeding with 1 the draws are 41, 18467, 6334, 26500, 19169, 15724,
// 11478, 29358, 26962: k = r * -100/32767 truncated towards zero, z = (-50 - k) * 0.02.
TEST_F(SimulationTest, ReleaseSquashGivesEachDrawItsGridStep) {
    const int steps[] = {-50, 6, -31, 30, 8, -3, -15, 39, 32};
    for (int i = 0; i < 9; ++i) Add({1.0f, 2.0f, 100.0f});
    SeedRandom(1);
    ReleaseSquash();
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Position(i).z, static_cast<float>(steps[i]) * 0.02f) << i;
        EXPECT_EQ(Position(i).y, 2.0f);
    }
}

TEST_F(SimulationTest, ReleaseSquashSpreadsDepthOverTheGridFromMinusOneToOne) {
    for (int i = 0; i < 300; ++i) Add({static_cast<float>(i), 1.0f, 5.0f});
    SeedRandom(12345);
    ReleaseSquash();
    std::set<long> steps;
    for (const Node& node : molecule.nodes) {
        const float grid = node.position.z / 0.02f;
        EXPECT_NEAR(grid, std::round(grid), 1e-3);
        steps.insert(std::lround(grid));
        EXPECT_EQ(node.position.x, static_cast<float>(node.id));
    }
    // 300 draws over 101 depths reach both ends of the range and most between.
    EXPECT_GT(steps.size(), 80u);
    EXPECT_GE(*steps.begin(), -50);
    EXPECT_LE(*steps.rbegin(), 50);
}

TEST_F(SimulationTest, HeldNodeStaysWhileItsForceGathersThenActsCappedOnRelease) {
    AddPair(10.0f, 0);
    molecule.dragging = true;
    molecule.currentNode = 0;
    SimulationStep();
    EXPECT_EQ(Position(0).x, 0.0f);
    EXPECT_NEAR(molecule.nodes[0].force.x, -kPush10, 1e-5);
    EXPECT_GT(Position(1).x, 10.0f);
    for (int i = 0; i < 20; ++i) SimulationStep();
    EXPECT_EQ(Position(0).x, 0.0f);
    EXPECT_LT(molecule.nodes[0].force.x, -4.0f);

    molecule.dragging = false;
    SimulationStep();
    EXPECT_NEAR(Position(0).x, -4.8f, 1e-4);
    EXPECT_EQ(molecule.nodes[0].force.x, 0.0f);

    // A current node left beyond the list by a removal holds nothing.
    molecule.dragging = true;
    molecule.currentNode = 2;
    SimulationStep();
    EXPECT_LT(Position(0).x, -4.8f);
}

TEST_F(SimulationTest, AtomsAtTheSamePlaceMoveApartWithinAFewSteps) {
    const struct {
        int count;
        bool chain;
        int cohesion;
    } cases[] = {{2, false, 50}, {2, true, 50}, {5, false, 50}, {4, true, -2}, {6, false, 100}};
    for (const auto& c : cases) {
        Fresh();
        settings.Cohesion = c.cohesion;
        for (int i = 0; i < c.count; ++i) Add({7.0f, -3.0f, 2.0f});
        for (int i = 1; c.chain && i < c.count; ++i) LinkTestNodes(i - 1, i, 1);
        for (int step = 0; step < 5; ++step) SimulationStep();
        SCOPED_TRACE(testing::Message() << c.count << " atoms, cohesion " << c.cohesion);
        ExpectAllFinite();
        for (int i = 0; i < c.count; ++i)
            for (int j = 0; j < i; ++j) {
                const Vector3 &a = Position(i), &b = Position(j);
                EXPECT_GT(std::hypot(a.x - b.x, a.y - b.y, a.z - b.z), 1.0f) << i << ", " << j;
            }
    }
}

// Cohesion -2 gives x = 0, where 20 / x has no value: the step uses the
// repulsion of Cohesion -1 (600). Below -2 both strengths are negative and
// neither force acts.
TEST_F(SimulationTest, CohesionOutsideTheDialogRangeGivesFiniteForces) {
    const float hugeX = (static_cast<float>(INT_MAX) + 2.0f) * 0.033333335f;
    const std::pair<int, float> cases[] = {
        {-2, 60.0f}, {-1, 60.0f}, {-3, 0.0f}, {INT_MIN, 0.0f}, {INT_MAX, 2.0f / hugeX}};
    for (const auto& [cohesion, push] : cases) {
        Fresh();
        settings.Cohesion = cohesion;
        AddPair(10.0f, 0);
        SimulationStep();
        SCOPED_TRACE(testing::Message() << "cohesion " << cohesion);
        ExpectAllFinite();
        EXPECT_NEAR(molecule.nodes[1].previousForce.x, push, 1e-4 * std::max(1.0f, push));
    }
}

TEST_F(SimulationTest, HugeCoordinatesAndBrokenRecordsStayFinite) {
    const float big = std::numeric_limits<float>::max();
    Add({big, -big, big});
    Add({-big, big, -big});
    Add({std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f});
    Add({0.0f, 0.0f, 0.0f});
    Add({1e20f, 0.0f, 0.0f});
    LinkTestNodes(0, 1, 1);
    LinkTestNodes(1, 2, 3);
    LinkTestNodes(3, 4, 2);
    // What a damaged file could leave: a link to no node, an order of 0, a
    // node without an element, an infinite force.
    molecule.nodes[3].neighbours.push_back(99);
    molecule.nodes[3].linkOrders.push_back(1);
    molecule.nodes[2].linkOrders.back() = 0;
    molecule.nodes[4].element = nullptr;
    molecule.nodes[0].force.x = std::numeric_limits<float>::infinity();
    molecule.dragging = true;
    molecule.currentNode = 1;
    for (int step = 0; step < 30; ++step) {
        SimulationStep();
        settings.Squash = step % 2 == 0;
    }
    ExpectAllFinite();
    for (const Node& node : molecule.nodes)
        EXPECT_LE(std::max({std::abs(node.position.x), std::abs(node.position.y),
                            std::abs(node.position.z)}),
                  kPositionLimit);
}

}  // namespace
