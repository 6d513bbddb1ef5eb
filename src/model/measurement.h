// Distances, bond angles and dihedral (torsion) angles between atom
// positions, and the one-line text that shows them to the person.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geometry.h"
#include "units.h"

// Distance between a and b in model units.
double Distance(Vector3 a, Vector3 b);

// The angle a-b-c at b in degrees, from 0 to 180; none when a or c lies on b.
std::optional<double> Angle(Vector3 a, Vector3 b, Vector3 c);

// The dihedral angle a-b-c-d in degrees, from -180 to 180: the turn that
// brings the bond b-a onto c-d, seen along b to c, positive when clockwise.
// None when a, b, c or b, c, d lie on one line.
std::optional<double> Dihedral(Vector3 a, Vector3 b, Vector3 c, Vector3 d);

// One line for two, three or four positions in the order given (the second
// and third are the middle atoms): "Distance 1.507 Å (45.20)", "Angle
// 104.5°" or "Dihedral -60.0°", with "undefined" for an angle without a
// direction. unitsPerAngstrom converts model units to ångström; the
// ångström part is left out when it is not a positive number. Empty for any
// other count.
std::string MeasurementText(const std::vector<Vector3>& positions, double unitsPerAngstrom);

// The nodes in the order to measure them: when the links among them join
// them into one chain (a bond angle, a torsion), along that chain, starting
// at the end with the lower index; otherwise as given. Indices naming no node
// are left out.
std::vector<int> OrderAlongLinks(std::vector<int> nodes);

// MeasurementText for the selected nodes, ordered along their links; empty
// unless two, three or four nodes are selected.
std::string SelectionMeasurementText(double unitsPerAngstrom = kUnitsPerAngstrom);
