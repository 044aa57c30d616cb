// The result list at the size of a long search: 100,000 rows in the owner-data
// view, with real clicks, keys, the real clipboard and a reader in another
// process.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/ListExport.h"
#include "tests/app/ChildScenarios.h"
#include "tests/app/ExportFiles.h"
#include "system/Room.h"
#include "tests/app/ResultActionsSupport.h"
#include "text/CodePage936.h"

namespace {

constexpr int kManyRows = 100000;

Text FileNameOf(int row) { return "file " + DecimalText(row) + " \xD6\xD0.iso"; }  // 中

class ResultListAtScale : public ResultActions {
 protected:
  void SetUp() override {
    ResultActions::SetUp();
    RowBatch batch;
    for (int row = 0; row < kManyRows; ++row)
      batch.Add({DecimalText(row + 1), FileNameOf(row), "1 GB", AddressOf(row)});
    ASSERT_TRUE(List().AppendRows(batch));
    List().ShowPendingRows();
    SetForegroundWindow(app.window.window.handle);
    PumpMessagesFor(50);
  }
  static LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(List().handle, message, wParam, lParam);
  }
  // Rows near `row` shown, so that clicks can reach it.
  static RECT ShownRow(int row) {
    Send(LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
    PumpMessagesFor(50);
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    EXPECT_TRUE(Send(LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&bounds)));
    return bounds;
  }
  // The point of the row's check box, as the list's own hit test finds it.
  static POINT CheckBoxOf(int row) {
    const RECT bounds = ShownRow(row);
    for (int x = bounds.left; x < bounds.left + 40; ++x) {
      LVHITTESTINFO hit = {};
      hit.pt = {x, (bounds.top + bounds.bottom) / 2};
      if (Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
        return {x + 3, hit.pt.y};
      }
    }
    ADD_FAILURE() << "no check box on row " << row;
    return {};
  }
  static void SendInputs(std::initializer_list<INPUT> inputs) {
    std::vector<INPUT> sent(inputs);
    SendInput(UINT(sent.size()), sent.data(), sizeof(INPUT));
    PumpMessagesFor(150);
  }
  static void LeftClickAt(POINT listPoint) {
    MoveCursorOnList(listPoint);
    INPUT down = {}, up = {};
    down.type = up.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInputs({down, up});
    PumpMessagesFor(GetDoubleClickTime() + 50);  // the next click is no double click
  }
  // A click on the middle of the column's header, as the user clicks it.
  static void ClickHeader(ResultColumn column) {
    const HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0));
    RECT bounds = {};
    SendMessageW(header, HDM_GETITEMRECT, WPARAM(ColumnIndex(column)), reinterpret_cast<LPARAM>(&bounds));
    POINT middle = {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    MapWindowPoints(header, List().handle, &middle, 1);
    LeftClickAt(middle);
  }
  // The sort arrows of 序号, 文件名, 文件大小 and the address: 'u' up, 'd' down, '-' none.
  static std::string SortArrows() {
    const HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0));
    std::string arrows;
    for (ResultColumn column :
         {ResultColumn::Number, ResultColumn::FileName, ResultColumn::Size, ResultColumn::Address}) {
      HDITEMW item = {};
      item.mask = HDI_FORMAT;
      SendMessageW(header, HDM_GETITEMW, WPARAM(ColumnIndex(column)), reinterpret_cast<LPARAM>(&item));
      arrows += item.fmt & HDF_SORTUP ? 'u' : item.fmt & HDF_SORTDOWN ? 'd' : '-';
    }
    return arrows;
  }
  // The arrival numbers (序号) of the rows shown at `positions`.
  static std::string NumbersAt(std::initializer_list<int> positions) {
    std::string numbers;
    for (int position : positions) numbers += List().GetCellText(position, ResultColumn::Number) + " ";
    return numbers;
  }
  static void PressKey(WORD key) {
    INPUT down = {}, up = {};
    down.type = up.type = INPUT_KEYBOARD;
    down.ki.wVk = up.ki.wVk = key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInputs({down, up});
  }
};

TEST_F(ResultListAtScale, RowsChecksAndSelectAllWorkOnEveryRow) {
  EXPECT_EQ(Send(LVM_GETITEMCOUNT, 0, 0), kManyRows);
  EXPECT_EQ(List().RowCount(), kManyRows);
  EXPECT_EQ(List().GetCellText(kManyRows - 1, ResultColumn::FileName), FileNameOf(kManyRows - 1));
  EXPECT_EQ(List().GetCellText(kManyRows - 1, ResultColumn::Number), DecimalText(kManyRows));

  SetChecked(app.window.全选框, true);
  SendClick(app.window.全选框.handle);
  for (int row : {0, 54321, kManyRows - 1}) {
    EXPECT_EQ(List().GetRowCheck(row), 1);
    EXPECT_EQ(Send(LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  }
  SetChecked(app.window.全选框, false);
  SendClick(app.window.全选框.handle);
  EXPECT_EQ(List().GetRowCheck(kManyRows - 1), 0);

  // The list's own message for a check state, for one row and for every row.
  LVITEMW item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(2);
  EXPECT_TRUE(Send(LVM_SETITEMSTATE, 777, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(List().GetRowCheck(777), 1);
  EXPECT_EQ(List().GetRowCheck(778), 0);
  EXPECT_FALSE(Send(LVM_SETITEMSTATE, kManyRows, reinterpret_cast<LPARAM>(&item)));
  // Selection bits beside the check bits reach the view.
  item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
  item.state = INDEXTOSTATEIMAGEMASK(1) | LVIS_SELECTED;
  EXPECT_TRUE(Send(LVM_SETITEMSTATE, 99998, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(List().GetRowCheck(99998), 0);
  EXPECT_EQ(List().SelectedRow(), 99998);
  EXPECT_EQ(Send(LVM_GETITEMSTATE, 99998, LVIS_SELECTED | LVIS_STATEIMAGEMASK),
            LVIS_SELECTED | INDEXTOSTATEIMAGEMASK(1));
}

TEST_F(ResultListAtScale, CopyOfOneRowAndOfAllRows) {
  Select(77777);
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(77777));

  SetChecked(app.window.循环执行, true);
  Choose(ControlId::复制下载地址);
  const std::string all = UpToZero(ClipboardBytes(CF_TEXT), 1);
  Text expected;
  for (int row = kManyRows - 1; row >= 0; --row) expected += AddressOf(row) + "\r\n";
  EXPECT_TRUE(all == expected) << all.size() << " bytes, expected " << expected.size();
}

TEST_F(ResultListAtScale, HandOffOfCheckedRowsAndThePopupMenuOnARowFarDown) {
  ThunderAgentRegistration thunder;
  List().SetRowCheck(5, 1);
  List().SetRowCheck(kManyRows - 1, 1);
  SetChecked(app.window.循环执行, true);
  Choose(ControlId::下载种子);
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].argument, Wide(AddressOf(kManyRows - 1)));
  EXPECT_EQ(calls[2].argument, Wide(AddressOf(5)));

  SetChecked(app.window.循环执行, false);
  const RECT row = ShownRow(99990);
  const POINT click = {row.left + 60, (row.top + row.bottom) / 2};
  PutMarkerOnClipboard();
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_RETURN}));
  const POINT expected = CursorPlusThree(click);
  EXPECT_EQ(MenuDriver::shownAt.left, expected.x);
  EXPECT_EQ(MenuDriver::shownAt.top, expected.y);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(99990));
}

TEST_F(ResultListAtScale, CopyOfAllRowsAndHandOffFollowTheOrderShown) {
  ClickHeader(ResultColumn::Number);
  ClickHeader(ResultColumn::Number);  // the last to arrive on top
  // Rows that arrive now are on top for either action, before the view shows them.
  const auto arrives = [](int row) {
    RowBatch batch;
    batch.Add({DecimalText(row + 1), FileNameOf(row), "1 GB", AddressOf(row)});
    ASSERT_TRUE(List().AppendRows(batch));
  };
  arrives(kManyRows);
  SetChecked(app.window.循环执行, true);
  Choose(ControlId::复制下载地址);
  const std::string all = UpToZero(ClipboardBytes(CF_TEXT), 1);
  Text expected;
  for (int row = 0; row <= kManyRows; ++row) expected += AddressOf(row) + "\r\n";
  EXPECT_TRUE(all == expected) << all.substr(0, 80);

  ThunderAgentRegistration thunder;
  List().SetRowCheck(kManyRows - 5, 1);  // the row that arrived sixth
  arrives(kManyRows + 1);
  List().rows.SetCheck(kManyRows + 1, 1);  // checked where it is stored, the view not asked
  Choose(ControlId::下载种子);
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].argument, Wide(AddressOf(5)));
  EXPECT_EQ(calls[2].argument, Wide(AddressOf(kManyRows + 1)));
}

TEST_F(ResultListAtScale, CtrlCCopiesAndShiftF10OrTheMenuKeyOpensTheMenuAtTheFocusedRow) {
  const RECT row = ShownRow(99990);
  LeftClickAt({row.left + 120, (row.top + row.bottom) / 2});
  PutMarkerOnClipboard();
  SendInputs({KeyInput(VK_CONTROL, 0), KeyInput('C', 0), KeyInput('C', KEYEVENTF_KEYUP),
              KeyInput(VK_CONTROL, KEYEVENTF_KEYUP)});
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(99990));

  MoveCursorOnList({5, 5});  // away from the row: the menu goes to the row, not the pointer
  POINT corner = {row.left, row.bottom};
  ClientToScreen(List().handle, &corner);
  for (const std::vector<WORD>& keys : {std::vector<WORD>{VK_SHIFT, VK_F10}, std::vector<WORD>{VK_APPS}}) {
    PutMarkerOnClipboard();
    ASSERT_TRUE(MenuDriver::OpenAndPress({VK_DOWN, VK_RETURN}, [&] {
      std::vector<INPUT> inputs;
      for (WORD key : keys) inputs.push_back(KeyInput(key, 0));
      for (auto key = keys.rbegin(); key != keys.rend(); ++key) inputs.push_back(KeyInput(*key, KEYEVENTF_KEYUP));
      SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    })) << keys.back();
    EXPECT_EQ(MenuDriver::shownAt.left, corner.x);
    EXPECT_EQ(MenuDriver::shownAt.top, corner.y);
    EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(99990));
  }
}

TEST_F(ResultListAtScale, TypedTextMovesToTheNextRowWhoseNameBeginsWithItWrappingAtTheEnd) {
  List().SetCellText(99997, ResultColumn::FileName, "\xD6\xD0\xCE\xC4 x.iso");  // 中文
  List().SetCellText(12, ResultColumn::FileName, "\xD6\xD0\xB9\xFA.iso");       // 中国
  List().SetCellText(500, ResultColumn::FileName, "movie.mkv");
  List().SetCellText(600, ResultColumn::FileName, "\xD5\x46.iso");  // 誇: its second byte has the value of "F"
  List().SetCellText(700, ResultColumn::FileName, "\xD5\x66.iso");  // 說: and this one of "f"
  const RECT row = ShownRow(99990);
  LeftClickAt({row.left + 120, (row.top + row.bottom) / 2});
  const auto type = [](const std::wstring& text) {
    for (wchar_t character : text) PostMessageW(List().handle, WM_CHAR, character, 1);  // a repeat count of 1
    PumpMessagesFor(100);
  };
  type(L"\u4E2D\u6587");  // 中文: the row below
  EXPECT_EQ(List().SelectedRow(), 99997);
  EXPECT_EQ(Send(LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), 99997);
  PumpMessagesFor(1200);  // a pause starts a new search
  type(L"\u4E2D\u56FD");  // 中国: past the end, from the top
  EXPECT_EQ(List().SelectedRow(), 12);
  PumpMessagesFor(1200);
  type(L"MOV");  // letters without case; a space would toggle the focused row's box
  EXPECT_EQ(List().SelectedRow(), 500);
  PumpMessagesFor(1200);
  type(L"\u8AAA");  // 說: characters are compared, not bytes folded
  EXPECT_EQ(List().SelectedRow(), 700);
}

TEST_F(ResultListAtScale, ACheckBoxTogglesByAClickOnItsBoxAndByTheSpaceBar) {
  const POINT box = CheckBoxOf(99995);
  LeftClickAt(box);
  EXPECT_EQ(List().GetRowCheck(99995), 1);
  EXPECT_EQ(List().GetRowCheck(99994), 0);
  EXPECT_EQ(List().SelectedRow(), -1);  // a click on the box checks, it does not select
  LeftClickAt(box);
  EXPECT_EQ(List().GetRowCheck(99995), 0);

  // A click on the row's text selects it and leaves its box alone.
  const RECT bounds = ShownRow(99993);
  LeftClickAt({bounds.left + 120, (bounds.top + bounds.bottom) / 2});
  EXPECT_EQ(List().SelectedRow(), 99993);
  EXPECT_EQ(List().GetRowCheck(99993), 0);

  // The space bar toggles the focused row; the arrow keys move through the rows.
  EXPECT_EQ(GetFocus(), List().handle);
  PressKey(VK_SPACE);
  EXPECT_EQ(List().GetRowCheck(99993), 1);
  PressKey(VK_DOWN);
  EXPECT_EQ(List().SelectedRow(), 99994);
  PressKey(VK_SPACE);
  EXPECT_EQ(List().GetRowCheck(99994), 1);
  PressKey(VK_SPACE);
  EXPECT_EQ(List().GetRowCheck(99994), 0);
  PressKey(VK_END);
  EXPECT_EQ(List().SelectedRow(), kManyRows - 1);
  PressKey(VK_HOME);
  EXPECT_EQ(List().SelectedRow(), 0);
}

TEST_F(ResultListAtScale, AHeaderClickSortsByItsColumnASecondReversesAndANewSearchStartsInArrivalOrder) {
  List().SetCellText(10, ResultColumn::Size, "2 GB");
  List().SetCellText(20, ResultColumn::Size, "900 KB");
  List().SetCellText(30, ResultColumn::Size, "\xCE\xB4\xD6\xAA");  // 未知: no size
  List().SetCellText(40, ResultColumn::Size, "1.2 MB");
  List().SetCellText(50, ResultColumn::Size, "0.5 TB");
  const int last = kManyRows - 1;
  ClickHeader(ResultColumn::Size);
  EXPECT_EQ(SortArrows(), "--u-");
  EXPECT_EQ(NumbersAt({0, 1, 2, 3, last - 2, last - 1, last}), "21 41 1 2 11 51 31 ");
  ClickHeader(ResultColumn::Size);
  EXPECT_EQ(SortArrows(), "--d-");
  EXPECT_EQ(NumbersAt({0, 1, 2, 3, 4, last - 1, last}), "31 51 11 1 2 41 21 ");

  // A check set on a sorted row is that row's.
  List().SetRowCheck(1, 1);
  EXPECT_EQ(List().GetRowCheck(1), 1);
  EXPECT_EQ(List().rows.Check(50), 1);

  ClickHeader(ResultColumn::FileName);
  EXPECT_EQ(SortArrows(), "-u--");
  EXPECT_EQ(NumbersAt({2, 10, 11, last}), "3 11 12 100000 ");  // "file 2" before "file 10"
  EXPECT_EQ(List().GetCellText(2, ResultColumn::FileName), FileNameOf(2));

  ClickHeader(ResultColumn::Number);
  EXPECT_EQ(SortArrows(), "u---");
  EXPECT_EQ(NumbersAt({0, 2, last}), "1 3 100000 ");
  ClickHeader(ResultColumn::Number);
  EXPECT_EQ(SortArrows(), "d---");
  EXPECT_EQ(NumbersAt({0, last}), "100000 1 ");

  List().DeleteAllRows();
  EXPECT_EQ(SortArrows(), "----");
  RowBatch few;
  for (int row = 0; row < 3; ++row) few.Add({DecimalText(row + 1), FileNameOf(2 - row), "1 GB", AddressOf(row)});
  ASSERT_TRUE(List().AppendRows(few));
  EXPECT_EQ(NumbersAt({0, 1, 2}), "1 2 3 ");
}

TEST_F(ResultListAtScale, TwoRowsOfLongIdenticalNamesSortInArrivalOrderEitherWayWhileTheWindowAnswers) {
  const Text longName(200000, 'x');
  List().SetCellText(30, ResultColumn::FileName, longName);
  List().SetCellText(7, ResultColumn::FileName, longName);
  ResponsivenessProbe probe(List().handle);
  ASSERT_TRUE(PumpUntil([&] { return probe.answers > 0; }));
  ClickHeader(ResultColumn::FileName);
  EXPECT_EQ(NumbersAt({kManyRows - 2, kManyRows - 1}), "8 31 ");  // "x..." after every "file ..."
  ClickHeader(ResultColumn::FileName);
  EXPECT_EQ(NumbersAt({0, 1, 2}), "8 31 100000 ");
  EXPECT_LT(probe.longestSilence, 500u);
}

TEST_F(ResultListAtScale, AHeaderClickKeepsTheUsersRowSelectedAndFocusedAndInSight) {
  const RECT row = ShownRow(10);
  LeftClickAt({row.left + 120, (row.top + row.bottom) / 2});
  ClickHeader(ResultColumn::Number);
  ClickHeader(ResultColumn::Number);  // the last to arrive on top: the user's row far down
  const int moved = kManyRows - 1 - 10;
  EXPECT_EQ(List().SelectedRow(), moved);
  EXPECT_EQ(Send(LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), moved);
  const int top = int(Send(LVM_GETTOPINDEX, 0, 0));
  EXPECT_LE(top, moved);
  EXPECT_LT(moved, top + int(Send(LVM_GETCOUNTPERPAGE, 0, 0)));
  // Ctrl+C copies the row chosen.
  PutMarkerOnClipboard();
  SendInputs({KeyInput(VK_CONTROL, 0), KeyInput('C', 0), KeyInput('C', KEYEVENTF_KEYUP),
              KeyInput(VK_CONTROL, KEYEVENTF_KEYUP)});
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(10));
}

TEST_F(ResultListAtScale, AClickInASortedListActsOnTheRowDrawnUnderItWhileRowsLandAbove) {
  ClickHeader(ResultColumn::FileName);
  int arrived = kManyRows;
  // Rows that land between the top row and the row clicked, stored just
  // before the click comes: not yet merged when it is handled.
  const auto rowsLandAbove = [&] {
    RowBatch batch;
    for (int row = 0; row < 3; ++row, ++arrived)
      batch.Add({DecimalText(arrived + 1), "file 2 a.iso", "1 GB", AddressOf(arrived)});
    ASSERT_TRUE(List().AppendRows(batch));
  };
  const auto post = [](UINT down, UINT up, WPARAM buttons, POINT at) {
    PostMessageW(List().handle, down, buttons, MAKELPARAM(at.x, at.y));
    PostMessageW(List().handle, up, 0, MAKELPARAM(at.x, at.y));
  };
  const auto rowsLanded = [] { return PumpUntil([] { return !List().rowCountThrottle.Pending(); }, 2000); };

  // On a row's check box: that row is checked.
  const POINT box = CheckBoxOf(10);
  const Text boxed = List().GetCellText(10, ResultColumn::Number);
  MoveCursorOnList(box);
  rowsLandAbove();
  post(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, box);
  ASSERT_TRUE(rowsLanded());
  EXPECT_EQ(List().GetCellText(13, ResultColumn::Number), boxed);
  EXPECT_EQ(List().GetRowCheck(13), 1);
  EXPECT_EQ(List().GetRowCheck(10), 0);

  // On a row's text: that row is selected.
  const RECT line = ShownRow(12);
  const POINT text = {line.left + 120, (line.top + line.bottom) / 2};
  const Text clicked = List().GetCellText(12, ResultColumn::Number);
  MoveCursorOnList(text);
  rowsLandAbove();
  post(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, text);
  ASSERT_TRUE(rowsLanded());
  ASSERT_GE(List().SelectedRow(), 0);
  EXPECT_EQ(List().GetCellText(List().SelectedRow(), ResultColumn::Number), clicked);

  // A right click: the menu is that row's, 复制下载地址 copies its address.
  const RECT other = ShownRow(14);
  const POINT point = {other.left + 60, (other.top + other.bottom) / 2};
  const Text address = List().GetCellText(14, ResultColumn::Address);
  MoveCursorOnList(point);
  PutMarkerOnClipboard();
  ASSERT_TRUE(MenuDriver::OpenAndPress({VK_DOWN, VK_RETURN}, [&] {
    rowsLandAbove();
    post(WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, point);
  }));
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), address);

  // Below the last row of a short list: no row, though rows land there.
  List().DeleteAllRows();
  RowBatch few;
  for (int row = 0; row < 3; ++row) few.Add({DecimalText(row + 1), FileNameOf(row), "1 GB", AddressOf(row)});
  ASSERT_TRUE(List().AppendRows(few));
  ClickHeader(ResultColumn::FileName);
  const RECT lastRow = ShownRow(2);
  const POINT below = {lastRow.left + 120, lastRow.bottom + (lastRow.bottom - lastRow.top) * 3 / 2};
  MoveCursorOnList(below);
  arrived = 3;
  rowsLandAbove();
  post(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, below);
  ASSERT_TRUE(rowsLanded());
  EXPECT_EQ(List().RowCount(), 6);
  EXPECT_EQ(List().SelectedRow(), -1);
}

TEST_F(ResultListAtScale, AnOrderRefusedRoomKeepsTheOrderShownSaysSoAndRefusesRowsAsAFullStore) {
  ClickHeader(ResultColumn::Number);
  ClickHeader(ResultColumn::Number);  // sorted: the last to arrive on top
  RowBatch more;
  more.Add({DecimalText(kManyRows + 1), "a.iso", "1 GB", AddressOf(kManyRows)});
  bool appended = true;
  std::vector<Notice> notices;
  {
    NoticeCloser closer;
    LimitRoomForTests(512 * 1024);  // less than a sort of 100,000 rows, or their merge, takes
    ClickHeader(ResultColumn::FileName);
    appended = List().AppendRows(more);
    LimitRoomForTests(0);
    notices = closer.notices;
  }
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].text, L"\u5185\u5B58\u4E0D\u8DB3, \u65E0\u6CD5\u6392\u5E8F!");  // 内存不足, 无法排序!
  EXPECT_EQ(SortArrows(), "d---");
  EXPECT_EQ(NumbersAt({0, 1, kManyRows - 1}), "100000 99999 1 ");
  // The rows that the order could not be given room for are refused as a
  // full store refuses them (a run then ends as at a full list): every row
  // listed stays.
  EXPECT_FALSE(appended);
  EXPECT_EQ(List().RowCount(), kManyRows);
  // Given the room, they land in their place.
  ASSERT_TRUE(List().AppendRows(more));
  List().ShowPendingRows();
  EXPECT_EQ(NumbersAt({0, 1}), "100001 100000 ");
}

TEST_F(ResultListAtScale, RowsArrivingInASortedListLandInOrderAndTheTopAndSelectedRowsStay) {
  ClickHeader(ResultColumn::FileName);
  const RECT first = ShownRow(0);
  Send(LVM_SCROLL, 0, LPARAM(50000 * (first.bottom - first.top)));
  PumpMessagesFor(50);
  const int top = int(Send(LVM_GETTOPINDEX, 0, 0));
  ASSERT_GT(top, 40000);
  const Text topNumber = List().GetCellText(top, ResultColumn::Number);
  // The user's row stays the user's: 复制下载地址 must copy the row chosen.
  Select(top + 5);
  const Text selectedNumber = List().GetCellText(top + 5, ResultColumn::Number);

  RowBatch more;
  more.Add({"100001", "zzz.iso", "1 GB", AddressOf(kManyRows)});
  more.Add({"100002", "file 3 a.iso", "1 GB", AddressOf(kManyRows + 1)});
  more.Add({"100003", "FILE 03 a.iso", "1 GB", AddressOf(kManyRows + 2)});
  ASSERT_TRUE(List().AppendRows(more));
  PumpMessagesFor(60);
  EXPECT_EQ(Send(LVM_GETITEMCOUNT, 0, 0), kManyRows + 3);
  EXPECT_EQ(NumbersAt({3, 4, 5, kManyRows + 2}), "100002 100003 4 100001 ");  // ties: after the rows before them
  EXPECT_EQ(int(Send(LVM_GETTOPINDEX, 0, 0)), top + 2);
  EXPECT_EQ(List().GetCellText(top + 2, ResultColumn::Number), topNumber);
  ASSERT_GE(List().SelectedRow(), 0);
  EXPECT_EQ(List().GetCellText(List().SelectedRow(), ResultColumn::Number), selectedNumber);
  EXPECT_EQ(int(Send(LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)), List().SelectedRow());
}

TEST_F(ResultListAtScale, RowsInSightOfASortedListShowSoonAndItsCountFollowsRowsBelow) {
  ClickHeader(ResultColumn::FileName);
  RowBatch top, below;
  top.Add({"100001", "a.iso", "1 GB", AddressOf(kManyRows)});
  below.Add({"100002", "zzz.iso", "1 GB", AddressOf(kManyRows + 1)});
  ASSERT_TRUE(List().AppendRows(top));
  PumpMessagesFor(150);  // 45 ms by the timer, with slack for a loaded machine
  EXPECT_EQ(List().GetCellText(0, ResultColumn::FileName), "a.iso");  // merged by the timer: nothing asked the view
  ASSERT_TRUE(List().AppendRows(below));
  // Rows below the view wait for the count; a reader gets every row at once, merged.
  EXPECT_EQ(Send(LVM_GETITEMCOUNT, 0, 0), kManyRows + 2);
  EXPECT_EQ(List().GetCellText(kManyRows + 1, ResultColumn::FileName), "zzz.iso");
  ASSERT_TRUE(List().AppendRows(below));
  PumpMessagesFor(800);  // redrawn rows wait 250 ms, the count of rows below 500
  EXPECT_EQ(List().GetCellText(kManyRows + 2, ResultColumn::FileName), "zzz.iso");
  EXPECT_FALSE(List().rowCountThrottle.Pending());
  EXPECT_EQ(List().rowCountShown, kManyRows + 3);
  EXPECT_EQ(List().AppendRow(), 0);  // its position: an empty name sorts first
}

TEST_F(ResultListAtScale, RowsAddedBelowTheViewAreThereForWhoeverTurnsToTheList) {
  RowBatch more;
  for (int row = kManyRows; row < kManyRows + 100; ++row)
    more.Add({DecimalText(row + 1), FileNameOf(row), "1 GB", AddressOf(row)});
  ASSERT_TRUE(List().AppendRows(more));
  PumpMessagesFor(60);
  EXPECT_TRUE(List().rowCountThrottle.Pending());  // out of sight: only the scroll bar lags, for a moment
  EXPECT_EQ(Send(LVM_GETITEMCOUNT, 0, 0), kManyRows + 100);  // a reader gets every row
  EXPECT_FALSE(List().rowCountThrottle.Pending());

  ASSERT_TRUE(List().AppendRows(more));
  SetFocus(List().handle);
  PressKey(VK_END);  // the user's End reaches the last row added
  EXPECT_EQ(List().SelectedRow(), kManyRows + 199);
  ASSERT_TRUE(List().AppendRows(more));
  PumpMessagesFor(600);
  EXPECT_FALSE(List().rowCountThrottle.Pending());  // and the scroll bar follows within half a second
}

TEST_F(ResultListAtScale, OnceTheRunStopsRowsBelowTheViewFollowAsSoonAsRowsInSight) {
  RowBatch more;
  for (int row = kManyRows; row < kManyRows + 100; ++row)
    more.Add({DecimalText(row + 1), FileNameOf(row), "1 GB", AddressOf(row)});
  ASSERT_TRUE(List().AppendRows(more));
  PumpMessagesFor(60);
  ASSERT_TRUE(List().rowCountThrottle.Pending());  // below the view: the long delay
  List().ShowPendingRowsSoon();
  PumpMessagesFor(150);  // 45 ms by the timer, with slack for a loaded machine
  EXPECT_FALSE(List().rowCountThrottle.Pending());
  EXPECT_EQ(List().rowCountShown, kManyRows + 100);
}

TEST_F(ResultListAtScale, RowsInSightShowWithin50Milliseconds) {
  List().DeleteAllRows();
  RowBatch few;
  for (int row = 0; row < 5; ++row) few.Add({DecimalText(row + 1), FileNameOf(row), "1 GB", AddressOf(row)});
  ASSERT_TRUE(List().AppendRows(few));
  EXPECT_TRUE(List().rowCountThrottle.Pending());
  PumpMessagesFor(150);  // 45 ms by the timer, with slack for a loaded machine; rows below wait 500
  EXPECT_FALSE(List().rowCountThrottle.Pending());
}

TEST_F(ResultListAtScale, AnotherProcessReadsCellsStatesSelectionAndBoundsAndSetsACheck) {
  List().SetRowCheck(1, 1);
  Select(4);
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const Text output = Utf16ToText(folder) + "seedsearch-read-list-" + DecimalText(GetCurrentProcessId()) + ".txt";
  char scenario[MAX_PATH + 64];
  std::snprintf(scenario, sizeof scenario, "read-list=%lx,%s", static_cast<unsigned long>(
                    reinterpret_cast<UINT_PTR>(List().handle)), output.c_str());
  HANDLE child = StartChildScenario(scenario);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(PumpUntilSignalled(child, 30000));
  EXPECT_EQ(WaitForExitCode(child), 0u);
  CloseHandle(child);

  std::ifstream file(output);
  std::stringstream read;
  read << file.rdbuf();
  file.close();
  DeleteFileA(output.c_str());
  std::string expectedText;
  for (wchar_t unit : TextToUtf16(FileNameOf(1))) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", unsigned(unit));
    expectedText += hex;
  }
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds));
  char expected[512];
  std::snprintf(expected, sizeof expected, "count=%d\ntext=%s\nstate=%X\nselected=4\nrect=%ld,%ld,%ld,%ld\n", kManyRows,
                expectedText.c_str(), unsigned(INDEXTOSTATEIMAGEMASK(2)), bounds.left, bounds.top, bounds.right,
                bounds.bottom);
  EXPECT_EQ(read.str(), expected);
  EXPECT_EQ(List().GetRowCheck(2), 1);  // its LVM_SETITEMSTATE checked row 2
}

// Two clicks on 序号's header (up, then down: the list turned round) from a
// timer, which fires while the list is being saved.
bool turnedWhileSaving = false;
void CALLBACK TurnTheListRound(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  turnedWhileSaving = app.exporting;
  for (int click = 0; click < 2; ++click) (void)List().SortByColumn(ColumnIndex(ResultColumn::Number));
}

TEST_F(ResultListAtScale, AHeaderClickWhileTheListIsSavedLeavesTheFileInTheOrderTheSaveBeganWith) {
  ExportFolder folder;
  NoticeCloser closer;
  turnedWhileSaving = false;
  SetTimer(nullptr, 0, USER_TIMER_MINIMUM, TurnTheListRound);
  ASSERT_TRUE(ExportList(app, folder.path + L"rows.csv", ExportFormat::Csv));
  ASSERT_TRUE(turnedWhileSaving) << "the save ended before the clicks came";
  std::istringstream lines(FileBytes(folder.path + L"rows.csv"));
  std::string line;
  std::getline(lines, line);  // the header
  int number = 0;
  while (std::getline(lines, line) && line.substr(0, line.find(',')) == DecimalText(number + 1)) ++number;
  EXPECT_EQ(number, kManyRows) << "the rows from " << number + 1 << " on are not in the order the save began with";
}

}  // namespace
