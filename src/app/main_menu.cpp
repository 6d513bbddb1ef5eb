#include "main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "commands.h"
#include "recent_files.h"

using namespace CommandId;

namespace {

enum class Entry { Menu, SubMenu, EndSubMenu, Item, MarkedItem, Separator, RecentFiles };

struct MenuEntry {
    Entry kind;
    const char* caption = nullptr;
    int id = 0;  // the command of an item
};

// The main menu from left to right and top to bottom. A Menu entry starts a
// top menu; the entries between SubMenu and EndSubMenu form a submenu.
// Marked items carry a check mark.
const MenuEntry kMenu[] = {
    {Entry::Menu, "&File"},
    {Entry::Item, "&New", kNew},
    {Entry::Item, "New from S&MILES...", kNewFromSmiles},
    {Entry::Item, "&Load", kLoad},
    {Entry::Item, "&Save", kSave},
    {Entry::Separator},
    {Entry::Item, "&Import...", kImport},
    {Entry::Item, "Expor&t...", kExport},
    {Entry::Item, "Export &Picture...", kExportPicture},
    {Entry::RecentFiles, "Recent &Files"},
    {Entry::Separator},
    {Entry::Item, "&Exit", kExit},

    {Entry::Menu, "&Edit"},
    {Entry::Item, "&Rename", kRename},
    {Entry::Item, "Set &Formula", kSetFormula},
    {Entry::Separator},
    {Entry::Item, "&Add New Atom", kAddNewAtom},
    {Entry::Item, "&Join Atoms", kJoinAtoms},
    {Entry::Item, "&Unjoin Atoms", kUnjoinAtoms},
    {Entry::Separator},
    {Entry::MarkedItem, "&Set Controls", kSetControls},
    {Entry::Item, "&Check Molecule", kCheckMolecule},
    {Entry::Separator},
    {Entry::Item, "Add &Hydrogens", kAddHydrogens},
    {Entry::Separator},
    {Entry::Item, "U&ndo", kUndo},
    {Entry::Item, "Re&do", kRedo},

    {Entry::Menu, "&View"},
    {Entry::SubMenu, "&Colour Setup"},
    {Entry::Item, "Electron &Cloud", kCloudColour},
    {Entry::Item, "&Background", kBackgroundColour},
    {Entry::Item, "&Highlight", kHighlightColour},
    {Entry::Item, "&Element", kElementColour},
    {Entry::Item, "&Select", kSelectColour},
    {Entry::Item, "&Text", kTextColour},
    {Entry::Item, "&Links", kLinkColour},
    {Entry::EndSubMenu},
    {Entry::SubMenu, "&Text Labels"},
    {Entry::MarkedItem, "&None", kLabelsNone},
    {Entry::MarkedItem, "&Symbols", kLabelsSymbols},
    {Entry::MarkedItem, "&Full Names", kLabelsFullNames},
    {Entry::EndSubMenu},
    {Entry::SubMenu, "Text Si&ze"},
    {Entry::MarkedItem, "&Tiny", kSizeTiny},
    {Entry::MarkedItem, "&Small", kSizeSmall},
    {Entry::MarkedItem, "&Normal", kSizeNormal},
    {Entry::MarkedItem, "&Large", kSizeLarge},
    {Entry::MarkedItem, "&Huge", kSizeHuge},
    {Entry::EndSubMenu},
    {Entry::MarkedItem, "S&pecular Highlights", kSpecular},
    {Entry::MarkedItem, "&Invert Colours", kInvertColours},
    {Entry::MarkedItem, "&Squash to 2D", kSquash},
    {Entry::MarkedItem, "&Shadows", kShadows},
    {Entry::MarkedItem, "&Demo", kDemo},
    {Entry::MarkedItem, "Run &Layout", kRunLayout},

    {Entry::Menu, "&Help"},
    {Entry::Item, "&About", kAbout},
    {Entry::Item, "&Website", kWebsite},
};

}  // namespace

std::map<int, QAction*> BuildMainMenu(QMenuBar* bar, const std::function<void(int)>& run) {
    std::map<int, QAction*> items;
    QMenu* top = nullptr;
    QMenu* current = nullptr;
    for (const MenuEntry& entry : kMenu) {
        switch (entry.kind) {
            case Entry::Menu:
                top = current = bar->addMenu(entry.caption);
                break;
            case Entry::SubMenu:
                current = top->addMenu(entry.caption);
                break;
            case Entry::EndSubMenu:
                current = top;
                break;
            case Entry::Separator:
                current->addSeparator();
                break;
            case Entry::RecentFiles:
                AttachRecentFilesMenu(top->addMenu(entry.caption));
                break;
            case Entry::Item:
            case Entry::MarkedItem: {
                QAction* action = current->addAction(entry.caption);
                if (entry.kind == Entry::MarkedItem) RegisterMenuAction(entry.id, action);
                const int id = entry.id;
                QObject::connect(action, &QAction::triggered, bar, [run, id] { run(id); });
                items[id] = action;
                if (id == kExportPicture) action->setShortcut(QKeySequence("Ctrl+E"));
                action->setObjectName(id == kUndo ? "undo" : id == kRedo ? "redo" : "");
                break;
            }
        }
    }
    return items;
}
