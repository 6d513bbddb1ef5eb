// Editing by hand: join and unjoin with their messages, adding atoms by
// element index and by typed name, removal with renumbering, cloud and
// charge, and commands given indices that name nothing.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "editing.h"
#include "element.h"
#include "molecule.h"
#include "process_state.h"
#include "prompts.h"
#include "prompts_fake.h"
#include "random.h"

namespace {

using Ints = std::vector<int>;

const ShownMessage kJoinSelectionError{"You must select exactly two atoms to join!",
                                       "Selection error"};
const ShownMessage kUnjoinSelectionError{"You must select exactly two atoms to unjoin!",
                                         "Selection error"};
const ShownMessage kUnknownElement{"Unknown Element!", "Unknown Element"};

class EditingTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        const char* names[][2] = {{"Hydrogen", "H"},   {"Helium", "He"}, {"Lithium", "Li"},
                                  {"Beryllium", "Be"}, {"Boron", "B"},   {"Carbon", "C"}};
        for (int i = 0; i < 6; ++i) {
            Element element;
            element.name = names[i][0];
            element.symbol = names[i][1];
            element.atomicNumber = i + 1;
            elementTable.push_back(element);
        }
    }
    int Add(Vector3 position = {}) {
        Node node;
        node.id = NodeCount();
        node.position = position;
        node.element = &elementTable[0];
        AppendNode(node);
        return node.id;
    }
    void AddChain(int count) {
        for (int i = 0; i < count; ++i) Add({static_cast<float>(i), 0.0f, 0.0f});
        for (int i = 1; i < count; ++i) Link(i - 1, i, 1);
    }
    void Link(int a, int b, int order) {
        molecule.nodes[a].neighbours.push_back(b);
        molecule.nodes[a].linkOrders.push_back(order);
        molecule.nodes[b].neighbours.push_back(a);
        molecule.nodes[b].linkOrders.push_back(order);
    }
    void Select(const Ints& indices) {
        for (Node& node : molecule.nodes) node.selected = false;
        for (int i : indices) molecule.nodes[i].selected = true;
    }
    const Ints& Neighbours(int i) const { return molecule.nodes[i].neighbours; }
    const Ints& Orders(int i) const { return molecule.nodes[i].linkOrders; }
    void ExpectConsistent() const {
        std::string why;
        EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;
    }
};

TEST_F(EditingTest, JoinLinksTwoSelectedAtomsThenRaisesTheOrderOnBothSides) {
    AddChain(3);  // 0-1-2; join the ends
    Select({0, 2});
    molecule.currentNode = 1;
    for (int order = 1; order <= 3; ++order) {
        JoinSelectedNodes();
        EXPECT_EQ(Neighbours(0), (Ints{1, 2}));
        EXPECT_EQ(Orders(0), (Ints{1, order}));
        EXPECT_EQ(Neighbours(2), (Ints{1, 0}));
        EXPECT_EQ(Orders(2), (Ints{1, order}));
    }
    EXPECT_EQ(Orders(1), (Ints{1, 1}));
    EXPECT_TRUE(molecule.nodes[0].selected);
    EXPECT_TRUE(molecule.nodes[2].selected);
    EXPECT_EQ(molecule.currentNode, 1);
    EXPECT_TRUE(fakePrompts.shown.empty());
    ExpectConsistent();
}

TEST_F(EditingTest, JoinAndUnjoinWithoutExactlyTwoSelectedReportAndChangeNothing) {
    const std::vector<Ints> selections = {{}, {1}, {0, 1, 2}, {0, 1, 2, 3}};
    for (const Ints& selection : selections) {
        ResetProcessState();
        SetUp();
        AddChain(4);
        Select(selection);
        const std::vector<Node> before = molecule.nodes;
        JoinSelectedNodes();
        UnjoinSelectedNodes();
        SCOPED_TRACE(testing::Message() << selection.size() << " selected");
        EXPECT_EQ(fakePrompts.shown,
                  (std::vector<ShownMessage>{kJoinSelectionError, kUnjoinSelectionError}));
        for (int i = 0; i < NodeCount(); ++i) {
            EXPECT_EQ(Neighbours(i), before[i].neighbours);
            EXPECT_EQ(Orders(i), before[i].linkOrders);
        }
    }
    ResetProcessState();
    JoinSelectedNodes();
    UnjoinSelectedNodes();
    EXPECT_EQ(fakePrompts.shown,
              (std::vector<ShownMessage>{kJoinSelectionError, kUnjoinSelectionError}));
}

TEST_F(EditingTest, JoinOfALinkRecordedOnOneSideReportsDodgyLinkageAfterRaisingIt) {
    Add();
    Add();
    molecule.nodes[0].neighbours = {1};
    molecule.nodes[0].linkOrders = {2};
    Select({0, 1});
    JoinSelectedNodes();
    EXPECT_EQ(fakePrompts.shown,
              (std::vector<ShownMessage>{{"Error in JoinSelectedNodes", "Dodgy linkage"}}));
    EXPECT_EQ(Orders(0), (Ints{3}));
    EXPECT_TRUE(Neighbours(1).empty());
    EXPECT_TRUE(Orders(1).empty());
}

TEST_F(EditingTest, UnjoinLowersTheOrderThenRemovesTheLinkKeepingOtherEntriesInOrder) {
    for (int i = 0; i < 4; ++i) Add();
    Link(0, 1, 1);
    Link(0, 2, 2);
    Link(0, 3, 3);
    Select({2, 0});

    UnjoinSelectedNodes();
    EXPECT_EQ(Neighbours(0), (Ints{1, 2, 3}));
    EXPECT_EQ(Orders(0), (Ints{1, 1, 3}));
    EXPECT_EQ(Orders(2), (Ints{1}));

    UnjoinSelectedNodes();
    EXPECT_EQ(Neighbours(0), (Ints{1, 3}));
    EXPECT_EQ(Orders(0), (Ints{1, 3}));
    EXPECT_TRUE(Neighbours(2).empty());
    EXPECT_TRUE(Orders(2).empty());

    // The pair is no longer linked: nothing changes and nothing is said.
    UnjoinSelectedNodes();
    EXPECT_EQ(Neighbours(0), (Ints{1, 3}));
    EXPECT_TRUE(molecule.nodes[0].selected);
    EXPECT_TRUE(molecule.nodes[2].selected);
    EXPECT_TRUE(fakePrompts.shown.empty());
    ExpectConsistent();
}

TEST_F(EditingTest, AddNodePlacesWithinTwentyOfItsTargetAndLinksBothWays) {
    Add({100.0f, -200.0f, 300.0f});
    molecule.currentNode = 0;
    SeedRandom(4);
    for (int k = 1; k <= 40; ++k) {
        AddNode(0, 5);
        const Node& added = molecule.nodes[k];
        EXPECT_EQ(added.id, k);
        EXPECT_EQ(added.element, &elementTable[5]);
        EXPECT_NEAR(added.position.x, 100.0f, 20.0f);
        EXPECT_NEAR(added.position.y, -200.0f, 20.0f);
        EXPECT_NEAR(added.position.z, 300.0f, 20.0f);
        // Three separate draws, not one reused.
        EXPECT_FALSE(added.position.x - 100.0f == added.position.y + 200.0f &&
                     added.position.y + 200.0f == added.position.z - 300.0f);
        EXPECT_EQ(added.neighbours, (Ints{0}));
        EXPECT_EQ(added.linkOrders, (Ints{1}));
        EXPECT_FALSE(added.selected);
        EXPECT_EQ(added.force.x, 0.0f);
    }
    EXPECT_EQ(Neighbours(0).size(), 40u);
    EXPECT_EQ(Neighbours(0).back(), 40);
    EXPECT_EQ(Orders(0).back(), 1);
    EXPECT_EQ(molecule.currentNode, 0);
    ExpectConsistent();
}

TEST_F(EditingTest, AddNodeWithoutTargetLandsNearTheOriginUnlinked) {
    float lowest = 0.0f, highest = 0.0f;
    for (int k = 0; k < 200; ++k) {
        AddNode(-1, k % 6);
        const Node& added = molecule.nodes[k];
        for (float c : {added.position.x, added.position.y, added.position.z}) {
            EXPECT_GE(c, -20.0f);
            EXPECT_LE(c, 20.0f);
            lowest = std::min(lowest, c);
            highest = std::max(highest, c);
        }
        EXPECT_TRUE(added.neighbours.empty());
        EXPECT_EQ(added.element, &elementTable[k % 6]);
    }
    // The whole cube is used, not a corner of it.
    EXPECT_LT(lowest, -18.0f);
    EXPECT_GT(highest, 18.0f);
}

TEST_F(EditingTest, CommandsGivenIndicesThatNameNothingAreIgnored) {
    AddChain(2);
    const std::vector<Node> before = molecule.nodes;
    AddNode(2, 0);  // target beyond the molecule
    AddNode(-2, 0);
    AddNode(0, 6);  // a digit key beyond the element table
    AddNode(-1, -1);
    RemoveNode(2);
    RemoveNode(-1);
    ToggleCloud(2);
    ChangeCharge(5, 1);
    ChangeCharge(-1, -1);
    fakePrompts.elementBoxAnswers = {"C"};
    AddNewAtom(2);
    AddNewAtom(-3);
    ASSERT_EQ(NodeCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Neighbours(i), before[i].neighbours);
        EXPECT_FALSE(molecule.nodes[i].cloud);
        EXPECT_EQ(molecule.nodes[i].charge, 0);
    }
    EXPECT_TRUE(fakePrompts.shown.empty());
}

TEST_F(EditingTest, AddNewAtomFindsTheElementBySymbolOrNameInAnyCase) {
    struct Case {
        const char* typed;
        int element;
    };
    const Case cases[] = {{"c", 5},      {"C", 5},  {"carbon", 5}, {"CARBON", 5},
                          {"cArBoN", 5}, {"he", 1}, {"HELIUM", 1}, {"B", 4}};
    for (const Case& c : cases) {
        ResetProcessState();
        SetUp();
        Add();
        fakePrompts.elementBoxAnswers = {std::string(c.typed)};
        AddNewAtom(0);
        SCOPED_TRACE(c.typed);
        ASSERT_EQ(NodeCount(), 2);
        EXPECT_EQ(molecule.nodes[1].element, &elementTable[c.element]);
        EXPECT_EQ(molecule.nodes[1].neighbours, (Ints{0}));
        EXPECT_EQ(fakePrompts.shown, (std::vector<ShownMessage>{kAddNewElementBoxShown}));
    }
    // With no current atom the new one is linked to nothing.
    fakePrompts.elementBoxAnswers = {std::string("h")};
    AddNewAtom(-1);
    ASSERT_EQ(NodeCount(), 3);
    EXPECT_EQ(molecule.nodes[2].element, &elementTable[0]);
    EXPECT_TRUE(molecule.nodes[2].neighbours.empty());
}

TEST_F(EditingTest, AddNewAtomCancelledOrUnknownReportsAndAddsNothing) {
    const std::optional<std::string> answers[] = {std::nullopt, "", "Xx", "Carbo", "carbon "};
    for (const auto& answer : answers) {
        ResetProcessState();
        SetUp();
        fakePrompts.elementBoxAnswers = {answer};
        inputText = "C";  // left over from an earlier box; the box empties it
        AddNewAtom(-1);
        SCOPED_TRACE(answer.value_or("(cancelled)"));
        EXPECT_EQ(NodeCount(), 0);
        EXPECT_EQ(fakePrompts.shown,
                  (std::vector<ShownMessage>{kAddNewElementBoxShown, kUnknownElement}));
    }
}

TEST_F(EditingTest, AddNewAtomOfAnElementOffItsTablePositionAddsNothing) {
    elementTable[2].atomicNumber = 40;  // a table with a gap
    fakePrompts.elementBoxAnswers = {std::string("Li")};
    AddNewAtom(-1);
    EXPECT_EQ(NodeCount(), 0);
    EXPECT_EQ(fakePrompts.shown, (std::vector<ShownMessage>{kAddNewElementBoxShown}));
}

TEST_F(EditingTest, TheBoxesHandBackAtMost127Characters) {
    StoreInputText(std::string(200, 'x'));
    EXPECT_EQ(inputText, std::string(127, 'x'));
    StoreInputText("Na");
    EXPECT_EQ(inputText, "Na");
}

TEST_F(EditingTest, RemovingTheFirstOfAChainRenumbersTheRest) {
    AddChain(3);
    molecule.nodes[1].linkOrders[1] = 2;  // 1=2 is double
    molecule.nodes[2].linkOrders[0] = 2;
    molecule.currentNode = 0;
    RemoveNode(0);
    ASSERT_EQ(NodeCount(), 2);
    EXPECT_EQ(molecule.nodes[0].id, 0);
    EXPECT_EQ(molecule.nodes[1].id, 1);
    EXPECT_EQ(molecule.nodes[0].position.x, 1.0f);
    EXPECT_EQ(Neighbours(0), (Ints{1}));
    EXPECT_EQ(Orders(0), (Ints{2}));
    EXPECT_EQ(Neighbours(1), (Ints{0}));
    EXPECT_EQ(Orders(1), (Ints{2}));
    EXPECT_EQ(molecule.currentNode, 0);
    ExpectConsistent();
}

TEST_F(EditingTest, RemovingAHubLeavesItsNeighboursWithOnlyTheirOtherLinks) {
    for (int i = 0; i < 5; ++i) Add();
    Link(0, 1, 1);
    Link(1, 2, 2);
    Link(3, 1, 3);
    Link(3, 4, 1);
    Link(4, 0, 2);
    RemoveNode(1);
    ASSERT_EQ(NodeCount(), 4);
    EXPECT_EQ(Neighbours(0), (Ints{3}));  // old 4
    EXPECT_EQ(Orders(0), (Ints{2}));
    EXPECT_TRUE(Neighbours(1).empty());  // old 2: its only neighbour went
    EXPECT_TRUE(Orders(1).empty());
    EXPECT_EQ(Neighbours(2), (Ints{3}));  // old 3
    EXPECT_EQ(Orders(2), (Ints{1}));
    EXPECT_EQ(Neighbours(3), (Ints{2, 0}));  // old 4
    EXPECT_EQ(Orders(3), (Ints{1, 2}));
    for (int i = 0; i < NodeCount(); ++i) EXPECT_EQ(molecule.nodes[i].id, i);
    ExpectConsistent();
}

TEST_F(EditingTest, CloudTogglesAndChargeStepsWithinTheIntRange) {
    Add();
    Add();
    ToggleCloud(1);
    EXPECT_TRUE(molecule.nodes[1].cloud);
    EXPECT_FALSE(molecule.nodes[0].cloud);
    ToggleCloud(1);
    EXPECT_FALSE(molecule.nodes[1].cloud);

    ChangeCharge(0, 1);
    ChangeCharge(0, -1);
    ChangeCharge(0, -1);
    EXPECT_EQ(molecule.nodes[0].charge, -1);
    EXPECT_EQ(molecule.nodes[1].charge, 0);

    molecule.nodes[1].charge = INT_MAX;
    ChangeCharge(1, 1);
    EXPECT_EQ(molecule.nodes[1].charge, INT_MAX);
    molecule.nodes[1].charge = INT_MIN;
    ChangeCharge(1, -1);
    EXPECT_EQ(molecule.nodes[1].charge, INT_MIN);
}

TEST_F(EditingTest, CheckMoleculeOnlySaysItIsNotImplemented) {
    CheckMolecule();
    EXPECT_EQ(fakePrompts.shown,
              (std::vector<ShownMessage>{{"This feature not implemented yet.\nPlease let me know "
                                          "what you\nwould like this to do!",
                                          "Not implemented"}}));
}

}  // namespace
