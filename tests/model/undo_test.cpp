// Undo and redo of every kind of change: the molecule comes back exactly
// (atoms, positions, forces, links, orders, charges, clouds, selection, name,
// formula), redo is lost to a new step, and the history keeps to its bounds.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dragging.h"
#include "editing.h"
#include "molecule_builder.h"
#include "process_state.h"
#include "undo.h"

namespace {

bool SameVector(Vector3 a, Vector3 b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Every field of every node, the name and the formula.
::testing::AssertionResult SameMolecule(const Molecule& expected) {
    if (molecule.name != expected.name || molecule.formula != expected.formula)
        return ::testing::AssertionFailure() << "name or formula: " << molecule.name;
    if (molecule.nodes.size() != expected.nodes.size())
        return ::testing::AssertionFailure() << "node count " << molecule.nodes.size();
    for (std::size_t i = 0; i < expected.nodes.size(); ++i) {
        const Node &a = molecule.nodes[i], &b = expected.nodes[i];
        if (a.id != b.id || !SameVector(a.position, b.position) || !SameVector(a.force, b.force) ||
            !SameVector(a.previousForce, b.previousForce) || a.element != b.element ||
            a.neighbours != b.neighbours || a.linkOrders != b.linkOrders ||
            a.selected != b.selected || a.cloud != b.cloud || a.charge != b.charge)
            return ::testing::AssertionFailure() << "node " << i << " differs";
    }
    return ::testing::AssertionSuccess();
}

class UndoTest : public FreshProcessTest {
protected:
    void SetUp() override {
        FreshProcessTest::SetUp();
        elementTable = ElementTable(3);
        for (int i = 0; i < 3; ++i) elementTable[i].mass = 1.0f + 11.0f * i;
        // 0=1-2  3 (alone, charged, with a cloud); 1 and 3 selected
        for (int i = 0; i < 4; ++i) {
            AddTestNode({1.5f * i, -2.25f * i, 0.125f}, &elementTable[i % 3]);
            molecule.nodes[i].force = {0.5f, 0.0f, -1.0f * i};
            molecule.nodes[i].previousForce = {-0.25f * i, 2.0f, 0.0f};
        }
        LinkTestNodes(0, 1, 2);
        LinkTestNodes(1, 2, 1);
        molecule.nodes[3].charge = -2;
        molecule.nodes[3].cloud = true;
        molecule.nodes[1].selected = molecule.nodes[3].selected = true;
        molecule.name = "Test";
        molecule.formula = "C2H2";
    }
    // Commits steps named "1", "2", ... each renaming the molecule to its number.
    void Renames(int count) {
        for (int i = 1; i <= count; ++i) {
            UndoStep step = BeginUndoStep(std::to_string(i));
            molecule.name = std::to_string(i);
            CommitUndoStep(std::move(step));
        }
    }
    static std::size_t HeldBytes() {
        std::size_t bytes = 0;
        for (const UndoStep& step : undoHistory.undo) bytes += step.bytes;
        for (const UndoStep& step : undoHistory.redo) bytes += step.bytes;
        return bytes;
    }
};

TEST_F(UndoTest, UndoAndRedoOfEveryCommandRestoreTheExactMolecule) {
    const struct {
        const char* command;
        std::function<void()> change;
    } commands[] = {
        {"Join Atoms", [] { JoinSelectedNodes(); }},
        {"Unjoin Atoms",
         [] {
             molecule.nodes[3].selected = false, molecule.nodes[0].selected = true;
             UnjoinSelectedNodes();
         }},
        {"Add Atom", [] { AddNode(2, 1); }},
        {"Delete Atom", [] { RemoveNode(1); }},
        {"Cloud", [] { ToggleCloud(3); }},
        {"Charge", [] { ChangeCharge(0, 1); }},
        {"Rename", [] { molecule.name = "Renamed"; }},
        {"Set Formula", [] { molecule.formula = "CH"; }},
        {"New", [] { NewMolecule(); }},
        {"Centre", [] { CentreMolecule(); }},
        {"Move Atom", [] { molecule.nodes[2].position.y += 3.0f; }},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.command);
        const Molecule before = molecule;
        UndoStep step = BeginUndoStep(c.command);
        c.change();
        const Molecule after = molecule;
        ASSERT_FALSE(SameMolecule(before)) << "the command changed nothing";
        CommitUndoStep(std::move(step));
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(UndoCommandName(), c.command);
            ASSERT_TRUE(Undo());
            EXPECT_TRUE(SameMolecule(before));
            EXPECT_EQ(RedoCommandName(), c.command);
            ASSERT_TRUE(Redo());
            EXPECT_TRUE(SameMolecule(after));
        }
        ASSERT_TRUE(Undo());  // the next command starts from the same molecule
        ClearUndoHistory();
    }
}

TEST_F(UndoTest, StepsUndoInTurnAndANewStepClearsRedo) {
    EXPECT_FALSE(Undo());
    EXPECT_FALSE(Redo());
    const Molecule start = molecule;
    Renames(3);
    EXPECT_TRUE(Undo() && Undo());
    EXPECT_EQ(molecule.name, "1");
    EXPECT_EQ(UndoCommandName(), "1");
    EXPECT_EQ(RedoCommandName(), "2");
    RecordUndoStep("Cloud");
    ToggleCloud(0);
    EXPECT_FALSE(CanRedo());
    EXPECT_EQ(RedoCommandName(), "");
    EXPECT_TRUE(Undo() && Undo());
    EXPECT_TRUE(SameMolecule(start));
    EXPECT_FALSE(Undo());
    EXPECT_EQ(UndoCommandName(), "");
    EXPECT_TRUE(SameMolecule(start));
    EXPECT_EQ(undoHistory.bytes, HeldBytes());
}

TEST_F(UndoTest, HistoryDropsTheOldestStepsBeyondItsStepAndByteBounds) {
    undoHistory.maxSteps = 3;
    Renames(5);
    EXPECT_EQ(undoHistory.undo.size(), 3u);
    EXPECT_TRUE(Undo() && Undo() && Undo() && !Undo());
    EXPECT_EQ(molecule.name, "2");  // the steps into "1" and "2" were dropped
    EXPECT_EQ(undoHistory.redo.size(), 3u);
    EXPECT_EQ(undoHistory.bytes, HeldBytes());

    ClearUndoHistory();
    undoHistory.maxSteps = 100;
    undoHistory.maxBytes = BeginUndoStep("1").bytes * 5 / 2;
    Renames(6);
    EXPECT_EQ(undoHistory.undo.size(), 2u);
    EXPECT_LE(undoHistory.bytes, undoHistory.maxBytes);
    EXPECT_EQ(undoHistory.bytes, HeldBytes());
    undoHistory.maxBytes = 1;  // not even one step fits
    RecordUndoStep("7");
    EXPECT_FALSE(CanUndo());
    EXPECT_EQ(undoHistory.bytes, 0u);
}

TEST_F(UndoTest, StepIsKeptOnlyWhenTheCommandChangedTheContent) {
    const struct {
        const char* command;
        std::function<void()> change;
        bool kept;
    } cases[] = {
        {"moved by the layout", [] { molecule.nodes[0].position.x += 1.0f; }, false},
        {"selection", [] { molecule.nodes[0].selected = true; }, false},
        {"join refused",
         [] {
             molecule.nodes[3].selected = false;
             JoinSelectedNodes();
         },
         false},
        {"order", [] { molecule.nodes[0].linkOrders[0] = molecule.nodes[1].linkOrders[0] = 3; },
         true},
        {"element", [] { molecule.nodes[3].element = &elementTable[2]; }, true},
        {"charge", [] { molecule.nodes[3].charge = 0; }, true},
        {"cloud", [] { molecule.nodes[2].cloud = true; }, true},
        {"formula", [] { molecule.formula = "C2H2 "; }, true},
        {"one more atom", [] { AddNode(-1, 0); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        SetUp();
        UndoStep step = BeginUndoStep(c.command);
        c.change();
        EXPECT_EQ(CommitUndoStepIfChanged(std::move(step)), c.kept);
        EXPECT_EQ(CanUndo(), c.kept);
    }
}

}  // namespace
