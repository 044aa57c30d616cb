// The live main window under Wine on the 1024x768 Xvfb screen.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/ui/WindowTestSupport.h"
#include "tests/ui/TestWindow.h"
#include "ui/MainWindow.h"

namespace {

bool visibleWhenCreated = true;
bool controlsExistedWhenCreated = false;

void RecordCreation(void*) {
  visibleWhenCreated = IsWindowVisible(mainWindow.window.handle);
  controlsExistedWhenCreated = mainWindow.超级列表框1.handle && mainWindow.状态条.handle && mainWindow.编辑框1.handle;
}

class MainWindowLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateMainWindow(mainWindow, {{ControlId::MainWindow, ControlEvent::Created, RecordCreation}}));
    window = mainWindow.window.handle;
    PumpMessagesFor(50);
  }
  void TearDown() override { DestroyMainWindow(mainWindow); }
  HWND Control(ControlId id) const { return GetDlgItem(window, int(id)); }
  HWND window = nullptr;
};

struct ExpectedControl {
  ControlId id;
  const wchar_t* className;
  RECT rect;  // in the main window's client area
  const wchar_t* text;
  DWORD styleBits;  // all of these set
  bool tabStop;
};

TEST_F(MainWindowLayout, IsCentredWithItsFixedFrameAndClass) {
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 173);
  EXPECT_EQ(outer.top, 138);
  EXPECT_EQ(outer.right, 850);
  EXPECT_EQ(outer.bottom, 630);

  DWORD style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN),
            DWORD(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
  EXPECT_TRUE(style & WS_VISIBLE);
  // The system adds the window edge to every captioned window; nothing else.
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~DWORD(WS_EX_WINDOWEDGE), 0u);
  EXPECT_EQ(GetMenu(window), nullptr);

  EXPECT_EQ(GetClassLongW(window, GCL_STYLE), DWORD(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), 0);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)), LoadCursor(nullptr, IDC_ARROW));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(WindowTextOf(window), L"");  // the title is the created handler's to set
}

TEST_F(MainWindowLayout, CreatedIsRaisedWhileHiddenWithEveryControl) {
  EXPECT_FALSE(visibleWhenCreated);
  EXPECT_TRUE(controlsExistedWhenCreated);
}

TEST_F(MainWindowLayout, HasOne68By68IconOf32BitsForBothSizes) {
  for (WPARAM size : {WPARAM(ICON_BIG), WPARAM(ICON_SMALL)}) {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, size, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 68);
    EXPECT_EQ(bitmap.bmHeight, 68);
    EXPECT_EQ(bitmap.bmBitsPixel, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
}

TEST_F(MainWindowLayout, EveryControlHasItsClassPlaceTextAndStyles) {
  const DWORD checkBox = BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER;
  const DWORD button = BS_MULTILINE | BS_CENTER | BS_VCENTER;
  const ExpectedControl expected[] = {
      {ControlId::分组框, L"Button", {80, 8, 629, 53}, L"", BS_GROUPBOX | BS_LEFT, false},
      {ControlId::透明标签1, L"SeedSearchTransLabel", {93, 25, 157, 41}, L"\u5173\u952E\u5B57\uFF1A", 0, false},  // 关键字：
      {ControlId::编辑框1, L"Edit", {144, 22, 328, 44}, L"", ES_AUTOHSCROLL, true},
      {ControlId::循环执行, L"Button", {337, 28, 410, 42}, L"\u6309\u7167\u9009\u4E2D", checkBox, true},  // 按照选中
      {ControlId::精确框, L"Button", {414, 27, 472, 43}, L"\u7CBE\u786E\u6027", checkBox, true},  // 精确性
      {ControlId::搜索_按钮, L"Button", {479, 21, 546, 46}, L"\u5F00\u59CB", button, true},  // 开始
      {ControlId::停止_按钮, L"Button", {553, 21, 620, 46}, L"\u505C\u6B62", button, true},  // 停止
      {ControlId::全选框, L"Button", {79, 63, 93, 77}, L"", checkBox, true},
      {ControlId::超级列表框1, L"SysListView32", {6, 58, 664, 431}, L"", LVS_REPORT | LVS_SINGLESEL, true},
  };
  for (const ExpectedControl& control : expected) {
    SCOPED_TRACE(int(control.id));
    HWND handle = Control(control.id);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetParent(handle), window);
    EXPECT_EQ(0, _wcsicmp(ClassNameOf(handle).c_str(), control.className)) << ClassNameOf(handle).c_str();
    RECT rect = RectInParent(handle);
    EXPECT_EQ(rect.left, control.rect.left);
    EXPECT_EQ(rect.top, control.rect.top);
    EXPECT_EQ(rect.right, control.rect.right);
    EXPECT_EQ(rect.bottom, control.rect.bottom);
    EXPECT_EQ(WindowTextOf(handle), control.text);
    DWORD style = GetWindowLongW(handle, GWL_STYLE);
    EXPECT_EQ(style & control.styleBits, control.styleBits);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_TRUE(IsWindowEnabled(handle));
    EXPECT_EQ((style & WS_TABSTOP) != 0, control.tabStop);
  }
  // Ordinary push buttons, never the default button.
  for (ControlId id : {ControlId::搜索_按钮, ControlId::停止_按钮})
    EXPECT_EQ(GetWindowLongW(Control(id), GWL_STYLE) & BS_TYPEMASK, DWORD(BS_PUSHBUTTON));
  for (ControlId id : {ControlId::循环执行, ControlId::精确框, ControlId::全选框})
    EXPECT_EQ(SendMessageW(Control(id), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(GetWindowLongW(Control(ControlId::编辑框1), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  EXPECT_FALSE(GetWindowLongW(Control(ControlId::编辑框1), GWL_STYLE) & (ES_PASSWORD | ES_NOHIDESEL));
  EXPECT_TRUE(GetWindowLongW(Control(ControlId::超级列表框1), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  EXPECT_FALSE(GetWindowLongW(Control(ControlId::超级列表框1), GWL_STYLE) &
               (LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_SORTASCENDING));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(Control(ControlId::搜索_按钮), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(MainWindowLayout, TheLabelIsTransparentOfItsOwnClass) {
  HWND label = Control(ControlId::透明标签1);
  EXPECT_TRUE(GetWindowLongW(label, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(GetClassLongW(label, GCL_STYLE), DWORD(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(GetClassLongPtrW(label, GCLP_HBRBACKGROUND), 0);
}

TEST_F(MainWindowLayout, EditAndListUseTheChineseTextFont) {
  for (ControlId id : {ControlId::编辑框1, ControlId::超级列表框1}) {
    SCOPED_TRACE(int(id));
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(Control(id), WM_GETFONT, 0, 0));
    LOGFONTW layout = {};
    ASSERT_EQ(GetObjectW(font, sizeof layout, &layout), int(sizeof layout));
    EXPECT_STREQ(layout.lfFaceName, L"\u5FAE\u8F6F\u96C5\u9ED1");  // 微软雅黑
    EXPECT_EQ(layout.lfHeight, -12);
    EXPECT_EQ(layout.lfWeight, 400);
    EXPECT_EQ(layout.lfCharSet, 134);
    EXPECT_FALSE(layout.lfItalic || layout.lfUnderline || layout.lfStrikeOut);
    EXPECT_EQ(layout.lfOutPrecision, OUT_STROKE_PRECIS);
    EXPECT_EQ(layout.lfClipPrecision, CLIP_STROKE_PRECIS);
    EXPECT_EQ(layout.lfQuality, DRAFT_QUALITY);
    EXPECT_EQ(layout.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
  }
  EXPECT_EQ(SendMessageW(Control(ControlId::编辑框1), EM_GETLIMITTEXT, 0, 0) >= 0x7FFE, true);
}

TEST_F(MainWindowLayout, ListHasItsExtendedStylesColoursAndColumns) {
  HWND list = Control(ControlId::超级列表框1);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
            LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP);
  EXPECT_EQ(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
  const struct {
    ResultColumn id;
    const wchar_t* title;
    int width;
  } columns[] = {
      {ResultColumn::Number, L"\u5E8F\u53F7", 60},                   // 序号
      {ResultColumn::FileName, L"      \u6587\u4EF6\u540D", 450},  // six spaces, 文件名
      {ResultColumn::Size, L"\u6587\u4EF6\u5927\u5C0F", 120},      // 文件大小
      {ResultColumn::Address, L"", 0},
  };
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), kResultColumnCount);
  for (const auto& expected : columns) {
    wchar_t title[64] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = title;
    column.cchTextMax = 64;
    ASSERT_TRUE(
        SendMessageW(list, LVM_GETCOLUMNW, WPARAM(ColumnIndex(expected.id)), reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(title, expected.title);
    EXPECT_EQ(column.cx, expected.width);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
}

TEST_F(MainWindowLayout, StatusBarIsDockedWithItsFourParts) {
  HWND bar = Control(ControlId::状态条);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(0, _wcsicmp(ClassNameOf(bar).c_str(), L"msctls_statusbar32"));
  DWORD style = GetWindowLongW(bar, GWL_STYLE);
  EXPECT_TRUE(style & SBARS_TOOLTIPS);
  EXPECT_FALSE(style & SBARS_SIZEGRIP);
  EXPECT_EQ(style & CCS_BOTTOM, DWORD(CCS_BOTTOM));
  RECT client, rect = RectInParent(bar);
  GetClientRect(window, &client);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.right, client.right);
  EXPECT_EQ(rect.bottom, client.bottom);

  int edges[8] = {};
  ASSERT_EQ(SendMessageW(bar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 4);
  EXPECT_EQ(edges[0], 120);
  EXPECT_EQ(edges[1], 240);
  EXPECT_EQ(edges[2], 390);
  EXPECT_EQ(edges[3], 690);
  const wchar_t* texts[] = {L"engine=1", L"version=1.0", L"It took 0 when", L"together 0 results"};
  for (int index = 0; index < 4; ++index) {
    wchar_t text[64] = {};
    LRESULT answer = SendMessageW(bar, SB_GETTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, texts[index]);
    EXPECT_EQ(HIWORD(answer), 0);  // drawing style 0: the ordinary sunken border
  }
}

TEST_F(MainWindowLayout, SelectAllBoxLiesAboveTheListHeaderAndTheGroupBeneathItsControls) {
  auto depth = [&](ControlId id) {
    int position = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++position)
      if (child == Control(id)) return position;
    return -1;
  };
  EXPECT_LT(depth(ControlId::全选框), depth(ControlId::超级列表框1));
  for (ControlId id : {ControlId::透明标签1, ControlId::编辑框1, ControlId::循环执行, ControlId::精确框,
                       ControlId::搜索_按钮, ControlId::停止_按钮})
    EXPECT_LT(depth(id), depth(ControlId::分组框));
  EXPECT_TRUE(GetWindowLongW(Control(ControlId::超级列表框1), GWL_STYLE) & WS_CLIPSIBLINGS);

  // Inside the header cell of column 1, and what lies at its centre is the box itself.
  HWND list = Control(ControlId::超级列表框1);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT cell = {};
  SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
  MapWindowPoints(header, window, reinterpret_cast<POINT*>(&cell), 2);
  RECT box = RectInParent(Control(ControlId::全选框));
  EXPECT_GE(box.left, cell.left);
  EXPECT_LE(box.right, cell.right);
  EXPECT_GE(box.top, cell.top - 1);
  POINT centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  EXPECT_EQ(ChildWindowFromPointEx(window, centre, CWP_SKIPINVISIBLE), Control(ControlId::全选框));
}

TEST_F(MainWindowLayout, TabMovesThroughItsOrderBothWaysAndWraps) {
  auto press = [](bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG message = {GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(HandleWindowKey(message));
  };
  const ControlId order[] = {ControlId::编辑框1, ControlId::搜索_按钮, ControlId::超级列表框1, ControlId::停止_按钮,
                             ControlId::精确框,  ControlId::全选框,    ControlId::循环执行};
  SetForegroundWindow(window);
  SetFocus(Control(ControlId::编辑框1));
  ASSERT_EQ(GetFocus(), Control(ControlId::编辑框1));
  for (int step = 1; step <= 7; ++step) {
    press(false);
    EXPECT_EQ(GetFocus(), Control(order[step % 7])) << step;
  }
  for (int step = 6; step >= 0; --step) {
    press(true);
    EXPECT_EQ(GetFocus(), Control(order[step])) << step;
  }
  press(false);
  // A disabled control is passed over.
  EnableWindow(Control(ControlId::超级列表框1), FALSE);
  press(false);
  EXPECT_EQ(GetFocus(), Control(ControlId::停止_按钮));
  EnableWindow(Control(ControlId::超级列表框1), TRUE);
  press(false);
  MSG other = {GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_FALSE(HandleWindowKey(other));
}

}  // namespace
