#pragma once
// The identities of the main window's controls and the events they raise. A
// control's identifier is also its child-window identifier (GetDlgItem) and
// the command identifier of the menu items.
enum class ControlId : int {
  MainWindow = 0,
  记时间 = 1000,  // the same number as its timer's id (kElapsedTimeTimer)
  分组框 = 1001,
  透明标签1 = 1002,
  编辑框1 = 1003,
  循环执行 = 1004,
  精确框 = 1005,
  搜索_按钮 = 1006,
  停止_按钮 = 1007,
  全选框 = 1008,
  超级列表框1 = 1009,
  状态条 = 1010,
  右键选项 = 1011,
  复制下载地址 = 1012,
  下载种子 = 1013,
  导出列表 = 1014,
};

enum class ControlEvent {
  Created,     // the main window and all its controls exist (still hidden)
  Closing,     // WM_CLOSE or WM_QUERYENDSESSION
  Clicked,     // BN_CLICKED, after an automatic check box has toggled
  Tick,        // WM_TIMER of 记时间
  RightClick,  // NM_RCLICK of the list, on a row or not
  MenuKey,     // Shift+F10 or the context-menu key on the list
  Chosen,      // a popup-menu item
  Changed,     // EN_CHANGE of an edit box; a check box's state set (BM_SETCHECK), by anyone
  SortRefused,  // a click on the list's header whose sort was refused memory (the order shown kept)
};
