// The program's SimulationStep against the plain reference step: after one
// step on random molecules, under each combination of the step's conditions,
// every position and force agrees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "element.h"
#include "molecule.h"
#include "process_state.h"
#include "reference_step.h"
#include "settings.h"
#include "simulation.h"

namespace {

class SimulationAgreementTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        // Hydrogen, carbon, nitrogen and oxygen with the radii the reader gives.
        const float masses[] = {1.008f, 12.011f, 14.007f, 15.999f};
        elementTable = ElementTable(4);
        for (size_t i = 0; i < elementTable.size(); ++i) {
            elementTable[i].mass = masses[i];
            elementTable[i].radius = ElementRadius(masses[i], 0);
            elements.push_back(&elementTable[i]);
        }
    }
    std::vector<Element*> elements;
};

void ExpectClose(const Vector3& actual, const Vector3& expected, const char* what, int node) {
    const float values[][2] = {
        {actual.x, expected.x}, {actual.y, expected.y}, {actual.z, expected.z}};
    for (const auto& pair : values) {
        const float tolerance = 1e-4f * std::max(1.0f, std::abs(pair[1]));
        EXPECT_NEAR(pair[0], pair[1], tolerance) << what << " of node " << node;
    }
}

TEST_F(SimulationAgreementTest, OneStepMatchesTheReferenceOnRandomMolecules) {
    struct Conditions {
        int cohesion;
        bool squash;
        int held;  // -1 for none
    };
    const Conditions conditions[] = {
        {50, false, -1}, {0, true, -1}, {100, false, 3}, {17, true, 0}};
    const int sizes[] = {2, 13, 60, 250};
    std::mt19937 generator(99);
    std::uniform_real_distribution<float> previous(-3.0f, 3.0f);
    uint32_t seed = 1;
    for (const Conditions& c : conditions) {
        for (const int size : sizes) {
            std::vector<Node> reference = RandomChainMolecule(size, seed++, elements);
            // Earlier forces, so that some nodes turn back and halve their step.
            for (Node& node : reference)
                node.previousForce = {previous(generator), previous(generator),
                                      previous(generator)};
            molecule = Molecule{};
            molecule.nodes = reference;
            settings.Cohesion = c.cohesion;
            settings.Squash = c.squash;
            molecule.dragging = c.held >= 0;
            molecule.currentNode = c.held;

            SimulationStep();
            ReferenceSimulationStep(reference, {c.cohesion, c.squash, c.held >= 0, c.held});

            SCOPED_TRACE(testing::Message() << size << " nodes, cohesion " << c.cohesion);
            for (int i = 0; i < size; ++i) {
                const Node& actual = molecule.nodes[i];
                const Node& expected = reference[i];
                ExpectClose(actual.position, expected.position, "position", i);
                ExpectClose(actual.force, expected.force, "force", i);
                ExpectClose(actual.previousForce, expected.previousForce, "previous force", i);
            }
        }
    }
}

}  // namespace
