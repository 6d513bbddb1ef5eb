// Menu commands, shortcut keys and the menu's check marks.
#include "commands.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>
#include <map>

#include "colour_dialog.h"
#include "dialogs.h"
#include "dragging.h"
#include "editing.h"
#include "molecule.h"
#include "molecule_file.h"
#include "prompts.h"
#include "settings.h"
#include "shell_state.h"
#include "simulation.h"
#include "view_state.h"

namespace {

std::map<int, bool> marks;
std::map<int, QAction*> actions;

// The toggle rule: the item's mark flips and the option follows the new mark.
bool Toggle(int id) {
    const bool marked = !MenuMark(id);
    SetMenuMark(id, marked);
    return marked;
}

void MarkOneOf(std::initializer_list<int> group, int marked) {
    for (int id : group) SetMenuMark(id, id == marked);
}

void SetLabelMode(int mode) {
    viewState.labelMode = mode;
    const int ids[] = {CommandId::kLabelsNone, CommandId::kLabelsSymbols,
                       CommandId::kLabelsFullNames};
    MarkOneOf({CommandId::kLabelsNone, CommandId::kLabelsSymbols, CommandId::kLabelsFullNames},
              ids[mode]);
}

void SetTextSize(int id, float size) {
    viewState.textSize = size;
    MarkOneOf({CommandId::kSizeTiny, CommandId::kSizeSmall, CommandId::kSizeNormal,
               CommandId::kSizeLarge, CommandId::kSizeHuge},
              id);
}

bool HasCurrentNode() {
    return IsNodeIndex(molecule.currentNode);
}

// The colour of the current node's element, which every atom of that element shares.
void OpenCurrentElementColour() {
    if (!HasCurrentNode()) return;
    Element* element = molecule.nodes[molecule.currentNode].element;
    if (element) OpenColourDialog(element->colour);
}

void AskToQuit() {
    if (AskYesNo("Really Quit?", "Quit Program")) EndProgram();
}

}  // namespace

bool MenuMark(int id) {
    const auto found = marks.find(id);
    return found != marks.end() && found->second;
}

void SetMenuMark(int id, bool marked) {
    marks[id] = marked;
    const auto found = actions.find(id);
    if (found != actions.end() && found->second->isChecked() != marked) {
        const bool blocked = found->second->blockSignals(true);
        found->second->setChecked(marked);
        found->second->blockSignals(blocked);
    }
}

void RegisterMenuAction(int id, QAction* action) {
    actions[id] = action;
    action->setCheckable(true);
    SetMenuMark(id, MenuMark(id));
}

void ResetMenuMarks() {
    marks.clear();
    actions.clear();
}

std::string WebsiteAddress() {
    return TESSARIL_WEBSITE;
}

bool HandleCommand(int id) {
    using namespace CommandId;
    switch (id) {
        case kEnter:
        case kEscape:
        case kExit:
            AskToQuit();
            return true;
        case kNew:
            if (AskYesNo("Are you sure? You will lose any unsaved work!", "New molecule"))
                NewMolecule();
            return true;
        case kLoad:
            LoadMolecule();
            return true;
        case kSave:
            SaveMolecule();
            return true;
        case kRename:
            molecule.name = InputBox(shellState.mainWindow, "Rename this Molecule", molecule.name);
            return true;
        case kSetFormula:
            molecule.formula = InputBox(shellState.mainWindow, "Enter formula for this molecule",
                                        molecule.formula);
            return true;
        case kAddNewAtom:
            AddNewAtom(molecule.currentNode);
            return true;
        case kJoinAtoms:
            JoinSelectedNodes();
            return true;
        case kUnjoinAtoms:
            UnjoinSelectedNodes();
            return true;
        case kSetControls:
            if (Toggle(kSetControls))
                ShowControlsDialog();
            else
                CloseControlsDialog();
            return true;
        case kCheckMolecule:
            CheckMolecule();
            return true;
        case kCloudColour:
            OpenColourDialog(settings.CloudColour);
            return true;
        case kBackgroundColour:
            OpenColourDialog(settings.BackgroundColour);
            return true;
        case kHighlightColour:
            OpenColourDialog(settings.HighlightColour);
            return true;
        case kElementColour:
            OpenCurrentElementColour();
            return true;
        case kSelectColour:
            OpenColourDialog(settings.SelectColour);
            return true;
        case kTextColour:
            OpenColourDialog(settings.TextColour);
            return true;
        case kLinkColour:
            OpenColourDialog(settings.LinkColour);
            return true;
        case kLabelsNone:
            SetLabelMode(0);
            return true;
        case kLabelsSymbols:
            SetLabelMode(1);
            return true;
        case kLabelsFullNames:
            SetLabelMode(2);
            return true;
        case kSizeTiny:
            SetTextSize(id, 1.5f);
            return true;
        case kSizeSmall:
            SetTextSize(id, 2.5f);
            return true;
        case kSizeNormal:
            SetTextSize(id, 4.0f);
            return true;
        case kSizeLarge:
            SetTextSize(id, 6.0f);
            return true;
        case kSizeHuge:
            SetTextSize(id, 8.0f);
            return true;
        case kSpecular:
            settings.Specular = Toggle(id);
            return true;
        case kInvertColours:
            settings.InvertColours = Toggle(id);
            return true;
        case kSquash:
            settings.Squash = Toggle(id);
            if (!settings.Squash) ReleaseSquash();
            return true;
        case kShadows:
            settings.Shadows = Toggle(id);
            return true;
        case kDemo:
            viewState.demoSpin = Toggle(id);
            return true;
        case kAbout:
            ShowAboutBox();
            return true;
        case kWebsite:
            QDesktopServices::openUrl(QUrl(QString::fromStdString(WebsiteAddress())));
            return true;
        default:
            return false;
    }
}

void HandleKey(ShortcutKey key) {
    using namespace CommandId;
    const int current = molecule.currentNode;
    switch (key) {
        case ShortcutKey::Escape:
            molecule.currentNode = -1;
            molecule.hoverNode = -1;
            EndProgram();
            break;
        case ShortcutKey::Delete:
            if (current != -1) RemoveNode(current);
            break;
        case ShortcutKey::Digit1:
        case ShortcutKey::Digit2:
        case ShortcutKey::Digit3:
        case ShortcutKey::Digit4:
        case ShortcutKey::Digit5:
        case ShortcutKey::Digit6:
        case ShortcutKey::Digit7:
        case ShortcutKey::Digit8:
        case ShortcutKey::Digit9:
            AddNode(current, static_cast<int>(key) - static_cast<int>(ShortcutKey::Digit1));
            break;
        case ShortcutKey::A:
            AddNewAtom(current);
            break;
        case ShortcutKey::C:
            CentreMolecule();
            break;
        case ShortcutKey::D:
            viewState.demoSpin = Toggle(kDemo);
            break;
        case ShortcutKey::I:
            settings.InvertColours = Toggle(kInvertColours);
            break;
        case ShortcutKey::J:
            JoinSelectedNodes();
            break;
        case ShortcutKey::L:
            if (current != -1) ToggleCloud(current);
            break;
        case ShortcutKey::O:
            OpenCurrentElementColour();
            break;
        case ShortcutKey::P:
            shellState.paused = !shellState.paused;
            break;
        case ShortcutKey::S:
            settings.Shadows = Toggle(kShadows);
            break;
        case ShortcutKey::T:
            SetLabelMode(viewState.labelMode == 0 ? 1 : (viewState.labelMode == 1 ? 2 : 0));
            break;
        case ShortcutKey::U:
            UnjoinSelectedNodes();
            break;
        case ShortcutKey::KeypadPlus:
            if (current != -1) ChangeCharge(current, +1);
            break;
        case ShortcutKey::KeypadMinus:
            if (current != -1) ChangeCharge(current, -1);
            break;
    }
}
