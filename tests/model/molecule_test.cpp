// The molecule record: selection by click, the New command, clearing.
#include <gtest/gtest.h>

#include "molecule.h"
#include "process_state.h"

namespace {

class MoleculeTest : public FreshProcessTest {
protected:
    void AddNodes(int count) {
        for (int i = 0; i < count; ++i) {
            Node node;
            node.id = NodeCount();
            AppendNode(node);
        }
    }
    std::vector<bool> SelectedFlags() const {
        std::vector<bool> flags;
        for (const Node& node : molecule.nodes) flags.push_back(node.selected);
        return flags;
    }
};

TEST_F(MoleculeTest, StartsEmptyUnnamedAndReady) {
    EXPECT_EQ(NodeCount(), 0);
    EXPECT_EQ(molecule.name, "Unnamed");
    EXPECT_EQ(molecule.formula, "---");
    EXPECT_EQ(molecule.currentNode, -1);
    EXPECT_EQ(molecule.hoverNode, -1);
    EXPECT_FALSE(molecule.dragging);
    EXPECT_TRUE(molecule.ready);
}

TEST_F(MoleculeTest, ClickSelectWithAndWithoutExtend) {
    AddNodes(3);
    molecule.hoverNode = 1;
    ClickSelect(false);
    EXPECT_EQ(molecule.currentNode, 1);
    EXPECT_EQ(SelectedFlags(), (std::vector<bool>{false, true, false}));

    // Shift adds to the selection and moves the current node.
    molecule.hoverNode = 2;
    ClickSelect(true);
    EXPECT_EQ(molecule.currentNode, 2);
    EXPECT_EQ(SelectedFlags(), (std::vector<bool>{false, true, true}));

    // Shift on an already selected node leaves it selected.
    molecule.hoverNode = 1;
    ClickSelect(true);
    EXPECT_EQ(SelectedFlags(), (std::vector<bool>{false, true, true}));

    // Shift on the background keeps the selection but leaves no current node.
    molecule.hoverNode = -1;
    ClickSelect(true);
    EXPECT_EQ(molecule.currentNode, -1);
    EXPECT_EQ(SelectedFlags(), (std::vector<bool>{false, true, true}));

    // A plain press on the background clears everything.
    ClickSelect(false);
    EXPECT_EQ(molecule.currentNode, -1);
    EXPECT_EQ(SelectedFlags(), (std::vector<bool>{false, false, false}));
}

TEST_F(MoleculeTest, ClickSelectOnStaleHoverIndexSelectsNothing) {
    AddNodes(2);
    molecule.hoverNode = 5;
    ClickSelect(false);
    EXPECT_EQ(molecule.currentNode, 5);
    EXPECT_EQ(SelectedFlags(), (std::vector<bool>{false, false}));
    EXPECT_FALSE(IsNodeIndex(molecule.currentNode));
}

TEST_F(MoleculeTest, NewMoleculeResetsEverythingEvenWhenEmpty) {
    molecule.name = "Water";
    molecule.formula = "H2O";
    molecule.currentNode = 3;
    molecule.hoverNode = 4;
    NewMolecule();
    EXPECT_EQ(molecule.name, "Unnamed");
    EXPECT_EQ(molecule.formula, "---");
    EXPECT_EQ(molecule.currentNode, -1);
    EXPECT_EQ(molecule.hoverNode, -1);

    AddNodes(4);
    molecule.name = "Four";
    NewMolecule();
    EXPECT_EQ(NodeCount(), 0);
    EXPECT_EQ(molecule.name, "Unnamed");
}

TEST_F(MoleculeTest, ClearNodesKeepsNameFormulaAndIndices) {
    AddNodes(2);
    molecule.name = "Pair";
    molecule.formula = "X2";
    molecule.currentNode = 1;
    molecule.hoverNode = 0;
    ClearNodes();
    EXPECT_EQ(NodeCount(), 0);
    EXPECT_EQ(molecule.name, "Pair");
    EXPECT_EQ(molecule.formula, "X2");
    EXPECT_EQ(molecule.currentNode, 1);
    EXPECT_EQ(molecule.hoverNode, 0);
}

}  // namespace
