#pragma once
// Keyboard use of the main window: mnemonics on the menus, F10 to the menu
// bar.
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace sondaro {

// Gives every menu title and entry without one a mnemonic: the first free
// initial of its words ("Save &Bitmap" when S is taken), "E&xit" by custom.
// Entries with no free initial (File 10 to File 30) go without. Menus filled
// later get theirs when they open.
void AssignMnemonics(QMenuBar* bar);
void AssignMnemonics(QMenu* menu);

// Tab visits the focusable widgets inside `area` one after the other, in
// their present order, before it leaves the area (widgets added to it later
// no longer trail behind the rest of the window).
void KeepTabStopsTogether(QWidget* area);

// F10 opens the first menu of the bar, as Alt does on other desktops.
void InstallMenuBarKey(QMainWindow* window);

}  // namespace sondaro
