// The program's SimulationStep against the plain reference step: after one
// step on random molecules, under each combination of the step's conditions,
// every position and force agrees. And the step of a molecule big enough to
// be shared between threads gives the same bits however it is shared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "process_state.h"
#include "reference_step.h"
#include "settings.h"
#include "simulation.h"

namespace {

void ExpectClose(const Vector3& actual, const Vector3& expected, const char* what, int node) {
    for (const auto& [a, e] : {std::pair{actual.x, expected.x}, std::pair{actual.y, expected.y},
                               std::pair{actual.z, expected.z}})
        EXPECT_NEAR(a, e, 1e-4f * std::max(1.0f, std::abs(e))) << what << " of node " << node;
}

// Hydrogen, carbon, nitrogen and oxygen with the radii the reader gives.
std::vector<Element*> ReaderElements() {
    elementTable = ElementTable(4);
    std::vector<Element*> elements;
    const float masses[] = {1.008f, 12.011f, 14.007f, 15.999f};
    for (size_t i = 0; i < elementTable.size(); ++i) {
        elementTable[i].radius = ElementRadius(masses[i], 0);
        elements.push_back(&elementTable[i]);
    }
    return elements;
}

using SimulationAgreementTest = FreshProcessTest;

TEST_F(SimulationAgreementTest, OneStepMatchesTheReferenceOnRandomMolecules) {
    const std::vector<Element*> elements = ReaderElements();
    const ReferenceConditions conditions[] = {
        {50, false, false, -1}, {0, true, false, -1}, {100, false, true, 3}, {17, true, true, 0}};
    std::mt19937 generator(99);
    std::uniform_real_distribution<float> previous(-3.0f, 3.0f);
    uint32_t seed = 1;
    for (const ReferenceConditions& c : conditions) {
        for (const int size : {2, 13, 60, 250, 1601}) {
            std::vector<Node> reference = RandomChainMolecule(size, seed++, elements);
            // Earlier forces, so that some nodes turn back and halve their step.
            for (Node& node : reference)
                node.previousForce = {previous(generator), previous(generator),
                                      previous(generator)};
            molecule.nodes = reference;
            settings.Cohesion = c.cohesion;
            settings.Squash = c.squash;
            molecule.dragging = c.dragging;
            molecule.currentNode = c.currentNode;
            SimulationStep();
            ReferenceSimulationStep(reference, c);
            SCOPED_TRACE(testing::Message() << size << " nodes, cohesion " << c.cohesion);
            for (int i = 0; i < size; ++i) {
                ExpectClose(molecule.nodes[i].position, reference[i].position, "position", i);
                ExpectClose(molecule.nodes[i].force, reference[i].force, "force", i);
                ExpectClose(molecule.nodes[i].previousForce, reference[i].previousForce,
                            "previous force", i);
            }
        }
    }
}

TEST_F(SimulationAgreementTest, BigStepGivesTheSameBitsRunAfterRunOnAnyThreadCount) {
    std::vector<Node> start = RandomChainMolecule(2000, 5, ReaderElements());
    start[1500].position = start[20].position;  // a coincident pair across blocks
    start[1999].position = start[1998].position;
    std::vector<float> first;
    for (const int threads : {1, 0, 0, 2, 1}) {
        SetLayoutThreads(threads);
        molecule.nodes = start;
        for (int step = 0; step < 3; ++step) SimulationStep();
        std::vector<float> positions;
        for (const Node& node : molecule.nodes)
            positions.insert(positions.end(), {node.position.x, node.position.y, node.position.z});
        if (first.empty()) first = positions;
        EXPECT_EQ(std::memcmp(positions.data(), first.data(), first.size() * sizeof(float)), 0)
            << threads << " threads";
    }
    SetLayoutThreads(0);
    EXPECT_NE(first[3 * 1998], first[3 * 1999]);  // the coincident pairs were pushed apart
    EXPECT_NE(first[3 * 1500], first[3 * 20]);
}

}  // namespace
