// The window program under a real X server: start-up and its statuses, the
// ways out, the menu commands and keys, the mouse and wheel mapping, the
// window geometry and the timers that keep running inside modal boxes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "camera.h"
#include "commands.h"
#include "editing.h"
#include "element.h"
#include "format_io.h"
#include "gui_driver.h"
#include "main_window.h"
#include "measurement.h"
#include "molecule.h"
#include "molecule_file.h"
#include "picture.h"
#include "png_decode.h"
#include "process_state.h"
#include "prompts.h"
#include "recent_files.h"
#include "settings.h"
#include "settings_file.h"
#include "shell_state.h"
#include "undo.h"
#include "view_state.h"
#include "window_program.h"

namespace {

// The view of the shipped settings' window: its outer frame less the insets.
constexpr int kShippedViewWidth = kDefaultViewWidth - kFrameInsets.width;
constexpr int kShippedViewHeight = kDefaultViewHeight - kFrameInsets.height;

// Everything a step must bring back, positions to the last bit included.
std::string Exactly() {
    std::string text = molecule.name + "|" + molecule.formula;
    for (const Node& node : molecule.nodes) {
        char position[96];
        std::snprintf(position, sizeof position, " %a,%a,%a", node.position.x, node.position.y,
                      node.position.z);
        text += "\n" + node.element->symbol + position + " q" + std::to_string(node.charge) +
                (node.cloud ? " cloud" : "") + " links";
        for (std::size_t k = 0; k < node.neighbours.size(); ++k)
            text +=
                " " + std::to_string(node.neighbours[k]) + "x" + std::to_string(node.linkOrders[k]);
    }
    return text;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        shipped = ReadFileOrEmpty(SourceFile("Tessaril.ini"));
        WriteFileOrFail(folder.File("Tessaril.ini"), shipped);
        ASSERT_EQ(chdir(folder.path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir("/"), 0); }

    MainWindow* Window() { return qobject_cast<MainWindow*>(shellState.mainWindow); }
    GLView* View() { return Window()->view(); }
    QAction* Action(const QString& caption) {
        for (QAction* action : Window()->findChildren<QAction*>()) {
            QString text = action->text();
            if (text == caption) return action;
        }
        ADD_FAILURE() << "no menu item " << caption.toStdString();
        return nullptr;
    }
    std::string SettingsOnDisk() { return ReadFileOrEmpty(folder.File("Tessaril.ini")); }
    std::string Example(const char* name) {
        return SourceFile(std::string("examples/") + name + ".dat");
    }

    TemporaryFolder folder;
    std::string shipped;
    ModalAnswerer answerer;
};

TEST_F(WindowTest, StartUpWithoutSettingsShowsOneBoxAndEndsWithMinusOne) {
    unlink(folder.File("Tessaril.ini").c_str());
    answerer.Push(Press("OK"));
    const int status = RunProgram("", [] { ADD_FAILURE() << "the window opened"; });
    EXPECT_EQ(status, kExitNoElements);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].title.toStdString(), "File Error!");
    EXPECT_EQ(answerer.seen()[0].text.toStdString(),
              "Unable to open file " + folder.File("Tessaril.ini") + "!");
    EXPECT_EQ(shellState.mainWindow, nullptr);
}

TEST_F(WindowTest, StartUpWithoutElementsEndsWithMinusOneSilently) {
    WriteFileOrFail(folder.File("Tessaril.ini"), "@Cohesion=50\n@Shadows=1\n");
    const int status = RunProgram("", [] { ADD_FAILURE() << "the window opened"; });
    EXPECT_EQ(status, kExitNoElements);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_EQ(SettingsOnDisk(), "@Cohesion=50\n@Shadows=1\n");  // not rewritten
}

TEST_F(WindowTest, StartAndQuitKeepsTheWindowLinesAndMarks) {
    const int status = RunProgram("", [&] {
        EXPECT_EQ(Window()->windowTitle().toStdString(), "Tessaril 2006");
        // The first marks show the settings.
        EXPECT_TRUE(Action("&None")->isChecked());
        EXPECT_TRUE(Action("S&pecular Highlights")->isChecked());
        EXPECT_TRUE(Action("&Normal")->isChecked());
        EXPECT_FALSE(Action("&Shadows")->isChecked());
        EXPECT_EQ(View()->width(), kShippedViewWidth);
        EXPECT_EQ(View()->height(), kShippedViewHeight);
    });
    EXPECT_EQ(status, kExitNormal);
    // Settings rewritten in the writer's form: with the window untouched,
    // the same text as shipped.
    EXPECT_EQ(SettingsOnDisk(), shipped);
}

// The whole menu bar as a person sees it: menus, submenus (in brackets),
// separators, shortcuts, marks and greyed items, in order.
QString MenuTree(const QList<QAction*>& actions) {
    QStringList items;
    for (QAction* action : actions) {
        if (action->isSeparator()) {
            items << "-";
            continue;
        }
        QString item = action->text();
        if (!action->shortcut().isEmpty()) item += " <" + action->shortcut().toString() + ">";
        if (action->isChecked()) item += " *";
        if (!action->isEnabled()) item += " (grey)";
        if (action->menu()) item += " [" + MenuTree(action->menu()->actions()) + "]";
        items << item;
    }
    return items.join("|");
}

TEST_F(WindowTest, TheMenuBarHoldsEveryItemInItsPlace) {
    RunProgram("", [&] {
        EXPECT_EQ(MenuTree(Window()->menuBar()->actions()).toStdString(),
                  "&File [&New|New from S&MILES...|&Load|&Save|-|&Import...|Expor&t...|"
                  "Export &Picture... <Ctrl+E>|Recent &Files [(none) (grey)]|-|&Exit]|"
                  "&Edit [&Rename|Set &Formula|-|&Add New Atom|&Join Atoms|&Unjoin Atoms|-|"
                  "&Set Controls|&Check Molecule|-|Add &Hydrogens|-|U&ndo\tCtrl+Z (grey)|"
                  "Re&do\tCtrl+Shift+Z (grey)]|"
                  "&View [&Colour Setup [Electron &Cloud|&Background|&Highlight|&Element|&Select|"
                  "&Text|&Links]|&Text Labels [&None *|&Symbols|&Full Names]|"
                  "Text Si&ze [&Tiny|&Small|&Normal *|&Large|&Huge]|S&pecular Highlights *|"
                  "&Invert Colours|&Squash to 2D|&Shadows|&Demo|Run &Layout *]|"
                  "&Help [&About|&Website]");
        // Each menu's mnemonics lead to one item, but for the two of the
        // original View menu that share S.
        std::function<void(QMenu*)> unique = [&](QMenu* menu) {
            std::map<QChar, QString> seen;
            for (QAction* action : menu->actions()) {
                const int amp = action->text().indexOf('&');
                if (action->isSeparator() || amp < 0) continue;
                const QChar key = action->text().at(amp + 1).toLower();
                const QString pair = seen[key] + "|" + action->text();
                EXPECT_TRUE(seen[key].isEmpty() || pair == "&Squash to 2D|&Shadows")
                    << pair.toStdString();
                seen[key] = action->text();
                if (action->menu()) unique(action->menu());
            }
        };
        for (QAction* top : Window()->menuBar()->actions()) unique(top->menu());
    });
}

TEST_F(WindowTest, QuitQuestionsAndTheCloseBox) {
    // Exit, Enter and Escape ask first; No changes nothing.
    answerer.Push(Press("No"));
    answerer.Push(Press("No"));
    answerer.Push(Press("No"));
    answerer.Push(Press("Yes"));
    int status = RunProgram(Example("water"), [&] {
        Action("&Exit")->trigger();
        SendKey(Window(), QEvent::KeyPress, Qt::Key_Return);
        SendKey(Window(), QEvent::KeyPress, Qt::Key_Escape);
        EXPECT_NE(shellState.mainWindow, nullptr);
        EXPECT_EQ(NodeCount(), 3);
        SendKey(Window(), QEvent::KeyPress, Qt::Key_Enter);
        EXPECT_EQ(shellState.mainWindow, nullptr);  // Yes ended it
    });
    EXPECT_EQ(status, kExitNormal);
    ASSERT_EQ(answerer.seen().size(), 4u);
    for (const auto& seen : answerer.seen()) {
        EXPECT_EQ(seen.title.toStdString(), "Quit Program");
        EXPECT_EQ(seen.text.toStdString(), "Really Quit?");
    }

    // The close box and the release of Escape end it without a question, the
    // release only after a press the main window received.
    WriteFileOrFail(folder.File("Tessaril.ini"), shipped);
    status = RunProgram("", [&] {
        Window()->close();
        EXPECT_EQ(shellState.mainWindow, nullptr);
    });
    EXPECT_EQ(status, kExitNormal);
    answerer.Push(Press("No"));
    status = RunProgram("", [&] {
        molecule.currentNode = 3;
        SendKey(Window(), QEvent::KeyRelease, Qt::Key_Escape);  // pressed elsewhere
        ASSERT_NE(shellState.mainWindow, nullptr);
        SendKey(Window(), QEvent::KeyPress, Qt::Key_Escape);  // asks; answered No
        ASSERT_NE(shellState.mainWindow, nullptr);
        SendKey(Window(), QEvent::KeyRelease, Qt::Key_Escape);
        EXPECT_EQ(shellState.mainWindow, nullptr);
        EXPECT_EQ(molecule.currentNode, -1);
        EXPECT_EQ(molecule.hoverNode, -1);
    });
    EXPECT_EQ(status, kExitNormal);
    EXPECT_EQ(answerer.seen().size(), 5u);

    // With unsaved changes both ask first; undoing them back counts as none.
    for (int question = 0; question < 3; ++question) answerer.Push(Press("No"));
    status = RunProgram(Example("water"), [&] {
        ClickKey(Window(), Qt::Key_1);
        Window()->close();
        SendKey(Window(), QEvent::KeyPress, Qt::Key_Escape);
        SendKey(Window(), QEvent::KeyRelease, Qt::Key_Escape);
        ASSERT_NE(shellState.mainWindow, nullptr);
        EXPECT_EQ(NodeCount(), 4);
        ClickKey(Window(), Qt::Key_Z, Qt::ControlModifier);
        Window()->close();  // nothing to lose: no question
        EXPECT_EQ(shellState.mainWindow, nullptr);
    });
    EXPECT_EQ(status, kExitNormal);
    EXPECT_EQ(answerer.seen().size(), 8u);
    EXPECT_EQ(answerer.seen()[7].text.toStdString(), "Really Quit?");
}

TEST_F(WindowTest, NewAsksAndClearsOnlyOnYes) {
    answerer.Push(Press("No"));
    answerer.Push(Press("Yes"));
    RunProgram(Example("caffeine"), [&] {
        molecule.currentNode = 2;
        Action("&New")->trigger();
        EXPECT_EQ(NodeCount(), 24);
        EXPECT_EQ(molecule.name, "Caffeine");
        Action("&New")->trigger();
        EXPECT_EQ(NodeCount(), 0);
        EXPECT_EQ(molecule.name, "Unnamed");
        EXPECT_EQ(molecule.formula, "---");
        EXPECT_EQ(molecule.currentNode, -1);
    });
    ASSERT_EQ(answerer.seen().size(), 2u);
    EXPECT_EQ(answerer.seen()[0].title.toStdString(), "New molecule");
    EXPECT_EQ(answerer.seen()[0].text.toStdString(),
              "Are you sure? You will lose any unsaved work!");
}

TEST_F(WindowTest, TogglesFollowTheirMarks) {
    std::string withShadows = shipped;
    withShadows.replace(withShadows.find("@Shadows=0"), 10, "@Shadows=1");
    WriteFileOrFail(folder.File("Tessaril.ini"), withShadows);
    RunProgram("", [&] {
        // Specular starts marked and on: the first toggle turns it off.
        Action("S&pecular Highlights")->trigger();
        EXPECT_FALSE(settings.Specular);
        EXPECT_FALSE(Action("S&pecular Highlights")->isChecked());
        // Shadows read as on are marked: the first S turns them off.
        EXPECT_TRUE(Action("&Shadows")->isChecked());
        ClickKey(Window(), Qt::Key_S);
        EXPECT_FALSE(settings.Shadows);
        EXPECT_FALSE(Action("&Shadows")->isChecked());
        Action("&Shadows")->trigger();
        EXPECT_TRUE(settings.Shadows);
        EXPECT_TRUE(Action("&Shadows")->isChecked());
        // P and "Run &Layout" flip the one pause.
        ClickKey(Window(), Qt::Key_P);
        EXPECT_FALSE(Action("Run &Layout")->isChecked());
        Action("Run &Layout")->trigger();
        EXPECT_FALSE(shellState.paused);
        ClickKey(Window(), Qt::Key_I, Qt::ShiftModifier);
        EXPECT_TRUE(settings.InvertColours);
        EXPECT_TRUE(Action("&Invert Colours")->isChecked());
        ClickKey(Window(), Qt::Key_D);
        EXPECT_TRUE(viewState.demoSpin);
        Action("&Demo")->trigger();
        EXPECT_FALSE(viewState.demoSpin);
        EXPECT_FALSE(Action("&Demo")->isChecked());
    });
}

TEST_F(WindowTest, LabelModesAndTextSizes) {
    RunProgram("", [&] {
        const QString modes[] = {"&None", "&Symbols", "&Full Names"};
        auto marked = [&] {
            int count = 0, which = -1;
            for (int i = 0; i < 3; ++i)
                if (Action(modes[i])->isChecked()) ++count, which = i;
            return count == 1 ? which : -1;
        };
        const int expected[] = {1, 2, 0};
        for (int press = 0; press < 3; ++press) {
            ClickKey(Window(), Qt::Key_T);
            EXPECT_EQ(viewState.labelMode, expected[press]);
            EXPECT_EQ(marked(), expected[press]);
        }
        Action("&Full Names")->trigger();
        EXPECT_EQ(viewState.labelMode, 2);
        EXPECT_EQ(marked(), 2);
        Action("&Full Names")->trigger();  // choosing it again keeps it
        EXPECT_EQ(marked(), 2);

        const std::pair<QString, float> sizes[] = {{"&Tiny", 1.5f},
                                                   {"&Small", 2.5f},
                                                   {"&Large", 6.0f},
                                                   {"&Huge", 8.0f},
                                                   {"&Normal", 4.0f}};
        for (const auto& [caption, size] : sizes) {
            Action(caption)->trigger();
            EXPECT_EQ(viewState.textSize, size);
            for (const auto& [other, unused] : sizes)
                EXPECT_EQ(Action(other)->isChecked(), other == caption) << other.toStdString();
        }
    });
}

TEST_F(WindowTest, NodeKeysActOnTheCurrentNode) {
    RunProgram(Example("water"), [&] {
        // Without a current node these keys do nothing.
        molecule.currentNode = -1;
        for (int key : {int(Qt::Key_Delete), int(Qt::Key_L)}) ClickKey(Window(), key);
        ClickKey(Window(), Qt::Key_Plus, Qt::KeypadModifier);
        EXPECT_EQ(NodeCount(), 3);
        for (const Node& node : molecule.nodes) {
            EXPECT_EQ(node.charge, 0);
            EXPECT_FALSE(node.cloud);
        }
        // The digits of the main keyboard add atoms; those of the keypad do not.
        ClickKey(Window(), Qt::Key_6);
        ASSERT_EQ(NodeCount(), 4);
        EXPECT_EQ(molecule.nodes[3].element->symbol, "C");
        EXPECT_TRUE(molecule.nodes[3].neighbours.empty());
        ClickKey(Window(), Qt::Key_1, Qt::KeypadModifier);
        EXPECT_EQ(NodeCount(), 4);

        molecule.currentNode = 0;
        ClickKey(Window(), Qt::Key_1);
        ASSERT_EQ(NodeCount(), 5);
        EXPECT_EQ(molecule.nodes[4].neighbours, std::vector<int>{0});
        ClickKey(Window(), Qt::Key_Plus, Qt::KeypadModifier);
        ClickKey(Window(), Qt::Key_Plus, Qt::KeypadModifier);
        ClickKey(Window(), Qt::Key_Minus, Qt::KeypadModifier);
        EXPECT_EQ(molecule.nodes[0].charge, 1);
        ClickKey(Window(), Qt::Key_Plus);  // the main keyboard's plus is no shortcut
        EXPECT_EQ(molecule.nodes[0].charge, 1);
        ClickKey(Window(), Qt::Key_L);
        EXPECT_TRUE(molecule.nodes[0].cloud);
        ClickKey(Window(), Qt::Key_Delete);
        EXPECT_EQ(NodeCount(), 4);
        std::string why;
        EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;

        // Keys act on release only, and never on auto-repeat.
        const int before = NodeCount();
        SendKey(Window(), QEvent::KeyPress, Qt::Key_2);
        EXPECT_EQ(NodeCount(), before);
        SendKey(Window(), QEvent::KeyRelease, Qt::Key_2, Qt::NoModifier, "", true);
        EXPECT_EQ(NodeCount(), before);
        SendKey(Window(), QEvent::KeyRelease, Qt::Key_2);
        EXPECT_EQ(NodeCount(), before + 1);

        // P pauses the layout; C centres on the current node.
        ClickKey(Window(), Qt::Key_P);
        EXPECT_TRUE(shellState.paused);
        const Vector3 held = molecule.nodes[1].position;
        Wait(100);
        EXPECT_EQ(molecule.nodes[1].position.x, held.x);
        ClickKey(Window(), Qt::Key_P);
        EXPECT_FALSE(shellState.paused);
        molecule.currentNode = 1;
        viewState.eye.z = 123.0f;
        ClickKey(Window(), Qt::Key_C);
        EXPECT_EQ(viewState.eye.z, 500.0f);
        EXPECT_EQ(molecule.nodes[1].position.x, 0.0f);
    });
}

TEST_F(WindowTest, JoinUnjoinAndTheirMessages) {
    answerer.Push(Press("OK"));
    RunProgram(Example("water"), [&] {
        ClickKey(Window(), Qt::Key_J);  // nothing selected
        molecule.nodes[1].selected = molecule.nodes[2].selected = true;
        ClickKey(Window(), Qt::Key_J);
        EXPECT_EQ(molecule.nodes[1].neighbours, (std::vector<int>{0, 2}));
        Action("&Join Atoms")->trigger();
        EXPECT_EQ(molecule.nodes[1].linkOrders, (std::vector<int>{1, 2}));
        ClickKey(Window(), Qt::Key_U);
        Action("&Unjoin Atoms")->trigger();
        EXPECT_EQ(molecule.nodes[1].neighbours, (std::vector<int>{0}));
    });
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].title.toStdString(), "Selection error");
}

TEST_F(WindowTest, AddNewAtomRenameFormulaAndCheck) {
    answerer.Push(TypeAndPress("chlorine", "OK"));
    answerer.Push(TypeAndPress("Unobtainium", "OK"));
    answerer.Push(Press("OK"));  // "Unknown Element!"
    answerer.Push(TypeAndPress("Hydrogen chloride", "OK"));
    answerer.Push(TypeAndPress("HCl", "OK"));
    answerer.Push(Press("OK"));  // Check Molecule
    RunProgram("", [&] {
        Action("&Add New Atom")->trigger();
        ASSERT_EQ(NodeCount(), 1);
        EXPECT_EQ(molecule.nodes[0].element->symbol, "Cl");
        ClickKey(Window(), Qt::Key_A);
        EXPECT_EQ(NodeCount(), 1);
        Action("&Rename")->trigger();
        EXPECT_EQ(molecule.name, "Hydrogen chloride");
        Action("Set &Formula")->trigger();
        EXPECT_EQ(molecule.formula, "HCl");
        Action("&Check Molecule")->trigger();
    });
    ASSERT_EQ(answerer.seen().size(), 6u);
    EXPECT_EQ(answerer.seen()[2].title.toStdString(), "Unknown Element");
    EXPECT_EQ(answerer.seen()[5].title.toStdString(), "Check Molecule");
    EXPECT_EQ(answerer.seen()[5].text.toStdString(), "No problems found.");
}

// Cancel leaves the box's text empty, whatever an earlier box left there: no
// element has that name, so the person is told and nothing is added or
// recorded for Undo. A current atom that is gone asks nothing.
TEST_F(WindowTest, AddNewAtomCancelledSaysUnknownElementAndAddsNothing) {
    answerer.Push(TypeAndPress("C", "Cancel"));
    answerer.Push(Press("OK"));  // "Unknown Element!"
    RunProgram("", [&] {
        inputText = "C";
        ClickKey(Window(), Qt::Key_A);
        EXPECT_EQ(NodeCount(), 0);
        EXPECT_TRUE(undoHistory.undo.empty());
        molecule.currentNode = 3;
        Action("&Add New Atom")->trigger();
    });
    ASSERT_EQ(answerer.seen().size(), 2u);
    EXPECT_EQ(answerer.seen()[0].text.toStdString(), "Add New Element");
    EXPECT_EQ(answerer.seen()[1].text.toStdString(), "Unknown Element!");
    EXPECT_EQ(answerer.seen()[1].title.toStdString(), "Unknown Element");
}

TEST_F(WindowTest, LoadAndSaveThroughTheChooser) {
    const std::string saved = folder.File("saved"), sdf = folder.File("saved.sdf");
    answerer.Push([&](QWidget* chooser) {
        TypeAndPress(QString::fromStdString(Example("ethanol")), "Open")(chooser);
    });
    QStringList filters;
    for (const std::string* path : {&saved, &sdf})
        answerer.Push([path, &filters](QWidget* chooser) {
            filters = qobject_cast<QFileDialog*>(chooser)->nameFilters();
            TypeAndPress(QString::fromStdString(*path), "Save")(chooser);
        });
    RunProgram("", [&] {
        Action("&Load")->trigger();
        EXPECT_EQ(molecule.name, "Ethanol");
        ClickKey(Window(), Qt::Key_P);  // keep the positions for the comparison
        Action("&Save")->trigger();
        EXPECT_EQ(ReadFileOrEmpty(saved), FormatMoleculeText());
        Action("&Save")->trigger();  // a chemistry name is written in its format
        EXPECT_EQ(ReadFileOrEmpty(sdf).substr(0, 8), "Ethanol\n");
    });
    EXPECT_EQ(
        filters.mid(0, 4).join("|").toStdString(),
        "All (*)|Allowed Data Files (*.dat *.hpr)|XYZ (*.xyz)|MDL Molfile / SDF (*.mol *.sdf)");
}

// A molecule read that is too large for the view is fitted by moving the eye
// back until every atom is inside; a small one leaves the camera as it was.
TEST_F(WindowTest, LoadFitsOnlyMoleculesTooLargeForTheView) {
    const std::string large = folder.File("large.dat");
    WriteFileOrFail(large,
                    "# Molecule created using Tessaril\n[Large]\n{C2}\n"
                    "(0)C{}[-2000,300,0]\n(1)C{}[2000,-300,100]\n");
    RunProgram(large, [&] {
        const Matrix4 p = ProjectionMatrix(View()->width(), View()->height());
        for (const Node& node : molecule.nodes) {
            const Vector3 e = TransformPoint(CameraMatrix(), node.position);
            EXPECT_LT(std::max(std::fabs(p.m[0] * e.x), std::fabs(p.m[5] * e.y)), -e.z);
        }
        const float eye = viewState.eye.z;
        ASSERT_TRUE(LoadAnyMoleculeFile(Example("caffeine"), true));
        EXPECT_EQ(viewState.eye.z, eye);
    });
}

// The chemistry formats from the File and Edit menus: the items in their
// places, an import (and a failed one that changes nothing), an export whose
// name takes the chosen format's extension, a SMILES build and hydrogens.
TEST_F(WindowTest, ChemistryFormatsThroughTheMenus) {
    const std::string bad = folder.File("bad.pdb"), out = folder.File("exported");
    WriteFileOrFail(bad, "HEADER    NOTHING HERE\nEND\n");
    for (const std::string& path : {SourceFile("tests/data/caffeine.pdb"), bad})
        answerer.Push([path](QWidget* chooser) {
            TypeAndPress(QString::fromStdString(path), "Open")(chooser);
        });
    answerer.Push(Press("OK"));  // the failed import's one message
    answerer.Push(
        [&](QWidget* chooser) { TypeAndPress(QString::fromStdString(out), "Save")(chooser); });
    answerer.Push(TypeAndPress(" CCO ", "OK"));
    RunProgram("", [&] {
        QStringList file;
        for (QAction* action : Window()->menuBar()->actions().first()->menu()->actions())
            file << (action->isSeparator() ? "-" : action->text());
        EXPECT_EQ(file.join("|").toStdString(),
                  "&New|New from S&MILES...|&Load|&Save|-|&Import...|Expor&t...|"
                  "Export &Picture...|Recent &Files|-|&Exit");
        Action("&Import...")->trigger();
        EXPECT_EQ(molecule.name, "caffeine");
        ASSERT_EQ(NodeCount(), 24);
        // An imported molecule keeps the file's geometry: the layout waits.
        const std::string imported = Exactly();
        EXPECT_TRUE(shellState.paused);
        EXPECT_FALSE(Action("Run &Layout")->isChecked());
        Wait(100);
        EXPECT_EQ(Exactly(), imported);
        Action("&Import...")->trigger();
        EXPECT_EQ(molecule.name, "caffeine");
        EXPECT_EQ(NodeCount(), 24);
        Action("Expor&t...")->trigger();
        EXPECT_EQ(ReadFileOrEmpty(out + ".sdf").substr(0, 9), "caffeine\n");
        Action("Run &Layout")->trigger();
        EXPECT_FALSE(shellState.paused);
        Action("New from S&MILES...")->trigger();
        EXPECT_EQ(molecule.formula, "C2H6O");
        ASSERT_EQ(NodeCount(), 9);
        EXPECT_TRUE(shellState.paused);
        RemoveNode(8);
        RemoveNode(7);
        std::vector<Vector3> heavy;
        for (const Node& node : molecule.nodes) heavy.push_back(node.position);
        Action("Add &Hydrogens")->trigger();
        ASSERT_EQ(NodeCount(), 9);
        // The old atoms stay put; the new hydrogens sit at a bond's length.
        for (size_t i = 0; i < heavy.size(); ++i)
            EXPECT_EQ(Distance(molecule.nodes[i].position, heavy[i]), 0.0);
        for (int h = 7; h < 9; ++h) {
            const Node& added = molecule.nodes[h];
            const float length =
                Distance(added.position, molecule.nodes[added.neighbours[0]].position);
            EXPECT_NEAR(length / kUnitsPerAngstrom, 1.0, 0.15);
        }
        std::string why;
        EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;
    });
    ASSERT_EQ(answerer.seen().size(), 5u);
    EXPECT_EQ(answerer.seen()[2].title.toStdString(), "Import error");
    EXPECT_TRUE(answerer.allAnswered());
}

// A slow import leaves the window running: the picture draws, the status bar
// counts the seconds beside a Cancel button, the commands that would change
// the molecule are greyed, and Cancel kills the child and keeps the molecule.
TEST_F(WindowTest, AnImportRunsBesideTheWindowAndCancelKeepsTheMolecule) {
    const std::string slow = folder.File("chain.smi");
    WriteFileOrFail(slow, std::string(300, 'C') + "\n");  // built in 3D for seconds
    answerer.Push(
        [&](QWidget* chooser) { TypeAndPress(QString::fromStdString(slow), "Open")(chooser); });
    RunProgram(Example("water"), [&] {
        Action("Run &Layout")->trigger();  // held still, so the molecule can be compared
        const std::string before = Exactly();
        auto* progress = Window()->findChild<QLabel*>("progressLine");
        auto* cancel = Window()->findChild<QAbstractButton*>("cancelChild");
        ASSERT_TRUE(progress && cancel);
        EXPECT_FALSE(cancel->isVisible());
        long framesAtStart = 0;
        bool newGreyed = false;
        std::string shown;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (!cancel->isVisible()) return;
            if (framesAtStart == 0) framesAtStart = View()->framesDrawn();
            shown = progress->text().toStdString();
            newGreyed = !Action("&New")->isEnabled() && Action("&Demo")->isEnabled();
            if (View()->framesDrawn() > framesAtStart + 5 &&
                shown.find(" 1 s") != std::string::npos)
                cancel->click();
        });
        watcher.start(20);
        Action("&Demo")->trigger();  // the picture changes every frame
        Action("&Import...")->trigger();
        watcher.stop();
        EXPECT_EQ(shown, "Importing chain.smi... 1 s");
        EXPECT_TRUE(newGreyed);
        EXPECT_FALSE(cancel->isVisible());
        EXPECT_TRUE(Action("&New")->isEnabled());
        EXPECT_EQ(Exactly(), before);
        Action("&Demo")->trigger();
    });
    EXPECT_EQ(answerer.seen().size(), 1u) << "the chooser only: a cancelled import says nothing";
}

// Files dropped on the window: the own format loads, a chemistry format
// imports, anything else is refused. Each read file heads Recent Files; one
// deleted meanwhile is reported and taken off when chosen.
TEST_F(WindowTest, DroppedFilesLoadAndRecentFilesReopenThem) {
    const std::string own = folder.File("ethanol.dat"), pdb = SourceFile("tests/data/caffeine.pdb");
    std::filesystem::copy_file(Example("ethanol"), own);
    WriteFileOrFail(folder.File("notes.txt"), "C 0 0 0\n");
    answerer.Push(Press("OK"));  // the deleted file's message
    RunProgram("", [&] {
        auto drop = [&](const std::string& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(Window(), &enter);
            QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                               Qt::NoModifier);
            if (enter.isAccepted()) QApplication::sendEvent(Window(), &dropped);
            return enter.isAccepted();
        };
        auto recent = [&] {
            QMenu* menu = Action("Recent &Files")->menu();
            emit menu->aboutToShow();
            return menu->actions();
        };
        EXPECT_FALSE(drop(folder.File("notes.txt")));
        EXPECT_EQ(NodeCount(), 0);
        EXPECT_TRUE(drop(own));
        EXPECT_EQ(molecule.name, "Ethanol");
        EXPECT_TRUE(drop(pdb));
        EXPECT_EQ(molecule.name, "caffeine");
        ASSERT_EQ(recent().size(), 2);
        EXPECT_TRUE(recent()[0]->text().endsWith("caffeine.pdb"));
        EXPECT_TRUE(recent()[1]->text().endsWith("ethanol.dat"));
        unlink(own.c_str());
        recent()[1]->trigger();
        EXPECT_EQ(molecule.name, "caffeine");
        ASSERT_EQ(recent().size(), 1);
    });
    ASSERT_GE(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text.toStdString(),
              "File " + own + " no longer exists; it is removed from Recent Files.");
    EXPECT_EQ(ReadFileOrEmpty(folder.File("Tessaril.recent")),
              std::filesystem::absolute(pdb).lexically_normal().string() + "\n");
    EXPECT_EQ(SettingsOnDisk(), shipped);  // the settings file's layout is untouched

    // So does a file named on the command line; the choosers start in its folder.
    RunProgram(Example("water"),
               [&] { EXPECT_EQ(shellState.chooserFolder, SourceFile("examples")); });
    EXPECT_EQ(RecentFiles().front(), std::filesystem::path(Example("water")).lexically_normal());
}

TEST(RecentFilesTest, NewestFirstWithoutRepeatsAndAtMostEight) {
    std::vector<std::string> list;
    for (const char* path : {"a", "b", "c", "a", "d", "e", "f", "g", "h", "i"})
        list = WithRecentFile(list, path);
    EXPECT_EQ(list, (std::vector<std::string>{"i", "h", "g", "f", "e", "d", "a", "c"}));
    EXPECT_EQ(ParseRecentFiles("x\r\n\ny\nx\n1\n2\n3\n4\n5\n6\n7\n"),
              (std::vector<std::string>{"x", "y", "1", "2", "3", "4", "5", "6"}));
}

// A list file with a huge line is read only so far, and a path longer than
// any the system takes is no entry.
TEST(RecentFilesTest, OverlongLinesAreLeftOut) {
    TemporaryFolder folder;
    settings.startDirectory = folder.path();
    WriteFileOrFail(folder.File("Tessaril.recent"), "/a\n" + std::string(PATH_MAX, 'p') + "\n/b\n" +
                                                        std::string(2 << 20, 'x') + "\n/c\n");
    EXPECT_EQ(RecentFiles(), (std::vector<std::string>{"/a", "/b"}));
    settings = Settings{};
}

// Ctrl+E asks for a file and then the size, line scale and DPI; the picture
// has that size and states that DPI. Nothing else happens on the keys.
TEST_F(WindowTest, ExportPictureWritesTheSizeAndDpiAsked) {
    const std::string shot = folder.File("shot"), second = folder.File("second.png"),
                      third = folder.File("third");
    answerer.Push([&](QWidget* w) { TypeAndPress(QString::fromStdString(shot), "Save")(w); });
    answerer.Push(TypeAndPress("1200x700 4 300", "OK"));
    answerer.Push([&](QWidget* w) { TypeAndPress(QString::fromStdString(second), "Save")(w); });
    answerer.Push(Press("OK"));  // the window's size, scale 1, 96 DPI
    answerer.Push([&](QWidget* w) { TypeAndPress(QString::fromStdString(third), "Save")(w); });
    answerer.Push(TypeAndPress("0x700", "OK"));
    answerer.Push(Press("OK"));  // the message about the size
    RunProgram(Example("ethanol"), [&] {
        ClickKey(Window(), Qt::Key_P);
        const std::string before = FormatMoleculeText();
        QApplication::setActiveWindow(Window());
        QTest::keyClick(Window(), Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(answerer.seen().size(), 2u) << "Ctrl+E opened the chooser and the size box";
        Action("Export &Picture...")->trigger();
        Action("Export &Picture...")->trigger();
        EXPECT_EQ(FormatMoleculeText(), before);
        EXPECT_FALSE(Action("&Demo")->isChecked());
    });
    EXPECT_TRUE(answerer.allAnswered());
    EXPECT_FALSE(std::filesystem::exists(third + ".png"));
    for (const auto& [path, width, height, dpi] :
         {std::tuple{shot + ".png", 1200, 700, 300},
          std::tuple{second, kShippedViewWidth, kShippedViewHeight, 96}}) {
        const std::string bytes = ReadFileOrEmpty(path);
        DecodedPng image;
        ASSERT_TRUE(DecodePng(bytes, image)) << path;
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        EXPECT_EQ(PngDotsPerInch(bytes), dpi);
        int drawn = 0;
        for (size_t i = 0; i < image.rgb.size(); i += 3)
            drawn += std::memcmp(&image.rgb[i], image.At(0, 0), 3) != 0;
        EXPECT_GT(drawn, width * height / 100) << "the molecule is in the picture";
    }
}

// The picture is the frame --render draws (upright, and in its colours: Qt
// reads the framebuffer premultiplied, which would brighten the translucent
// cloud), with the hovered atom's lines only when "hover" asks for them.
TEST_F(WindowTest, ExportPictureMatchesRenderAndKeepsTheHoverOnlyWhenAsked) {
    const std::string plain = folder.File("plain.png"), hover = folder.File("hover.png");
    const std::string tall = folder.File("tall.png");  // taller than one framebuffer
    for (const auto& [path, options] :
         {std::pair{plain, "400x300"}, {hover, "400x300 1 96 hover"}, {tall, "120x4300"}}) {
        answerer.Push([=](QWidget* w) { TypeAndPress(QString::fromStdString(path), "Save")(w); });
        answerer.Push(TypeAndPress(options, "OK"));
    }
    RunProgram(Example("xenon"), [&] {
        shellState.pointer.lastMouseX = View()->width() / 2;
        shellState.pointer.lastMouseY = View()->height() / 2;
        Wait(60);
        ASSERT_EQ(molecule.hoverNode, 0);
        for (int i = 0; i < 3; ++i) Action("Export &Picture...")->trigger();
    });
    const std::string drawn = folder.File("render.png"), drawnTall = folder.File("render-tall.png");
    ASSERT_EQ(RenderToPng(drawnTall, {.width = 120, .height = 4300}).result,
              PictureResult::written);
    DecodedPng exportedTall, renderedTall;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty(tall), exportedTall) &&
                DecodePng(ReadFileOrEmpty(drawnTall), renderedTall));
    ASSERT_EQ(exportedTall.rgb.size(), renderedTall.rgb.size());
    // Below the title, which the picture's shape stretches to many times its
    // height, the atom in the middle and the tiles' overlap.
    int differTall = 0;
    for (size_t i = 120 * 3 * 600; i < renderedTall.rgb.size(); ++i)
        differTall += std::abs(exportedTall.rgb[i] - renderedTall.rgb[i]) > 8;
    EXPECT_LT(differTall, 1000);  // antialiased edges, as above
    ASSERT_EQ(RenderToPng(drawn, {.width = 400, .height = 300}).result, PictureResult::written);
    DecodedPng exported, hovered, rendered;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty(plain), exported) &&
                DecodePng(ReadFileOrEmpty(hover), hovered) &&
                DecodePng(ReadFileOrEmpty(drawn), rendered));
    int differ = 0, plainLines = 0, hoverLines = 0;  // antialiased edges may differ a little
    for (size_t i = 0; i < rendered.rgb.size(); ++i) {
        differ += std::abs(exported.rgb[i] - rendered.rgb[i]) > 8;
        const bool topLeft = i % 1200 < 300 && i < 1200 * 60;
        plainLines += topLeft && exported.rgb[i] > 100;
        hoverLines += topLeft && hovered.rgb[i] > 100;
    }
    EXPECT_LT(differ, 3000);
    EXPECT_EQ(plainLines, 0);
    EXPECT_GT(hoverLines, 100);
}

TEST_F(WindowTest, SetControlsMarkFollowsTheDialog) {
    RunProgram("", [&] {
        QAction* item = Action("&Set Controls");
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        ASSERT_NE(shellState.controlsDialog, nullptr);
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        Wait(10);
        EXPECT_EQ(shellState.controlsDialog, nullptr);
        item->trigger();
        ASSERT_NE(shellState.controlsDialog, nullptr);
        shellState.controlsDialog->close();  // its close box
        Wait(10);
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(shellState.controlsDialog, nullptr);
    });
}

TEST_F(WindowTest, ColourItemsOpenDialogsOnTheirColours) {
    RunProgram(Example("water"), [&] {
        Action("&Background")->trigger();
        Action("Electron &Cloud")->trigger();
        Action("&Element")->trigger();  // no current node: nothing
        ClickKey(Window(), Qt::Key_O);
        ASSERT_EQ(shellState.colourDialogs.size(), 2u);
        EXPECT_EQ(shellState.colourDialogs[0].target, &settings.BackgroundColour);
        EXPECT_EQ(shellState.colourDialogs[1].target, &settings.CloudColour);
        molecule.currentNode = 1;
        ClickKey(Window(), Qt::Key_O);
        Action("&Element")->trigger();
        ASSERT_EQ(shellState.colourDialogs.size(), 4u);
        EXPECT_EQ(shellState.colourDialogs[2].target, &FindElement("H")->colour);
        EXPECT_EQ(shellState.colourDialogs[3].target, &FindElement("H")->colour);
    });
}

TEST_F(WindowTest, MouseTurnsTheViewDragsAtomsAndTurnsTheModel) {
    RunProgram(Example("water"), [&] {
        ClickKey(Window(), Qt::Key_P);
        GLView* view = View();
        // A left drag on the background turns the view, 0.2 degrees a pixel.
        molecule.hoverNode = -1;
        SendMouse(view, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
        EXPECT_TRUE(molecule.dragging);
        SendMouse(view, QEvent::MouseMove, {20, 15}, Qt::LeftButton);
        EXPECT_FLOAT_EQ(viewState.viewYaw, 2.0f);
        EXPECT_FLOAT_EQ(viewState.viewPitch, 1.0f);
        SendMouse(view, QEvent::MouseMove, {30, 15}, Qt::LeftButton, Qt::ShiftModifier);
        EXPECT_FLOAT_EQ(viewState.viewYaw, 2.5f);
        SendMouse(view, QEvent::MouseMove, {40, 15}, Qt::LeftButton, Qt::ControlModifier);
        EXPECT_FLOAT_EQ(viewState.viewYaw, 10.5f);
        SendMouse(view, QEvent::MouseMove, {50, 15}, Qt::LeftButton,
                  Qt::ShiftModifier | Qt::ControlModifier);
        EXPECT_FLOAT_EQ(viewState.viewYaw, 12.5f);
        SendMouse(view, QEvent::MouseButtonRelease, {50, 15}, Qt::LeftButton);
        EXPECT_FALSE(molecule.dragging);

        // A right drag turns the model, whatever is under the pointer.
        SendMouse(view, QEvent::MouseButtonPress, {100, 100}, Qt::RightButton);
        SendMouse(view, QEvent::MouseMove, {90, 110}, Qt::RightButton);
        EXPECT_FLOAT_EQ(viewState.modelYaw, -2.0f);
        EXPECT_FLOAT_EQ(viewState.modelPitch, 2.0f);
        SendMouse(view, QEvent::MouseButtonRelease, {90, 110}, Qt::RightButton);
        SendMouse(view, QEvent::MouseMove, {0, 0}, Qt::NoButton);
        EXPECT_FLOAT_EQ(viewState.modelYaw, -2.0f);

        // A left press on an atom selects it and drags it.
        ResetCamera();
        molecule.hoverNode = 2;
        SendMouse(view, QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton);
        EXPECT_EQ(molecule.currentNode, 2);
        EXPECT_TRUE(molecule.nodes[2].selected);
        const Vector3 before = molecule.nodes[2].position;
        SendMouse(view, QEvent::MouseMove, {210, 200}, Qt::LeftButton);
        EXPECT_GT(molecule.nodes[2].position.x, before.x);
        EXPECT_NEAR(molecule.nodes[2].position.y, before.y, 1e-3f);
        EXPECT_EQ(viewState.viewYaw, 0.0f);
        SendMouse(view, QEvent::MouseButtonRelease, {210, 200}, Qt::LeftButton);

        // Shift extends the selection.
        molecule.hoverNode = 0;
        SendMouse(view, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::ShiftModifier);
        EXPECT_TRUE(molecule.nodes[0].selected);
        EXPECT_TRUE(molecule.nodes[2].selected);
        SendMouse(view, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton);
    });
}

TEST_F(WindowTest, WheelMovesTheEyeBy50ANotch) {
    RunProgram("", [&] {
        const struct {
            int delta;
            Qt::KeyboardModifiers modifiers;
            float moved;
        } cases[] = {
            {120, Qt::NoModifier, 50.0f},
            {30, Qt::NoModifier, 50.0f},
            {-120, Qt::NoModifier, -50.0f},
            {120, Qt::ShiftModifier, 12.5f},
            {120, Qt::ControlModifier, 200.0f},
            {-240, Qt::ShiftModifier | Qt::ControlModifier, -50.0f},
        };
        for (const auto& c : cases) {
            ResetCamera();
            SendWheel(View(), c.delta, c.modifiers);
            EXPECT_FLOAT_EQ(500.0f - viewState.eye.z, c.moved) << c.delta;
        }
    });
}

TEST_F(WindowTest, TimersRunWhileAModalBoxIsOpen) {
    float pitchWhileOpen = 0.0f;
    float positionWhileOpen = 0.0f;
    answerer.Push([&](QWidget* box) {
        const float pitch = viewState.modelPitch;
        const float x = molecule.nodes[0].position.x;
        QPointer<QWidget> target = box;
        QTimer::singleShot(400, [&, target, pitch, x] {
            pitchWhileOpen = viewState.modelPitch - pitch;
            positionWhileOpen = molecule.nodes[0].position.x - x;
            if (target) FindButton(target, "OK")->click();
        });
    });
    RunProgram(Example("water"), [&] {
        molecule.nodes[0].position = {300, 0, 0};  // far from its ideal place: it moves
        viewState.demoSpin = true;                 // each frame turns the model
        Action("&Check Molecule")->trigger();
    });
    EXPECT_GT(pitchWhileOpen, 0.0f) << "no frames were drawn while the box was open";
    EXPECT_NE(positionWhileOpen, 0.0f) << "the layout did not step while the box was open";
}

// A paused, untouched window draws next to nothing; a change a person would
// see draws again, and a moving layout gets its frames.
TEST_F(WindowTest, AnIdleWindowDrawsOnlyWhatChanges) {
    RunProgram(Example("caffeine"), [&] {
        ClickKey(Window(), Qt::Key_P);
        Wait(300);
        const auto framesIn = [&](int ms) {
            const long before = View()->framesDrawn();
            Wait(ms);
            return View()->framesDrawn() - before;
        };
        EXPECT_LE(framesIn(2000), 3);
        settings.BackgroundColour.red = 0.5f;  // as a colour dialog edits it
        EXPECT_GE(framesIn(200), 1);
        molecule.nodes[0].position.x += 0.005f;  // too little to see
        EXPECT_EQ(framesIn(200), 0);
        molecule.nodes[0].position = {300, 0, 0};
        ClickKey(Window(), Qt::Key_P);
        EXPECT_GE(framesIn(1000), 10);
    });
}

TEST_F(WindowTest, GeometryFollowsMovesAndResizes) {
    RunProgram("", [&] {
        Window()->resize(Window()->width() + 40, Window()->height() + 20);
        Wait(50);
        EXPECT_EQ(settings.WindowWidth, 632);
        EXPECT_EQ(settings.restoredWidth, 632);
        EXPECT_EQ(settings.WindowHeight, 366);
        Window()->move(Window()->pos() + QPoint(30, 7));
        Wait(50);
        EXPECT_EQ(settings.WindowX, 1 + 4 + 30);
        EXPECT_EQ(settings.WindowY, 1 + 50 + 7);
    });
    const std::string written = SettingsOnDisk();
    EXPECT_NE(written.find("@WindowX=31\n@WindowY=8\n@WindowWidth=640\n@WindowHeight=420\n"),
              std::string::npos)
        << written.substr(0, 200);
}

// Under a window manager: maximising and minimising keep the restored size
// and place for the settings file, and a client area at x = 0 stores no place.
TEST_F(WindowTest, ManagedWindowKeepsItsRestoredPlace) {
    WindowManager manager;
    ASSERT_TRUE(manager.Running()) << "openbox did not start";
    RunProgram("", [&] {
        ASSERT_TRUE(WaitUntil([&] {
            return View()->mapToGlobal(QPoint(0, 0)) == QPoint(5, 51) &&
                   View()->size() == QSize(kShippedViewWidth, kShippedViewHeight);
        })) << "placed at "
            << settings.WindowX << "," << settings.WindowY;
        Window()->showMaximized();
        ASSERT_TRUE(WaitUntil([&] { return Window()->isMaximized() && View()->width() > 700; }));
        Wait(100);
        EXPECT_EQ(settings.WindowWidth, View()->width());
        EXPECT_EQ(settings.restoredWidth, kShippedViewWidth);
        EXPECT_EQ(settings.restoredHeight, kShippedViewHeight);
        Window()->showNormal();
        ASSERT_TRUE(WaitUntil(
            [&] { return !Window()->isMaximized() && View()->width() == kShippedViewWidth; }));
        Window()->showMinimized();
        ASSERT_TRUE(WaitUntil([&] { return Window()->isMinimized(); }));
        Wait(200);
        EXPECT_EQ(settings.WindowX, 5);
        EXPECT_EQ(settings.WindowY, 51);
        Window()->showNormal();
        ASSERT_TRUE(WaitUntil([&] { return !Window()->isMinimized() && Window()->isVisible(); }));
        // The client area moved to x = 0 (its frame partly off the screen).
        const QPoint view = View()->mapToGlobal(QPoint(0, 0));
        Window()->move(Window()->pos() - QPoint(view.x(), -20));
        ASSERT_TRUE(WaitUntil([&] { return View()->mapToGlobal(QPoint(0, 0)).x() == 0; }));
        Wait(100);
        EXPECT_EQ(settings.WindowX, 5);
        EXPECT_EQ(settings.WindowY, 51);
        Window()->showMaximized();
        ASSERT_TRUE(WaitUntil([&] { return Window()->isMaximized(); }));
        Wait(100);
    });
    // Quit while maximised: the restored size is written.
    const std::string written = SettingsOnDisk();
    EXPECT_NE(written.find("@WindowWidth=600\n@WindowHeight=400\n"), std::string::npos)
        << written.substr(0, 200);
}

// The atom under the real pointer is the one the frame picks: the pointer is
// moved on the X server, not set in the model.
TEST_F(WindowTest, PickingFollowsTheRealPointer) {
    RunProgram(Example("water"), [&] {
        ClickKey(Window(), Qt::Key_P);
        ResetCamera();
        molecule.nodes[0].position = {0, 0, 0};  // in the middle of the view
        molecule.nodes[1].position = {150, 0, 0};
        molecule.nodes[2].position = {-150, 100, 0};
        const QPoint middle(View()->width() / 2, View()->height() / 2);
        QCursor::setPos(View()->mapToGlobal(middle));
        EXPECT_TRUE(WaitUntil([] { return molecule.hoverNode == 0; }, 2000));
        QCursor::setPos(View()->mapToGlobal(QPoint(5, 5)));
        EXPECT_TRUE(WaitUntil([] { return molecule.hoverNode == -1; }, 2000));
        // 150 units left of the middle and 100 up, seen from the eye 500
        // units away with a vertical field of 45 degrees.
        const double pixelsPerUnit = middle.y() / (500.0 * std::tan(22.5 * M_PI / 180.0));
        const QPoint offset(static_cast<int>(std::lround(150.0 * pixelsPerUnit)),
                            static_cast<int>(std::lround(100.0 * pixelsPerUnit)));
        QCursor::setPos(View()->mapToGlobal(middle - offset));
        EXPECT_TRUE(WaitUntil([] { return molecule.hoverNode == 2; }, 2000)) << molecule.hoverNode;
    });
}

// Each change is one step: Ctrl+Z brings back the molecule before it, Ctrl+Y
// and Ctrl+Shift+Z the one after, and the items name it and grey out.
TEST_F(WindowTest, EveryChangeUndoesAndRedoesExactly) {
    const auto open = [](std::string path) {
        return [path](QWidget* chooser) {
            TypeAndPress(QString::fromStdString(path), "Open")(chooser);
        };
    };
    answerer.Push(TypeAndPress("chlorine", "OK"));
    answerer.Push(TypeAndPress("Wet", "OK"));
    answerer.Push(TypeAndPress("H2O2", "OK"));
    answerer.Push(Press("Yes"));
    answerer.Push(open(Example("ethanol")));
    answerer.Push(open(SourceFile("tests/data/caffeine.pdb")));
    answerer.Push(TypeAndPress("CCO", "OK"));
    RunProgram(Example("water"), [&] {
        ClickKey(Window(), Qt::Key_P);  // only the commands move atoms
        auto select = [](std::vector<int> nodes, int current) {
            for (Node& node : molecule.nodes) node.selected = false;
            for (int i : nodes) molecule.nodes[i].selected = true;
            molecule.currentNode = current;
        };
        auto key = [&](int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            return [=, this] { ClickKey(Window(), code, modifiers); };
        };
        auto item = [&](const char* caption) { return [=, this] { Action(caption)->trigger(); }; };
        const struct {
            const char* step;
            std::function<void()> prepare, act;
        } cases[] = {
            {"Join Atoms",
             [&] {
                 select({1, 2}, -1);
             },
             key(Qt::Key_J)},
            {"Join Atoms",
             [&] {
                 select({1, 2}, -1);
             },
             item("&Join Atoms")},
            {"Unjoin Atoms",
             [&] {
                 select({0, 1}, -1);
             },
             key(Qt::Key_U)},
            {"Add Atom", [&] { select({}, 1); }, key(Qt::Key_6)},
            {"Add Atom", [&] { select({}, 0); }, key(Qt::Key_A)},
            {"Delete Atom", [&] { select({0}, 0); }, key(Qt::Key_Delete)},
            {"Toggle Cloud", [&] { select({}, 1); }, key(Qt::Key_L)},
            {"Change Charge", [&] { select({}, 1); }, key(Qt::Key_Minus, Qt::KeypadModifier)},
            {"Rename", [] {}, item("&Rename")},
            {"Set Formula", [] {}, item("Set &Formula")},
            {"Move Atom",
             [&] {
                 select({}, -1);
                 molecule.hoverNode = 2;
             },
             [&] {
                 SendMouse(View(), QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton);
                 SendMouse(View(), QEvent::MouseMove, {230, 190}, Qt::LeftButton);
                 SendMouse(View(), QEvent::MouseButtonRelease, {230, 190}, Qt::LeftButton);
             }},
            {"Centre", [&] { select({}, 1); }, key(Qt::Key_C)},
            {"New", [] {}, item("&New")},
            {"Load", [] {}, item("&Load")},
            {"Import", [] {}, item("&Import...")},
            {"Add Hydrogens", [] { RemoveNode(23); }, item("Add &Hydrogens")},
            {"New from SMILES", [] {}, item("New from S&MILES...")},
        };
        QAction* undo = Window()->findChild<QAction*>("undo");
        QAction* redo = Window()->findChild<QAction*>("redo");
        ASSERT_TRUE(undo && redo);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.step);
            c.prepare();
            ClearUndoHistory();
            const std::string before = Exactly();
            c.act();
            Wait(30);
            const std::string after = Exactly();
            ASSERT_NE(after, before);
            EXPECT_EQ(undo->text().toStdString(), std::string("U&ndo ") + c.step + "\tCtrl+Z");
            EXPECT_TRUE(undo->isEnabled());
            EXPECT_FALSE(redo->isEnabled());
            ClickKey(Window(), Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(Exactly(), before);
            EXPECT_FALSE(undo->isEnabled());
            EXPECT_EQ(redo->text().toStdString(),
                      std::string("Re&do ") + c.step + "\tCtrl+Shift+Z");
            ClickKey(Window(), Qt::Key_Y, Qt::ControlModifier);
            EXPECT_EQ(Exactly(), after);
            undo->trigger();
            EXPECT_EQ(Exactly(), before);
            ClickKey(Window(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            EXPECT_EQ(Exactly(), after);
            std::string why;
            EXPECT_TRUE(MoleculeIsConsistent(&why)) << why;
        }
    });
    EXPECT_TRUE(answerer.allAnswered());
}

// With Ctrl, Z and Y act on nothing else; clicks and refusals are no steps.
TEST_F(WindowTest, CtrlZAndYDoNothingElse) {
    answerer.Push(Press("OK"));  // joining without a selection
    RunProgram(Example("water"), [&] {
        ClickKey(Window(), Qt::Key_P);
        const std::string molecule0 = Exactly();
        const auto allMarks = [] {
            std::map<int, bool> marks;
            for (const auto& [id, action] : shellState.menuActions) marks[id] = MenuMark(id);
            return marks;
        };
        const auto marks = allMarks();
        for (Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier})
            for (int key : {Qt::Key_Z, Qt::Key_Y}) ClickKey(Window(), key, modifiers);
        ClickKey(Window(), Qt::Key_Z);
        ClickKey(Window(), Qt::Key_Y);
        ClickKey(Window(), Qt::Key_J);  // refused with a message
        molecule.hoverNode = 1;         // a click without a move
        SendMouse(View(), QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
        SendMouse(View(), QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton);
        EXPECT_FALSE(CanUndo());
        EXPECT_EQ(Exactly(), molecule0);
        EXPECT_TRUE(shellState.paused);
        EXPECT_EQ(allMarks(), marks);
        EXPECT_EQ(viewState.labelMode, 0);
        Wait(30);
        EXPECT_FALSE(Window()->findChild<QAction*>("undo")->isEnabled());
        EXPECT_EQ(Window()->findChild<QAction*>("undo")->text().toStdString(), "U&ndo\tCtrl+Z");
        EXPECT_FALSE(Window()->findChild<QAction*>("redo")->isEnabled());
    });
    EXPECT_EQ(answerer.seen().size(), 1u);
}

TEST_F(WindowTest, StatusBarCountsAndMeasures) {
    RunProgram(Example("water"), [&] {
        auto* line = Window()->findChild<QLabel*>("statusLine");
        ASSERT_NE(line, nullptr);
        auto shown = [&] {
            Wait(50);
            return line->text().toStdString();
        };
        EXPECT_EQ(shown(), "water.dat   3 atoms, 2 links   Layout running");
        ClickKey(Window(), Qt::Key_P);
        molecule.nodes[0].position = {0, 0, 0};
        molecule.nodes[1].position = {30, 0, 0};
        molecule.nodes[2].position = {0, 40, 0};
        molecule.currentNode = 2;
        ClickKey(Window(), Qt::Key_1);  // a fourth atom on the second hydrogen
        molecule.nodes[3].position = {0, 40, 30};
        const struct {
            std::vector<int> selected;
            const char* measured;
        } cases[] = {
            {{}, ""},
            {{1}, ""},
            {{1, 2}, "   Distance 0.962 \u00c5 (50.00)"},
            {{2, 0, 1}, "   Angle 90.0\u00b0"},
            {{3, 2, 1, 0}, "   Dihedral -90.0\u00b0"},
        };
        for (const auto& c : cases) {
            for (Node& node : molecule.nodes) node.selected = false;
            for (int i : c.selected) molecule.nodes[i].selected = true;
            EXPECT_EQ(shown(), std::string("water.dat *   4 atoms, 3 links   Paused") + c.measured);
        }
        // The measurement follows the layout as it moves the atoms away from
        // the right angle they were put at.
        ClickKey(Window(), Qt::Key_P);
        const std::string running = "water.dat *   4 atoms, 3 links   Layout running   Dihedral ";
        EXPECT_TRUE(WaitUntil([&] {
            const std::string text = shown();
            return text.rfind(running, 0) == 0 && text != running + "-90.0\u00b0";
        })) << shown();
        EXPECT_EQ(Window()->windowTitle().toStdString(), "Tessaril 2006");
    });
}

constexpr quint32 kScanDigit1 = 10;  // the X key code of 1 on the main keyboard

// Real key events from the X server (xdotool through XTEST), with its own
// key repeat while a key is held.
bool XKeys(const QStringList& arguments, bool wait) {
    if (!wait) return QProcess::startDetached("xdotool", arguments);
    return QProcess::execute("xdotool", arguments) == 0;
}

// Shift changes the character of a digit key ("!" for 1) but not what it does.
TEST_F(WindowTest, ShiftedDigitsActByTheKeysPlace) {
    RunProgram("", [&] {
        Window()->activateWindow();
        Wait(300);
        // Released while Shift is still down (xdotool's "key shift+1" lets
        // Shift go first).
        ASSERT_TRUE(XKeys({"keydown", "shift", "keydown", "1", "keyup", "1", "keydown", "3",
                           "keyup", "3", "keyup", "shift"},
                          true));
        ASSERT_TRUE(WaitUntil([] { return NodeCount() == 2; }, 2000)) << NodeCount();
        EXPECT_EQ(molecule.nodes[0].element, ElementAt(0));
        EXPECT_EQ(molecule.nodes[1].element, ElementAt(2));
    });
}

// Ctrl (and Shift) let go before the letter still count: xdotool's
// "key ctrl+z" does so.
TEST_F(WindowTest, CtrlZAndCtrlShiftZTakeTheModifiersOfThePress) {
    RunProgram("", [&] {
        Window()->activateWindow();
        Wait(300);
        ClickKey(Window(), Qt::Key_1);
        ClickKey(Window(), Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(NodeCount(), 0);
        ASSERT_TRUE(XKeys({"keydown", "ctrl", "keydown", "shift", "keydown", "z", "keyup", "shift",
                           "keyup", "ctrl", "keyup", "z"},
                          true));
        EXPECT_TRUE(WaitUntil([] { return NodeCount() == 1; }, 2000)) << "not redone";
        ClickKey(Window(), Qt::Key_1);
        const int added = NodeCount();
        ASSERT_TRUE(
            XKeys({"keydown", "ctrl", "keydown", "z", "keyup", "ctrl", "keyup", "z"}, true));
        EXPECT_TRUE(WaitUntil([&] { return NodeCount() == added - 1; }, 2000)) << "not undone";
    });
}

// Typing in an input box goes to its text field, over the text it opened
// with, and Return takes it.
TEST_F(WindowTest, InputBoxesTakeWhatIsTyped) {
    const std::string shot = folder.File("typed.png");
    const auto type = [](const char* text) {
        return [text](QWidget*) {
            QProcess::startDetached(
                "sh",
                {"-c",
                 QString("sleep 0.3; xdotool type --delay 30 %1; xdotool key Return").arg(text)});
        };
    };
    WindowManager manager;  // as a person's desktop has one
    answerer.Push(type("CCO"));
    answerer.Push(type("Spirit"));
    answerer.Push(type("Cl"));
    answerer.Push([&](QWidget* w) { TypeAndPress(QString::fromStdString(shot), "Save")(w); });
    answerer.Push(type("300x200"));
    RunProgram("", [&] {
        Window()->activateWindow();
        Action("New from S&MILES...")->trigger();
        EXPECT_EQ(NodeCount(), 9);
        Action("&Rename")->trigger();
        EXPECT_EQ(molecule.name, "Spirit");
        Action("&Add New Atom")->trigger();
        ASSERT_GT(NodeCount(), 0);
        EXPECT_EQ(molecule.nodes.back().element->symbol, "Cl");
        Action("Export &Picture...")->trigger();
    });
    DecodedPng image;
    ASSERT_TRUE(DecodePng(ReadFileOrEmpty(shot), image));
    EXPECT_EQ(image.width, 300);
}

TEST_F(WindowTest, AHeldKeyActsOnceHoweverLongAndHoweverLoaded) {
    RunProgram("", [&] {
        Window()->activateWindow();
        Wait(300);
        ASSERT_TRUE(XKeys({"keydown", "1"}, true));
        Wait(1500);  // repeats arrive while the program runs
        ASSERT_TRUE(XKeys({"keyup", "1"}, true));
        Wait(300);
        EXPECT_EQ(NodeCount(), 1);
        // Held while the program is busy: the repeats wait in the queue.
        ASSERT_TRUE(XKeys({"keydown", "2", "sleep", "1.5", "keyup", "2"}, true));
        Wait(300);
        EXPECT_EQ(NodeCount(), 2);
        // Under load the server's repeat pairs reach the window unmarked: a
        // release and a press with the same time while the key is down.
        ASSERT_TRUE(XKeys({"keydown", "3"}, true));
        Wait(100);
        for (unsigned long time = 5000; time < 5100; time += 20)
            for (int type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                QKeyEvent event(static_cast<QEvent::Type>(type), Qt::Key_3, Qt::NoModifier,
                                kScanDigit1 + 2, 0, 0, "3");
                event.setTimestamp(time);
                QApplication::sendEvent(Window(), &event);
            }
        ASSERT_TRUE(XKeys({"keyup", "3"}, true));
        Wait(300);
        EXPECT_EQ(NodeCount(), 3);
    });
}

}  // namespace
