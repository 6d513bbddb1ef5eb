// Distances, angles and dihedrals against values worked out by hand, and the
// line that shows them.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "measurement.h"
#include "molecule_builder.h"
#include "process_state.h"

namespace {

constexpr double kCos60 = 0.5, kSin60 = 0.8660254037844386;

TEST(MeasurementTest, AnglesAndDihedralsMatchHandComputedValues) {
    const Vector3 o{0, 0, 0}, x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    EXPECT_DOUBLE_EQ(Distance({1, 2, 3}, {4, 6, 3}), 5.0);
    const struct {
        Vector3 a, b, c;
        std::optional<double> degrees;
    } angles[] = {
        {x, o, y, 90.0},
        {x, o, {-2, 0, 0}, 180.0},
        {x, o, {3, 0, 0}, 0.0},
        {x, o, {1, 1, 0}, 45.0},
        {{1, 1, 1}, o, {1, -1, -1}, 109.47122063449069},
        {o, o, y, std::nullopt},
        {x, o, o, std::nullopt},
    };
    for (const auto& c : angles) {
        const std::optional<double> angle = Angle(c.a, c.b, c.c);
        ASSERT_EQ(angle.has_value(), c.degrees.has_value());
        if (angle) {
            EXPECT_NEAR(*angle, *c.degrees, 1e-9);
        }
    }
    // Seen along the axis from b = o to c = z, a lies on +x; d lies above c
    // at the angle given, and turning +x clockwise onto d is positive.
    const float c60 = static_cast<float>(kCos60), s60 = static_cast<float>(kSin60);
    const struct {
        Vector3 d;
        std::optional<double> degrees;
    } dihedrals[] = {
        {{0, 1, 1}, 90.0},         {{0, -1, 1}, -90.0},   {{1, 0, 1}, 0.0},
        {{-1, 0, 1}, 180.0},       {{c60, s60, 1}, 60.0}, {{c60, -s60, 1}, -60.0},
        {{0, 0, 2}, std::nullopt},
    };
    for (const auto& c : dihedrals) {
        const std::optional<double> angle = Dihedral(x, o, z, c.d);
        ASSERT_EQ(angle.has_value(), c.degrees.has_value());
        if (!angle) continue;
        // 180 and -180 are the same turn.
        EXPECT_NEAR(*c.degrees == 180.0 ? std::abs(*angle) : *angle, *c.degrees, 1e-5);
    }
    EXPECT_FALSE(Dihedral({0, 0, -1}, o, z, y));  // a on the axis
    // Naming the atoms the other way round gives the same dihedral.
    EXPECT_NEAR(*Dihedral({c60, -s60, 1}, z, o, x), -60.0, 1e-5);
}

TEST(MeasurementTest, TextShowsUnitsAngstromAndDegreesForTwoToFourAtoms) {
    const Vector3 o{0, 0, 0}, x{30, 0, 0}, y{0, 30, 0}, z{0, 0, 30};
    const struct {
        std::vector<Vector3> positions;
        double unitsPerAngstrom;
        std::string text;
    } cases[] = {
        {{}, 20.0, ""},
        {{x}, 20.0, ""},
        {{o, x}, 20.0, "Distance 1.500 \u00c5 (30.00)"},
        {{o, x}, 0.0, "Distance 30.00"},
        {{x, o, y}, 20.0, "Angle 90.0\u00b0"},
        {{x, o, x}, 20.0, "Angle 0.0\u00b0"},
        {{o, o, y}, 20.0, "Angle undefined"},
        {{x, o, z, {0, -30, 30}}, 20.0, "Dihedral -90.0\u00b0"},
        {{x, o, z, {30, 0, 30}}, 20.0, "Dihedral 0.0\u00b0"},
        {{x, o, {60, 0, 0}, y}, 20.0, "Dihedral undefined"},
        {{o, x, y, z, o}, 20.0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MeasurementText(c.positions, c.unitsPerAngstrom), c.text);
}

TEST(MeasurementTest, SelectedAtomsAreMeasuredAlongTheirLinks) {
    ResetProcessState();
    elementTable.resize(1);
    // 0-1-2-3 a chain, 5 a branch on 1, 4 alone; 0-1-2 is a right angle, and
    // seen along 1 to 2 (+y, x to the right, z up) 0 turns anticlockwise onto 3.
    const Vector3 at[] = {{30, 0, 0}, {0, 0, 0}, {0, 30, 0}, {0, 30, 30}, {9, 9, 9}, {0, 0, -30}};
    for (const Vector3& position : at) AddTestNode(position, &elementTable[0]);
    for (auto [a, b] : {std::pair{0, 1}, {1, 2}, {2, 3}, {1, 5}}) LinkTestNodes(a, b, 1);
    using Ints = std::vector<int>;
    const struct {
        Ints given, ordered;
    } cases[] = {
        {{2, 0, 1}, {0, 1, 2}},
        {{3, 1, 2, 0}, {0, 1, 2, 3}},
        {{3, 2}, {2, 3}},
        {{5, 2, 1}, {2, 1, 5}},
        {{0, 2}, {0, 2}},
        {{0, 5, 2, 1}, {0, 5, 2, 1}},
        {{0, 1, 2, 4}, {0, 1, 2, 4}},
        {{7, 1, -1, 0}, {0, 1}},
        {{0, 1, 3, 2}, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) EXPECT_EQ(OrderAlongLinks(c.given), c.ordered);

    for (int i : {2, 1, 0}) molecule.nodes[i].selected = true;
    EXPECT_EQ(SelectionMeasurementText(20.0), "Angle 90.0\u00b0");
    molecule.nodes[3].selected = true;
    EXPECT_EQ(SelectionMeasurementText(20.0), "Dihedral -90.0\u00b0");
    molecule.nodes[4].selected = true;
    EXPECT_EQ(SelectionMeasurementText(), "");
}

}  // namespace
