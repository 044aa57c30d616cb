#include "app/ResultActions.h"

#include <windows.h>

#include <cstring>

#include "app/ListExport.h"
#include "app/MagnetHandler.h"
#include "app/MagnetLink.h"
#include "app/Notice.h"
#include "app/WaitWithMessages.h"
#include "automation/ComObject.h"
#include "automation/MemberCall.h"
#include "system/Room.h"
#include "text/CodePage936.h"
#include "text/FileNames.h"
#include "ui/Clipboard.h"
#include "ui/ResultColumns.h"
#include "ui/SaveFileDialog.h"

namespace {

// The column copy and hand-off read.
constexpr int kAddressColumn = LinkColumn();

// 循环执行, captioned 按照选中 on screen: checked, an action goes over the
// list's rows (a copy over every row, a download over the checked ones)
// rather than the selected row alone.
bool 按照选中(const MainWindow& window) { return window.循环执行.IsChecked(); }

// An action whose copy of the rows could not be had does nothing else.
void ShowNoRoomNotice(TextView action) { ShowNotice("内存不足, 无法" + Text(action) + "!"); }

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

// The address of the row shown at `position`, in the list's order.
TextView AddressShownAt(const ListView& list, int position) {
  return list.rows.Cell(StoreRowAt(list.order, position), kAddressColumn);
}

// Every row's magnet link, the bottom row's line first as the list shows
// them, each ending in CR LF: written into `target` when given (room for
// them all), only measured without. Returns the links' bytes and counts the
// rows left out.
size_t EveryAddress(const ListView& list, char* target, size_t& skipped) {
  size_t size = 0;
  skipped = 0;
  for (int position = list.rows.RowCount() - 1; position >= 0; --position) {
    const TextView address = AddressShownAt(list, position);
    if (!IsMagnetLink(address)) {
      ++skipped;
      continue;
    }
    if (target) {
      std::memcpy(target + size, address.data(), address.size());
      std::memcpy(target + size + address.size(), "\r\n", 2);
    }
    size += address.size() + 2;
  }
  return size;
}

// The clipboard's writer: the same links again, into its block of their size.
void WriteEveryAddress(char* target, size_t, void* context) {
  size_t skipped = 0;
  (void)EveryAddress(*static_cast<const ListView*>(context), target, skipped);
}

// The checked rows' magnet links, the bottom row's first as the list shows
// them, each followed by a zero byte: appended to `addresses` when given.
// Counts the checked rows and the links among them, and returns the links' bytes.
size_t CheckedMagnetLinks(const ListView& list, size_t& checked, size_t& links, Text* addresses) {
  size_t size = 0;
  checked = links = 0;
  for (int position = list.rows.RowCount() - 1; position >= 0; --position) {
    if (list.rows.Check(StoreRowAt(list.order, position)) != 1) continue;
    ++checked;
    const TextView address = AddressShownAt(list, position);
    if (!IsMagnetLink(address)) continue;
    ++links;
    size += address.size() + 1;
    if (!addresses) continue;
    addresses->append(address);
    addresses->push_back('\0');
  }
  return size;
}

// Says why a copy was not placed, and true when it did; a clipboard another
// program holds is left alone quietly, as before.
bool ShowCopyRefused(ClipboardWrite written) {
  switch (written) {
    case ClipboardWrite::Placed:
    case ClipboardWrite::NotOpened:
      return false;
    case ClipboardWrite::NoRoom:
      ShowNoRoomNotice("复制下载地址");
      return true;
    case ClipboardWrite::NotEmptied:
      ShowNotice("无法复制下载地址: 剪贴板拒绝写入, 原有内容未变!");
      return true;
    case ClipboardWrite::NotPlaced:
      ShowNotice("无法复制下载地址: 剪贴板拒绝写入, 原有内容已清除!");
      return true;
  }
  return false;
}

// The formats the save dialog offers, in its order.
struct ExportType {
  ExportFormat format;
  TextView title;
};
constexpr ExportType kExportTypes[] = {
    {ExportFormat::Csv, "CSV 文件 (*.csv)"},
    {ExportFormat::Tsv, "制表符分隔文件 (*.tsv)"},
    {ExportFormat::Links, "链接列表 (*.txt)"},
};

SaveFileQuestion ExportQuestion(const MainWindow& window) {
  SaveFileQuestion question;
  question.owner = window.window.handle;
  question.name = UsableFileName(TextToUtf16(window.编辑框1.GetText()), TextToUtf16("搜索结果"));
  for (const ExportType& type : kExportTypes) {
    const std::wstring extension = ExportExtension(type.format);
    question.types.push_back({TextToUtf16(type.title), L"*." + extension, extension});
  }
  return question;
}

}  // namespace

void OnSelectAllClick(AppState& app) {
  app.window.超级列表框1.SetEveryRowCheck(app.window.全选框.IsChecked() ? 1 : 0);
}

void OnListRightClick(AppState& app) { app.window.右键选项.PopUpAtCursor(app.window.window.handle); }

void OnListMenuKey(AppState& app) {
  app.window.右键选项.PopUpAt(app.window.window.handle, app.window.超级列表框1.FocusedRowCorner());
}

void OnListSortRefused(AppState&) { ShowNoRoomNotice("排序"); }

void OnCopyAddressClick(AppState& app) {
  const ListView& list = app.window.超级列表框1;
  if (!按照选中(app.window)) {
    Text address;
    if (!SelectedMagnetLink(list, address)) return;
    (void)ShowCopyRefused(PutTextOnClipboard(app.window.window.handle, address));
    return;
  }
  // Every row, checked or not, in the order shown with every row in its place:
  // the text is made once, in the clipboard's block.
  app.window.超级列表框1.ShowPendingRows();
  size_t skipped = 0;
  const size_t size = EveryAddress(list, nullptr, skipped);
  if (size > 0) {
    const ClipboardWrite written =
        PutTextOnClipboard(app.window.window.handle, size, WriteEveryAddress, const_cast<ListView*>(&list));
    if (ShowCopyRefused(written)) return;
  }
  ShowSkippedNotice(skipped);
}

void OnDownloadSeedsClick(AppState& app) {
  const ListView& list = app.window.超级列表框1;
  if (!按照选中(app.window)) {
    Text address;
    if (SelectedMagnetLink(list, address)) HandOnAddress(address);
    return;
  }
  // The addresses are taken before the first wait: a search started during
  // the waits replaces the rows, and its links were never checked. Every row
  // is in its place first: they go in the order shown.
  app.window.超级列表框1.ShowPendingRows();
  size_t checked = 0, links = 0;
  const size_t size = CheckedMagnetLinks(list, checked, links, nullptr);
  if (checked == 0) {
    ShowNotice("请选中需下载的序号!");
    return;
  }
  Text addresses;
  if (!ReserveRoom(addresses, size)) {
    ShowNoRoomNotice("下载种子");
    return;
  }
  (void)CheckedMagnetLinks(list, checked, links, &addresses);
  ShowSkippedNotice(checked - links);
  for (size_t at = 0; at < addresses.size();) {
    const Text address(addresses.c_str() + at);
    at += address.size() + 1;
    HandOnAddress(address);
    WaitWithMessages(100);
  }
}

void OnExportListClick(AppState& app) {
  SaveFileAnswer answer;
  if (!AskForSavePath(ExportQuestion(app.window), answer)) return;
  (void)ExportList(app, answer.path, kExportTypes[answer.type].format);
}

bool AddThunderTask(const Text& address) {
  // Thunder's agent is a DLL: a registration it left behind when it went
  // must not cost the seconds of a search for a local server.
  ComObject agent;
  if (!agent.Create("ThunderAgent.Agent", ComObject::Servers::InProcessFirst)) return false;
  // A task Thunder refuses is not taken: the link goes on as if Thunder were
  // absent. What it does with one it took is its own affair.
  Text argument = address;
  if (!CallMethod(agent, "AddTask", ByReference(argument))) return false;
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
