#include "app/ResultActions.h"

#include <windows.h>

#include "app/WaitWithMessages.h"
#include "automation/ComObject.h"
#include "text/CodePage936.h"
#include "ui/Clipboard.h"

namespace {

constexpr int kAddressColumn = 3;

// A notice for the user: no owner, so task-modal keeps the window from being
// used while it is open.
void ShowNotice(TextView text) {
  MessageBoxW(nullptr, TextToUtf16(text).c_str(), TextToUtf16("提示").c_str(), MB_OK | MB_TASKMODAL);
}

Text SelectedRowAddress(const ListView& list) { return list.GetCellText(list.SelectedRow(), kAddressColumn); }

}  // namespace

void OnSelectAllClick(AppState& app) {
  app.window.超级列表框1.SetEveryRowCheck(app.window.全选框.IsChecked() ? 1 : 0);
}

void OnListRightClick(AppState& app) { app.window.右键选项.PopUpAtCursor(app.window.window.handle); }

void OnCopyAddressClick(AppState& app) {
  const ListView& list = app.window.超级列表框1;
  if (!app.window.循环执行.IsChecked()) {
    Text address = SelectedRowAddress(list);
    if (!address.empty()) PutTextOnClipboard(address);
    return;
  }
  // Every row, checked or not, the last row's line first.
  const RowStore& rows = list.rows;
  if (rows.RowCount() <= 0) return;
  size_t size = 0;
  for (int row = 0; row < rows.RowCount(); ++row) size += rows.Cell(row, kAddressColumn).size() + 2;
  Text lines;
  lines.reserve(size);
  for (int row = rows.RowCount() - 1; row >= 0; --row) {
    lines += rows.Cell(row, kAddressColumn);
    lines += "\r\n";
  }
  PutTextOnClipboard(lines);
}

void OnDownloadSeedsClick(AppState& app) {
  const ListView& list = app.window.超级列表框1;
  if (!app.window.循环执行.IsChecked()) {
    Text address = SelectedRowAddress(list);
    if (!address.empty()) AddThunderTask(address);
    return;
  }
  // The addresses are taken before the first wait: a search started during
  // the waits replaces the rows, and its links were never checked.
  TextList addresses;
  for (int row = list.rows.RowCount() - 1; row >= 0; --row) {
    if (list.rows.Check(row) == 1) addresses.emplace_back(list.rows.Cell(row, kAddressColumn));
  }
  if (addresses.empty()) {
    ShowNotice("请选中需下载的序号!");
    return;
  }
  for (const Text& address : addresses) {
    AddThunderTask(address);
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
