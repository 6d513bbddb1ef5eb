// The main menu: its items from left to right and top to bottom, each with
// its command id, made into the window's menu bar.
#pragma once

#include <functional>
#include <map>

class QAction;
class QMenuBar;

// Fills bar with the program's menus. Each item runs its command through
// run(id); marked items are registered to show their option's mark. Gives
// back every item by command id.
std::map<int, QAction*> BuildMainMenu(QMenuBar* bar, const std::function<void(int)>& run);
