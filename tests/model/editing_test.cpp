// Editing by hand: join and unjoin with the notices they hand back, adding
// atoms by element index and by typed name, removal with renumbering, cloud
// and charge, and commands given indices that name nothing.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "editing.h"
#include "molecule_builder.h"
#include "process_state.h"
#include "random.h"

namespace {

using Ints = std::vector<int>;

class EditingTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        const char* names[][2] = {{"Hydrogen", "H"},   {"Helium", "He"}, {"Lithium", "Li"},
                                  {"Beryllium", "Be"}, {"Boron", "B"},   {"Carbon", "C"}};
        elementTable.resize(6);
        for (int i = 0; i < 6; ++i) {
            elementTable[i].name = names[i][0];
            elementTable[i].symbol = names[i][1];
            elementTable[i].atomicNumber = i + 1;
        }
    }
    // count nodes along x, linked one after another.
    void AddChain(int count) {
        for (int i = 0; i < count; ++i)
            AddTestNode({static_cast<float>(i), 0.0f, 0.0f}, &elementTable[0]);
        for (int i = 1; i < count; ++i) LinkTestNodes(i - 1, i, 1);
    }
    void Select(const Ints& indices) {
        for (int i : indices) molecule.nodes[i].selected = true;
    }
    const Ints& Neighbours(int i) const { return molecule.nodes[i].neighbours; }
    const Ints& Orders(int i) const { return molecule.nodes[i].linkOrders; }
    void ExpectConsistent() const {
        std::string why;
        EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;
    }
};

TEST_F(EditingTest, JoinLinksTwoSelectedAtomsThenRaisesTheOrderAndUnjoinUndoesIt) {
    AddChain(4);  // 0-1-2-3; join 0 and 2
    Select({2, 0});
    for (int order = 1; order <= 3; ++order) EXPECT_EQ(JoinSelectedNodes(), Notices{});
    EXPECT_EQ(Neighbours(0), (Ints{1, 2}));
    EXPECT_EQ(Orders(0), (Ints{1, 3}));
    EXPECT_EQ(Neighbours(2), (Ints{1, 3, 0}));
    EXPECT_EQ(Orders(2), (Ints{1, 1, 3}));
    ExpectConsistent();
    EXPECT_EQ(UnjoinSelectedNodes(), Notices{});
    EXPECT_EQ(Orders(2), (Ints{1, 1, 2}));
    EXPECT_EQ(UnjoinSelectedNodes(), Notices{});
    EXPECT_EQ(UnjoinSelectedNodes(), Notices{});  // removed: later entries move down in order
    EXPECT_EQ(Neighbours(0), (Ints{1}));
    EXPECT_EQ(Neighbours(2), (Ints{1, 3}));
    EXPECT_EQ(Orders(2), (Ints{1, 1}));
    EXPECT_EQ(UnjoinSelectedNodes(), Notices{});  // not linked: nothing changes, nothing is said
    EXPECT_EQ(Neighbours(2), (Ints{1, 3}));
    EXPECT_TRUE(molecule.nodes[0].selected && molecule.nodes[2].selected);
    ExpectConsistent();
}

TEST_F(EditingTest, JoinAndUnjoinWithoutExactlyTwoSelectedReportAndChangeNothing) {
    const Notices join = {{"You must select exactly two atoms to join!", "Selection error"}};
    const Notices unjoin = {{"You must select exactly two atoms to unjoin!", "Selection error"}};
    for (const Ints& selection : std::vector<Ints>{{}, {1}, {0, 1, 2}}) {
        ResetProcessState();
        SetUp();
        AddChain(3);
        Select(selection);
        EXPECT_EQ(JoinSelectedNodes(), join) << selection.size() << " selected";
        EXPECT_EQ(UnjoinSelectedNodes(), unjoin) << selection.size() << " selected";
        EXPECT_EQ(Orders(1), (Ints{1, 1}));
    }
    ResetProcessState();  // an empty molecule
    EXPECT_EQ(JoinSelectedNodes(), join);
    EXPECT_EQ(UnjoinSelectedNodes(), unjoin);
}

TEST_F(EditingTest, JoinOfALinkRecordedOnOneSideReportsDodgyLinkageAfterRaisingIt) {
    AddChain(2);
    molecule.nodes[1].neighbours.clear();
    molecule.nodes[1].linkOrders.clear();
    Select({0, 1});
    EXPECT_EQ(JoinSelectedNodes(), (Notices{{"Error in JoinSelectedNodes", "Dodgy linkage"}}));
    EXPECT_EQ(Orders(0), (Ints{2}));
    EXPECT_TRUE(Neighbours(1).empty());
}

TEST_F(EditingTest, AddNodePlacesWithinTwentyOfItsTargetOrTheOriginAndLinksToTheTarget) {
    AddTestNode({100.0f, -200.0f, 300.0f}, &elementTable[0]);
    SeedRandom(4);
    float lowest = 0.0f, highest = 0.0f;  // offsets seen on any axis
    for (int k = 1; k <= 100; ++k) {
        const bool linked = k % 2 == 0;
        AddNode(linked ? 0 : -1, k % 6);
        const Node& added = molecule.nodes[k];
        const Vector3 centre = linked ? molecule.nodes[0].position : Vector3{};
        const float offsets[] = {added.position.x - centre.x, added.position.y - centre.y,
                                 added.position.z - centre.z};
        for (float offset : offsets) {
            EXPECT_LE(std::abs(offset), 20.0f);
            lowest = std::min(lowest, offset);
            highest = std::max(highest, offset);
        }
        EXPECT_FALSE(offsets[0] == offsets[1] && offsets[1] == offsets[2]);  // three draws
        EXPECT_EQ(added.element, &elementTable[k % 6]);
        EXPECT_EQ(added.neighbours, linked ? Ints{0} : Ints{});
    }
    EXPECT_LT(lowest, -18.0f);  // the whole cube is used, not a corner of it
    EXPECT_GT(highest, 18.0f);
    EXPECT_EQ(Neighbours(0).size(), 50u);
    ExpectConsistent();
}

// The first draws after seeding with 1 are 41, 18467 and 6334: x, y and z
// in that order, each r * 0.0012207404 - 20 rounded in single precision.
TEST_F(EditingTest, AddNodeDrawsXThenYThenZInSinglePrecision) {
    AddTestNode({100.0f, -200.0f, 0.5f}, &elementTable[0]);
    for (int target : {-1, 0}) {
        SeedRandom(1);
        AddNode(target, 2);
        const Vector3& p = molecule.nodes.back().position;
        const Vector3 base = target == 0 ? molecule.nodes[0].position : Vector3{};
        EXPECT_EQ(p.x, -19.9499493f + base.x) << target;
        EXPECT_EQ(p.y, 2.54341316f + base.y) << target;
        EXPECT_EQ(p.z, -12.2678299f + base.z) << target;
    }
}

TEST_F(EditingTest, CommandsGivenIndicesThatNameNothingAreIgnored) {
    AddChain(2);
    AddNode(2, 0);  // target beyond the molecule
    AddNode(-2, 0);
    AddNode(0, 6);  // a digit key beyond the element table
    RemoveNode(2);
    RemoveNode(-1);
    ToggleCloud(2);
    ChangeCharge(5, 1);
    for (int target : {2, -3}) {
        EXPECT_FALSE(CanTakeNewAtom(target)) << target;  // the box is not even shown
        EXPECT_EQ(AddNewAtom(target, "C"), Notices{}) << target;
    }
    ASSERT_EQ(NodeCount(), 2);
    EXPECT_EQ(Neighbours(0), (Ints{1}));
}

TEST_F(EditingTest, AddNewAtomFindsTheElementBySymbolOrNameInAnyCase) {
    const std::pair<const char*, int> cases[] = {{"c", 5},  {"C", 5}, {"carbon", 5}, {"cArBoN", 5},
                                                 {"he", 1}, {"B", 4}, {"F", 3},      {"Li", 2}};
    for (const auto& [typed, element] : cases) {
        ResetProcessState();
        SetUp();
        // Out of order or numbered wrongly, the element found is the one added.
        elementTable[2].atomicNumber = 40;
        elementTable[3] = Element{};
        elementTable[3].name = "Fluorine";
        elementTable[3].symbol = "F";
        elementTable[3].atomicNumber = 9;
        AddChain(1);
        EXPECT_EQ(AddNewAtom(0, typed), Notices{}) << typed;
        ASSERT_EQ(NodeCount(), 2) << typed;
        EXPECT_EQ(molecule.nodes[1].element, &elementTable[element]) << typed;
        EXPECT_EQ(molecule.nodes[1].neighbours, (Ints{0}));
    }
}

// Cancel in the Add New Element box hands back an empty text; the window
// tests press it through the menu command.
TEST_F(EditingTest, AddNewAtomOfNothingUnknownOrOffTheTableAddsNothing) {
    for (const char* typed : {"", "Xx", "carbon "}) {
        EXPECT_EQ(AddNewAtom(-1, typed), (Notices{{"Unknown Element!", "Unknown Element"}}))
            << typed;
        EXPECT_EQ(NodeCount(), 0);
    }
}

TEST_F(EditingTest, RemoveNodeDropsItsLinksAndRenumbersTheRest) {
    AddChain(3);  // 0-1=2: removing 0 leaves 0=1
    molecule.nodes[1].linkOrders[1] = molecule.nodes[2].linkOrders[0] = 2;
    molecule.currentNode = 0;
    RemoveNode(0);
    ASSERT_EQ(NodeCount(), 2);
    EXPECT_EQ(molecule.nodes[0].position.x, 1.0f);
    EXPECT_EQ(Neighbours(0), (Ints{1}));
    EXPECT_EQ(Orders(0), (Ints{2}));
    EXPECT_EQ(Neighbours(1), (Ints{0}));
    EXPECT_EQ(molecule.currentNode, 0);
    ExpectConsistent();
    AddChain(1);  // removing the only neighbour of each end leaves empty lists
    LinkTestNodes(1, 2, 1);
    RemoveNode(1);
    EXPECT_TRUE(Neighbours(0).empty() && Orders(0).empty() && Neighbours(1).empty());
    ExpectConsistent();
}

TEST_F(EditingTest, CloudTogglesAndChargeStepsWithinTheIntRange) {
    AddChain(2);
    ToggleCloud(1);
    EXPECT_TRUE(molecule.nodes[1].cloud && !molecule.nodes[0].cloud);
    ToggleCloud(1);
    EXPECT_FALSE(molecule.nodes[1].cloud);
    for (int step : {1, -1, -1}) ChangeCharge(0, step);
    EXPECT_EQ(molecule.nodes[0].charge, -1);
    molecule.nodes[1].charge = INT_MAX;
    ChangeCharge(1, 1);
    EXPECT_EQ(molecule.nodes[1].charge, INT_MAX);
}

}  // namespace
