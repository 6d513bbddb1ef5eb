// The layout simulation: each step pulls linked atoms towards the ideal
// length of their link, pushes every pair apart and moves each atom a
// bounded step along its force.
#pragma once

// Advances the whole molecule by one step. The node held with the mouse
// (dragging, at currentNode) neither moves nor loses its gathered force.
void SimulationStep();

// How many threads (the caller's included) the step of a big molecule may
// use; 0 or less: one for each core. The positions a step gives do not
// depend on it.
void SetLayoutThreads(int count);

// Gives every node a random depth from -1 to +1 in steps of 0.02, so that a
// molecule flattened by Squash regains its depth through the forces.
void ReleaseSquash();

// Bounds that keep every position and force finite whatever a file or the
// settings hold. No molecule that can be seen comes near them.
constexpr float kPositionLimit = 1e18f;  // per coordinate; pair distances stay squarable in float
constexpr float kForceLimit = 1e30f;     // per component of a node's force

// Atoms closer than this repel as if they were this far apart, in the
// direction between them; atoms at exactly the same place are pushed apart
// along a direction chosen from their two indices.
constexpr float kMinimumRepulsionDistance = 1.0f;

// Repulsion strength used when Cohesion is -2, where 20 / x has no value:
// the strength of Cohesion -1, the strongest that a finite x gives.
constexpr float kMaximumRepulsionStrength = 600.0f;
