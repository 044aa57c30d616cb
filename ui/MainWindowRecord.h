#pragma once
// The program's one window as a record: its controls by name, the values they
// keep, the event table bound at creation. Below the window's procedure and
// its layout, which both fill it.
#include <windows.h>

#include "ui/ControlOperations.h"
#include "ui/EventTable.h"
#include "ui/PopupMenu.h"
#include "ui/WindowIcon.h"
#include "ui/WorkerChannel.h"
#include "system/Holders.h"

struct MainWindow {
  Window window;
  HWND 分组框 = nullptr;
  HWND 透明标签1 = nullptr;
  EditBox 编辑框1;
  CheckBox 循环执行;
  CheckBox 精确框;
  Button 搜索_按钮;
  Button 停止_按钮;
  CheckBox 全选框;
  ListView 超级列表框1;
  StatusBar 状态条;
  Timer 记时间;
  Menu 右键选项;

  EventTable events;
  void* handlerContext = nullptr;  // handed to every handler
  WorkerChannel channel;           // the current search's worker run, if any
  bool ending = false;  // the program has begun to end: no more handlers
  HFONT font = nullptr;  // the window's own (WM_SETFONT): the GUI font of its DPI
  GdiObject guiFont;    // DEFAULT_GUI_FONT's face scaled, where the window's DPI is not the stock font's
  GdiObject textFont;   // the edit box's and the list's font
  IconHandle icon;
};

// The main window's class name (for finding it from outside the process).
constexpr const wchar_t* kMainWindowClass = L"SeedSearchMainWindow";
