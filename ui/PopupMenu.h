#pragma once
// The list's popup menu 右键选项: a hidden top-level item, so no menu bar shows
// it; it is built and shown on demand.
#include <windows.h>

#include <vector>

#include "text/Text.h"
#include "ui/Controls.h"

struct MenuItem {
  ControlId id;  // also the command identifier of the chosen event
  Text text;
  bool grayed = false;
  bool checked = false;
};

struct Menu {
  Text text;
  std::vector<MenuItem> items;
  // Shows the items at the cursor + (3, 3), owned by `owner`; returns when the
  // menu has closed. The chosen item arrives at `owner` as WM_COMMAND.
  void PopUpAtCursor(HWND owner) const;
  // The same with the menu's corner at `screen`.
  void PopUpAt(HWND owner, POINT screen) const;
};
