#include "app/ResultActions.h"

#include <windows.h>

#include <vector>

#include "app/WaitWithMessages.h"
#include "automation/ComObject.h"
#include "text/CodePage936.h"
#include "ui/Clipboard.h"
#include "ui/MainWindow.h"
#include "system/ProcessPendingMessages.h"

namespace {

constexpr int kAddressColumn = 3;

// A notice for the user: no owner, so task-modal keeps the window from being
// used while it is open.
void ShowNotice(TextView text) {
  MessageBoxW(nullptr, TextToUtf16(text).c_str(), TextToUtf16("提示").c_str(), MB_OK | MB_TASKMODAL);
}

Text SelectedRowAddress() {
  const ListView& list = mainWindow.超级列表框1;
  return list.GetCellText(list.SelectedRow(), kAddressColumn);
}

}  // namespace

void OnSelectAllClick() {
  int state = mainWindow.全选框.IsChecked() ? 1 : 0;
  ListView& list = mainWindow.超级列表框1;
  int rowCount = list.RowCount();
  for (int row = 0; row < rowCount; ++row) list.SetRowCheck(row, state);
}

void OnListRightClick() { mainWindow.右键选项.PopUpAtCursor(mainWindow.window.handle); }

void OnCopyAddressClick() {
  const ListView& list = mainWindow.超级列表框1;
  if (mainWindow.循环执行.IsChecked()) {
    // Every row, checked or not, the last row's line first.
    int rowCount = list.RowCount();
    if (rowCount <= 0) return;
    Text lines;
    for (int row = 0; row < rowCount; ++row) {
      lines.insert(0, list.GetCellText(row, kAddressColumn) + "\r\n");
      ProcessPendingMessages();
    }
    PutTextOnClipboard(lines);
    return;
  }
  Text address = SelectedRowAddress();
  if (!address.empty()) PutTextOnClipboard(address);
}

void OnDownloadSeedsClick() {
  const ListView& list = mainWindow.超级列表框1;
  if (!mainWindow.循环执行.IsChecked()) {
    Text address = SelectedRowAddress();
    if (!address.empty()) AddThunderTask(address);
    return;
  }
  // The row count is read again for each row: a running search may add rows.
  std::vector<int> rows;
  int rowCount = list.RowCount();
  for (int i = 1; i <= rowCount; ++i) {
    int row = list.RowCount() - i;
    if (list.GetRowCheck(row) == 1) rows.push_back(row);
  }
  if (rows.empty()) {
    ShowNotice("请选中需下载的序号!");
    return;
  }
  for (int row : rows) {
    AddThunderTask(list.GetCellText(row, kAddressColumn));
    WaitWithMessages(100);
  }
}

void AddThunderTask(const Text& address) {
  ComObject agent;
  if (!agent.Create("ThunderAgent.Agent")) {
    ShowNotice("您还没有安装迅雷!");
    return;
  }
  // Thunder's results are not used: what it does with the task is its affair.
  Text argument = address;
  CallMethod(agent, "AddTask", ByReference(argument));
  (void)CallNumberMethod(agent, "CommitTasks");
  agent.Clear();
}
