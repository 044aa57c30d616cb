// The main window at the DPI of the Wine prefix it runs in: 96 in the
// ordinary suite, 144 in ui_layout_at_144_dpi, which starts a prefix of its
// own at that DPI and names it in SEEDSEARCH_EXPECT_DPI. The window is also
// sent WM_DPICHANGED, as the system sends it when the window reaches a monitor
// of another DPI.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/TestWindow.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/WindowLayout.h"

namespace {

int PrefixDpi() {
  const char* named = std::getenv("SEEDSEARCH_EXPECT_DPI");
  return named && *named ? std::atoi(named) : 96;
}

// A length of the 96-DPI design at `dpi`, to the nearest pixel.
int At(int length, int dpi) { return int(std::lround(length * dpi / 96.0)); }

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The controls as they are designed at 96 DPI, in the main window's client area.
struct DesignedControl {
  ControlId id;
  RECT rect;
};
const DesignedControl kDesigned[] = {
    {ControlId::分组框, {80, 8, 629, 53}},       {ControlId::透明标签1, {93, 25, 157, 41}},
    {ControlId::编辑框1, {144, 22, 328, 44}},    {ControlId::循环执行, {337, 28, 410, 42}},
    {ControlId::精确框, {414, 27, 472, 43}},     {ControlId::搜索_按钮, {479, 21, 546, 46}},
    {ControlId::停止_按钮, {553, 21, 620, 46}},  {ControlId::全选框, {79, 63, 93, 77}},
    {ControlId::超级列表框1, {6, 58, 664, 431}},
};
const ControlId kGrouped[] = {ControlId::透明标签1, ControlId::编辑框1,   ControlId::循环执行,
                              ControlId::精确框,    ControlId::搜索_按钮, ControlId::停止_按钮};

std::string Describe(const RECT& rect) {
  return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" + std::to_string(rect.right) +
         "," + std::to_string(rect.bottom) + ")";
}

bool Overlap(const RECT& first, const RECT& second) {
  RECT common;
  return IntersectRect(&common, &first, &second) != 0;
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The extent of `text` (the control's own text when null) in the control's own font.
SIZE TextExtentIn(HWND control, const wchar_t* text = nullptr) {
  std::wstring shown = text ? text : WindowTextOf(control);
  HDC context = GetDC(control);
  HGDIOBJ previous = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE extent = {};
  GetTextExtentPoint32W(context, shown.c_str(), int(shown.size()), &extent);
  SelectObject(context, previous);
  ReleaseDC(control, context);
  return extent;
}

class DpiLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ScreenDpi(), PrefixDpi()) << "the prefix does not have the DPI the test was told to expect";
    ASSERT_TRUE(CreateMainWindow(mainWindow, {}));
    window = mainWindow.window.handle;
    PumpMessagesFor(50);
  }
  void TearDown() override { DestroyMainWindow(mainWindow); }
  HWND Control(ControlId id) const { return GetDlgItem(window, int(id)); }

  RECT Outer() const {
    RECT outer;
    GetWindowRect(window, &outer);
    return outer;
  }
  RECT CentredAt(int dpi) const {
    int width = At(677, dpi), height = At(492, dpi);
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{left, top, left + width, top + height};
  }
  // What the system suggests on a move from `from` to `dpi`: the client area
  // scaled and the frame as it is (Wine draws every frame at the prefix's
  // DPI), centred on the screen.
  RECT SuggestedAt(int dpi, int from) const {
    RECT outer = Outer(), client;
    GetClientRect(window, &client);
    int width = int(std::lround(double(client.right) * dpi / from)) + (outer.right - outer.left - client.right);
    int height = int(std::lround(double(client.bottom) * dpi / from)) + (outer.bottom - outer.top - client.bottom);
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{left, top, left + width, top + height};
  }
  void MoveToDpi(int dpi, RECT suggested) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    PumpMessagesFor(20);
  }
  std::vector<RECT> EveryControlRect() const {
    std::vector<RECT> rects;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      rects.push_back(RectInParent(child));
    return rects;
  }

  void ExpectLaidOutFor(int dpi) const;
  void ExpectRectanglesScaled(int dpi) const;
  void ExpectFontsColumnsAndPartsScaled(int dpi) const;
  void ExpectNoControlsOverlapThatShouldNot() const;
  void ExpectNoTextClipped(int dpi) const;

  HWND window = nullptr;
};

void DpiLayout::ExpectLaidOutFor(int dpi) const {
  SCOPED_TRACE("laid out for " + std::to_string(dpi) + " DPI");
  ExpectRectanglesScaled(dpi);
  ExpectFontsColumnsAndPartsScaled(dpi);
  ExpectNoControlsOverlapThatShouldNot();
  ExpectNoTextClipped(dpi);
}

void DpiLayout::ExpectRectanglesScaled(int dpi) const {
  for (const DesignedControl& control : kDesigned) {
    SCOPED_TRACE(int(control.id));
    RECT actual = RectInParent(Control(control.id));
    RECT wanted = {At(control.rect.left, dpi), At(control.rect.top, dpi), At(control.rect.right, dpi),
                   At(control.rect.bottom, dpi)};
    // The header's height follows its font, not the layout: 全选框 rises as
    // far as it must to end at the header's bottom edge.
    if (control.id == ControlId::全选框) {
      HWND header = reinterpret_cast<HWND>(SendMessageW(Control(ControlId::超级列表框1), LVM_GETHEADER, 0, 0));
      RECT headerRect = RectInParent(header);
      MapWindowPoints(Control(ControlId::超级列表框1), window, reinterpret_cast<POINT*>(&headerRect), 2);
      int rise = std::max(0L, wanted.bottom - headerRect.bottom);
      wanted.top -= rise;
      wanted.bottom -= rise;
    }
    EXPECT_NEAR(actual.left, wanted.left, 1) << Describe(actual) << " for " << Describe(wanted);
    EXPECT_NEAR(actual.top, wanted.top, 1) << Describe(actual) << " for " << Describe(wanted);
    EXPECT_NEAR(actual.right, wanted.right, 1) << Describe(actual) << " for " << Describe(wanted);
    EXPECT_NEAR(actual.bottom, wanted.bottom, 1) << Describe(actual) << " for " << Describe(wanted);
  }
  // The status bar docks itself at the bottom, across the whole client area.
  RECT client, bar = RectInParent(Control(ControlId::状态条));
  GetClientRect(window, &client);
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, client.right);
  EXPECT_EQ(bar.bottom, client.bottom);
}

void DpiLayout::ExpectFontsColumnsAndPartsScaled(int dpi) const {
  LOGFONTW stock = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
  // The stock font is made for the prefix's DPI (its height there depends on
  // the locale: -11 at 96 DPI in the C locale, -12 under zh_CN).
  for (HWND shown : {window, Control(ControlId::透明标签1), Control(ControlId::循环执行), Control(ControlId::精确框),
                     Control(ControlId::搜索_按钮), Control(ControlId::停止_按钮), Control(ControlId::全选框)}) {
    SCOPED_TRACE(GetDlgCtrlID(shown));
    LOGFONTW font = FontOf(shown);
    EXPECT_NEAR(font.lfHeight, double(stock.lfHeight) * dpi / PrefixDpi(), 1.0);
    EXPECT_STREQ(font.lfFaceName, stock.lfFaceName);
    EXPECT_EQ(font.lfWeight, stock.lfWeight);
  }
  for (ControlId id : {ControlId::编辑框1, ControlId::超级列表框1}) {
    SCOPED_TRACE(int(id));
    LOGFONTW font = FontOf(Control(id));
    EXPECT_EQ(font.lfHeight, At(-12, dpi));
    EXPECT_STREQ(font.lfFaceName, L"\u5FAE\u8F6F\u96C5\u9ED1");  // 微软雅黑
  }

  HWND list = Control(ControlId::超级列表框1);
  const int columns[] = {60, 450, 120, 0};
  for (int index = 0; index < 4; ++index)
    EXPECT_NEAR(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(index), 0), At(columns[index], dpi), 1) << index;

  HWND bar = Control(ControlId::状态条);
  const int edges[] = {120, 240, 390, 690};
  int shownEdges[4] = {};
  ASSERT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(shownEdges)), 4);
  for (int index = 0; index < 4; ++index) {
    EXPECT_NEAR(shownEdges[index], At(edges[index], dpi), 2) << index;  // each width rounded on its own
    EXPECT_NEAR(mainWindow.状态条.parts[index].width, At(edges[index] - (index ? edges[index - 1] : 0), dpi), 1);
  }
}

void DpiLayout::ExpectNoControlsOverlapThatShouldNot() const {
  RECT client;
  GetClientRect(window, &client);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    EXPECT_TRUE(Contains(client, RectInParent(child))) << GetDlgCtrlID(child) << " " << Describe(RectInParent(child));

  RECT group = RectInParent(Control(ControlId::分组框));
  for (ControlId id : kGrouped) {
    RECT inside = RectInParent(Control(id));
    EXPECT_TRUE(Contains(group, inside)) << int(id) << " " << Describe(inside) << " not in " << Describe(group);
    for (ControlId other : kGrouped) {
      if (other <= id) continue;
      // The label's rectangle runs under the edit box by design (13 + 64 > 64
      // in the group at 96 DPI); its text must end before the box begins.
      if (id == ControlId::透明标签1 && other == ControlId::编辑框1) continue;
      EXPECT_FALSE(Overlap(inside, RectInParent(Control(other)))) << int(id) << " and " << int(other);
    }
  }
  HWND label = Control(ControlId::透明标签1);
  EXPECT_LE(RectInParent(label).left + TextExtentIn(label).cx, RectInParent(Control(ControlId::编辑框1)).left);

  // The list lies between the group and the status bar.
  RECT list = RectInParent(Control(ControlId::超级列表框1));
  RECT bar = RectInParent(Control(ControlId::状态条));
  EXPECT_FALSE(Overlap(list, group)) << Describe(list) << " " << Describe(group);
  EXPECT_FALSE(Overlap(list, bar)) << Describe(list) << " " << Describe(bar);
  EXPECT_FALSE(Overlap(group, bar));

  // 全选框 lies over the header cell of column 1 only.
  HWND header = reinterpret_cast<HWND>(SendMessageW(Control(ControlId::超级列表框1), LVM_GETHEADER, 0, 0));
  RECT cell = {};
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&cell)));
  MapWindowPoints(header, window, reinterpret_cast<POINT*>(&cell), 2);
  HWND boxWindow = Control(ControlId::全选框);
  RECT box = RectInParent(boxWindow);
  EXPECT_GE(box.left, cell.left) << Describe(box) << " in " << Describe(cell);
  EXPECT_LE(box.right, cell.right) << Describe(box) << " in " << Describe(cell);
  EXPECT_GE(box.top, cell.top - 1) << Describe(box) << " in " << Describe(cell);
  EXPECT_LE(box.bottom, cell.bottom + 1) << Describe(box) << " in " << Describe(cell);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == boxWindow || child == Control(ControlId::超级列表框1)) continue;
    EXPECT_FALSE(Overlap(box, RectInParent(child))) << GetDlgCtrlID(child);
  }
  POINT centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  EXPECT_EQ(ChildWindowFromPointEx(window, centre, CWP_SKIPINVISIBLE), boxWindow);
}

void DpiLayout::ExpectNoTextClipped(int dpi) const {
  // A check box's text follows its mark and a gap, 13 and 4 pixels at 96 DPI;
  // a push button's lies inside its two edges.
  const struct {
    ControlId id;
    int besideText;
  } shown[] = {{ControlId::透明标签1, 0},       {ControlId::循环执行, At(17, dpi)}, {ControlId::精确框, At(17, dpi)},
               {ControlId::搜索_按钮, At(4, dpi)}, {ControlId::停止_按钮, At(4, dpi)}};
  for (const auto& control : shown) {
    SCOPED_TRACE(int(control.id));
    HWND handle = Control(control.id);
    RECT client;
    GetClientRect(handle, &client);
    SIZE extent = TextExtentIn(handle);
    EXPECT_GT(extent.cx, 0);
    EXPECT_LE(extent.cx + control.besideText, client.right) << "text " << extent.cx;
    EXPECT_LE(extent.cy, client.bottom) << "text " << extent.cy;
  }
  // Each status part's text within the part, as far as the window shows it.
  HWND bar = Control(ControlId::状态条);
  RECT client;
  GetClientRect(bar, &client);
  for (int index = 0; index < 4; ++index) {
    RECT part = {};
    SendMessageW(bar, SB_GETRECT, WPARAM(index), reinterpret_cast<LPARAM>(&part));
    wchar_t text[64] = {};
    SendMessageW(bar, SB_GETTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(text));
    SIZE extent = TextExtentIn(bar, text);
    EXPECT_LE(extent.cx, std::min(part.right, client.right) - part.left) << index;
    EXPECT_LE(extent.cy, part.bottom - part.top) << index;
  }
}

TEST_F(DpiLayout, WindowIsTheDesignScaledToThePrefixDpiAndCentred) {
  const int dpi = PrefixDpi();
  EXPECT_EQ(WindowDpi(window), dpi);
  RECT outer = Outer(), wanted = CentredAt(dpi);
  EXPECT_EQ(outer.right - outer.left, At(677, dpi));
  EXPECT_EQ(outer.bottom - outer.top, At(492, dpi));
  EXPECT_NEAR(outer.left, wanted.left, 1);
  EXPECT_NEAR(outer.top, wanted.top, 1);
  ExpectLaidOutFor(dpi);
}

TEST_F(DpiLayout, DpiChangeTakesTheSuggestedRectangleAndLaysOutAgainBothWays) {
  const int dpi = PrefixDpi(), other = dpi == 96 ? 144 : 96;
  const RECT original = Outer();
  const std::vector<RECT> before = EveryControlRect();

  RECT suggested = SuggestedAt(other, dpi);
  MoveToDpi(other, suggested);
  RECT outer = Outer();
  EXPECT_TRUE(EqualRect(&outer, &suggested)) << Describe(outer) << " for " << Describe(suggested);
  ExpectLaidOutFor(other);

  MoveToDpi(dpi, original);
  outer = Outer();
  EXPECT_TRUE(EqualRect(&outer, &original)) << Describe(outer);
  ExpectLaidOutFor(dpi);
  // Back where it started, to the pixel.
  std::vector<RECT> after = EveryControlRect();
  ASSERT_EQ(after.size(), before.size());
  for (size_t index = 0; index < after.size(); ++index)
    EXPECT_TRUE(EqualRect(&after[index], &before[index])) << index << " " << Describe(after[index]);
}

TEST_F(DpiLayout, FontsOfAnotherDpiLiveWhileInUseAndGoWithTheWindow) {
  const int dpi = PrefixDpi(), other = dpi == 96 ? 144 : 96;
  HWND button = Control(ControlId::搜索_按钮);
  auto fontOf = [](HWND control) { return reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)); };
  // At the DPI the stock font is made for, it serves as it is.
  EXPECT_EQ(fontOf(button), GetStockObject(DEFAULT_GUI_FONT));
  HGDIOBJ firstTextFont = fontOf(Control(ControlId::编辑框1));

  MoveToDpi(other, SuggestedAt(other, dpi));
  HGDIOBJ scaled = fontOf(button);
  EXPECT_NE(scaled, GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(GetObjectType(scaled), DWORD(OBJ_FONT));
  EXPECT_EQ(fontOf(window), scaled);
  EXPECT_EQ(fontOf(Control(ControlId::精确框)), scaled);
  EXPECT_EQ(GetObjectType(firstTextFont), 0u) << "the text font of the first DPI was kept";

  MoveToDpi(dpi, SuggestedAt(dpi, other));
  EXPECT_EQ(fontOf(button), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(GetObjectType(scaled), 0u) << "the scaled font outlived its use";

  MoveToDpi(other, SuggestedAt(other, dpi));
  scaled = fontOf(button);
  HGDIOBJ textFont = fontOf(Control(ControlId::编辑框1));
  ASSERT_EQ(GetObjectType(scaled), DWORD(OBJ_FONT));
  DestroyMainWindow(mainWindow);
  EXPECT_EQ(GetObjectType(scaled), 0u);
  EXPECT_EQ(GetObjectType(textFont), 0u);
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), DWORD(OBJ_FONT));
}

}  // namespace
