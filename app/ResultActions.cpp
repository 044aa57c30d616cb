#include "app/ResultActions.h"

#include <windows.h>

#include "app/MagnetHandler.h"
#include "app/WaitWithMessages.h"
#include "automation/ComObject.h"
#include "automation/MemberCall.h"
#include "text/CodePage936.h"
#include "ui/Clipboard.h"

namespace {

constexpr int kAddressColumn = 3;

// A notice for the user: no owner, so task-modal keeps the window from being
// used while it is open.
void ShowNotice(TextView text) {
  MessageBoxW(nullptr, TextToUtf16(text).c_str(), TextToUtf16("提示").c_str(), MB_OK | MB_TASKMODAL);
}

// Only a magnet link goes to the clipboard or to Thunder: a page's address
// could as well name a program to download (http://...exe), a local file
// (file:///) or another download manager's link. One holding a line break
// would become two lines on the clipboard.
bool IsMagnetLink(TextView address) {
  constexpr TextView kScheme = "magnet:?";
  if (address.size() < kScheme.size()) return false;
  for (size_t index = 0; index < kScheme.size(); ++index) {
    char letter = address[index];
    if (letter >= 'A' && letter <= 'Z') letter = char(letter - 'A' + 'a');
    if (letter != kScheme[index]) return false;
  }
  return address.find_first_of("\r\n") == TextView::npos;
}

// Said once for all the rows an action left out; they stay listed.
void ShowSkippedNotice(size_t skipped) {
  if (skipped == 0) return;
  ShowNotice("下载地址不是磁力链接, 已跳过: " + DecimalText((long long)skipped) + " 条");
}

// The selected row's address, or false without a selected row; says so
// when its address is no magnet link.
bool SelectedMagnetLink(const ListView& list, Text& address) {
  const int row = list.SelectedRow();
  if (row < 0) return false;
  address = list.GetCellText(row, kAddressColumn);
  if (IsMagnetLink(address)) return true;
  // An empty cell was left alone before any address was checked.
  if (!address.empty()) ShowSkippedNotice(1);
  return false;
}

}  // namespace

void OnSelectAllClick(AppState& app) {
  app.window.超级列表框1.SetEveryRowCheck(app.window.全选框.IsChecked() ? 1 : 0);
}

void OnListRightClick(AppState& app) { app.window.右键选项.PopUpAtCursor(app.window.window.handle); }

void OnCopyAddressClick(AppState& app) {
  const ListView& list = app.window.超级列表框1;
  if (!app.window.循环执行.IsChecked()) {
    Text address;
    if (SelectedMagnetLink(list, address)) PutTextOnClipboard(address);
    return;
  }
  // Every row, checked or not, the last row's line first.
  const RowStore& rows = list.rows;
  if (rows.RowCount() <= 0) return;
  size_t size = 0, skipped = 0;
  for (int row = 0; row < rows.RowCount(); ++row) size += rows.Cell(row, kAddressColumn).size() + 2;
  Text lines;
  lines.reserve(size);
  for (int row = rows.RowCount() - 1; row >= 0; --row) {
    const TextView address = rows.Cell(row, kAddressColumn);
    if (!IsMagnetLink(address)) {
      ++skipped;
      continue;
    }
    lines += address;
    lines += "\r\n";
  }
  if (!lines.empty()) PutTextOnClipboard(lines);
  ShowSkippedNotice(skipped);
}

void OnDownloadSeedsClick(AppState& app) {
  const ListView& list = app.window.超级列表框1;
  if (!app.window.循环执行.IsChecked()) {
    Text address;
    if (SelectedMagnetLink(list, address)) HandOnAddress(address);
    return;
  }
  // The addresses are taken before the first wait: a search started during
  // the waits replaces the rows, and its links were never checked.
  TextList addresses;
  size_t checked = 0;
  for (int row = list.rows.RowCount() - 1; row >= 0; --row) {
    if (list.rows.Check(row) != 1) continue;
    ++checked;
    const TextView address = list.rows.Cell(row, kAddressColumn);
    if (IsMagnetLink(address)) addresses.emplace_back(address);
  }
  if (checked == 0) {
    ShowNotice("请选中需下载的序号!");
    return;
  }
  ShowSkippedNotice(checked - addresses.size());
  for (const Text& address : addresses) {
    HandOnAddress(address);
    WaitWithMessages(100);
  }
}

bool AddThunderTask(const Text& address) {
  ComObject agent;
  if (!agent.Create("ThunderAgent.Agent")) return false;
  // Thunder's results are not used: what it does with the task is its affair.
  Text argument = address;
  CallMethod(agent, "AddTask", ByReference(argument));
  (void)CallNumberMethod(agent, "CommitTasks");
  agent.Clear();
  return true;
}

void HandOnAddress(const Text& address) {
  if (AddThunderTask(address)) return;
  // A handler whose program cannot be started took nothing either.
  if (HasMagnetHandler() && OpenWithMagnetHandler(address)) return;
  ShowNotice("您还没有安装迅雷!");
}
