#include "ui/WindowLayout.h"

#include <commctrl.h>

#include <utility>

#include "system/SystemFunction.h"
#include "text/CodePage936.h"
#include "ui/MainWindowRecord.h"
#include "ui/ResultColumns.h"
#include "ui/TransparentLabel.h"

namespace {

constexpr DWORD kCheckBoxStyle = BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER | WS_TABSTOP;
constexpr DWORD kButtonStyle = BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER | WS_TABSTOP;

}  // namespace

// The six grouped controls are siblings of 分组框 placed over it (at the
// group's position plus their own), so that their notifications come straight
// to the main window.
const ControlLayout kControlLayout[10] = {
    {ControlId::分组框, ControlKind::GroupBox, ControlId::MainWindow, 80, 8, 549, 45, "", BS_GROUPBOX | BS_LEFT, WS_EX_TRANSPARENT},
    {ControlId::透明标签1, ControlKind::TransLabel, ControlId::分组框, 13, 17, 64, 16, "关键字：", 0, WS_EX_TRANSPARENT},
    {ControlId::编辑框1, ControlKind::EditBox, ControlId::分组框, 64, 14, 184, 22, "", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP,
     WS_EX_STATICEDGE},
    {ControlId::循环执行, ControlKind::CheckBox, ControlId::分组框, 257, 20, 73, 14, "按照选中", kCheckBoxStyle, 0},
    {ControlId::精确框, ControlKind::CheckBox, ControlId::分组框, 334, 19, 58, 16, "精确性", kCheckBoxStyle, 0},
    {ControlId::搜索_按钮, ControlKind::Button, ControlId::分组框, 399, 13, 67, 25, "开始", kButtonStyle, 0},
    {ControlId::停止_按钮, ControlKind::Button, ControlId::分组框, 473, 13, 67, 25, "停止", kButtonStyle, 0},
    {ControlId::全选框, ControlKind::CheckBox, ControlId::MainWindow, 79, 63, 14, 14, "", kCheckBoxStyle, 0},
    {ControlId::超级列表框1, ControlKind::ListView, ControlId::MainWindow, 6, 58, 658, 373, "",
     LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA | WS_TABSTOP | WS_CLIPSIBLINGS, WS_EX_STATICEDGE},
    // Docked at the bottom by the control itself; the rectangle is the design one.
    {ControlId::状态条, ControlKind::StatusBar, ControlId::MainWindow, 0, 427, 671, 20, "", CCS_BOTTOM | SBARS_TOOLTIPS, 0},
};

const StatusPartLayout kStatusPartLayout[4] = {
    {120, "engine=1"},
    {120, "version=1.0"},
    {150, "It took 0 when"},
    {300, "together 0 results"},
};

const ControlId kTabOrder[7] = {
    ControlId::编辑框1, ControlId::搜索_按钮, ControlId::超级列表框1, ControlId::停止_按钮,
    ControlId::精确框,  ControlId::全选框,    ControlId::循环执行,
};

namespace {

const wchar_t* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::TransLabel: return TransparentLabelClass();
    case ControlKind::EditBox: return L"EDIT";
    case ControlKind::ListView: return WC_LISTVIEWW;
    case ControlKind::StatusBar: return STATUSCLASSNAMEW;
    default: return L"BUTTON";
  }
}

const ControlLayout& LayoutOf(ControlId id) {
  for (const ControlLayout& layout : kControlLayout)
    if (layout.id == id) return layout;
  return kControlLayout[0];
}

HWND* WindowSlot(MainWindow& target, ControlId id) {
  switch (id) {
    case ControlId::分组框: return &target.分组框;
    case ControlId::透明标签1: return &target.透明标签1;
    case ControlId::编辑框1: return &target.编辑框1.handle;
    case ControlId::循环执行: return &target.循环执行.handle;
    case ControlId::精确框: return &target.精确框.handle;
    case ControlId::搜索_按钮: return &target.搜索_按钮.handle;
    case ControlId::停止_按钮: return &target.停止_按钮.handle;
    case ControlId::全选框: return &target.全选框.handle;
    case ControlId::超级列表框1: return &target.超级列表框1.handle;
    case ControlId::状态条: return &target.状态条.handle;
    default: return nullptr;
  }
}

LOGFONTW TextFontLayout(int dpi) {
  LOGFONTW font = {};
  font.lfHeight = ScaleToDpi(-12, dpi);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  font.lfOutPrecision = OUT_STROKE_PRECIS;
  font.lfClipPrecision = CLIP_STROKE_PRECIS;
  font.lfQuality = DRAFT_QUALITY;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  std::wstring face = TextToUtf16("微软雅黑");
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return font;
}

OptionalSystemFunction<UINT(WINAPI*)(HWND)> getDpiForWindow{"user32.dll", "GetDpiForWindow"};

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return kLayoutDpi;
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kLayoutDpi;
}

HFONT StockGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// The stock GUI font never follows a window to another DPI. It is taken as
// made for the system's DPI (the screen's LOGPIXELSY), as Wine makes it: its
// height there follows the prefix's LogPixels, -11 at 96 and -17 at 144, so
// scaling it from 96 would scale it twice. At any other DPI a font of its face
// is made with the height scaled from the system's DPI; empty where the stock
// font serves as it is (or the scaled one could not be made).
GdiObject ScaledGuiFont(int dpi) {
  const int madeFor = ScreenDpi();
  if (dpi == madeFor) return GdiObject();
  LOGFONTW font = {};
  if (GetObjectW(StockGuiFont(), sizeof font, &font) != int(sizeof font)) return GdiObject();
  font.lfHeight = MulDiv(font.lfHeight, dpi, madeFor);
  font.lfWidth = MulDiv(font.lfWidth, dpi, madeFor);
  return GdiObject(CreateFontIndirectW(&font));
}

// The control's rectangle in the main window's client area at `dpi`. The
// edges are scaled rather than the sizes, so that controls that do not
// overlap at 96 DPI do not overlap at any other.
RECT ControlRect(const ControlLayout& layout, int dpi) {
  int left = layout.left, top = layout.top;
  if (layout.parent != ControlId::MainWindow) {
    const ControlLayout& parent = LayoutOf(layout.parent);
    left += parent.left;
    top += parent.top;
  }
  return RECT{ScaleToDpi(left, dpi), ScaleToDpi(top, dpi), ScaleToDpi(left + layout.width, dpi),
              ScaleToDpi(top + layout.height, dpi)};
}

// The edit box grows when the font's text does not fit between its edges.
int EditBoxHeight(HWND edit, HFONT font, int height) {
  HDC context = GetDC(edit);
  HGDIOBJ previous = SelectObject(context, font);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(context, &metrics);
  SelectObject(context, previous);
  ReleaseDC(edit, context);
  int needed = metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE);
  return needed > height ? needed : height;
}

void SetUpEditBox(HWND edit) {
  SendMessageW(edit, EM_LIMITTEXT, 0, 0);
  SendMessageW(edit, EM_SETSEL, 0, 0);
}

// The columns' widths are the layout's (LayOutForDpi).
void SetUpListView(ListView& target, HWND list) {
  target.Attach(list);
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_SUBITEMIMAGES |
                         LVS_EX_INFOTIP;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, WPARAM(~0u), LPARAM(extended));
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, LPARAM(RGB(0, 0, 0)));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, LPARAM(RGB(255, 255, 255)));
  SendMessageW(list, LVM_SETBKCOLOR, 0, LPARAM(RGB(255, 255, 255)));
  for (const ResultColumnRecord& record : kResultColumns) {
    std::wstring title = TextToUtf16(record.title);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = record.width;
    column.pszText = &title[0];
    SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(ColumnIndex(record.id)), reinterpret_cast<LPARAM>(&column));
  }
}

void SetStatusParts(StatusBar& bar, int dpi) {
  int edges[StatusBar::kPartCount];
  int edge = 0;
  for (int index = 0; index < StatusBar::kPartCount; ++index) {
    bar.parts[index].width = ScaleToDpi(kStatusPartLayout[index].width, dpi);
    edge += bar.parts[index].width;
    edges[index] = edge;
  }
  SendMessageW(bar.handle, SB_SETPARTS, WPARAM(StatusBar::kPartCount), reinterpret_cast<LPARAM>(edges));
}

// The parts' texts are set once; their widths again by every layout.
void SetUpStatusBar(StatusBar& bar) {
  SendMessageW(bar.handle, SB_SETBKCOLOR, 0, LPARAM(GetSysColor(COLOR_BTNFACE)));
  for (int index = 0; index < StatusBar::kPartCount; ++index)
    bar.parts[index] = StatusBarPart{kStatusPartLayout[index].width, 0, kStatusPartLayout[index].text, ""};
  SetStatusParts(bar, kLayoutDpi);
  for (int index = 0; index < StatusBar::kPartCount; ++index) {
    const StatusBarPart& part = bar.parts[index];
    SendMessageW(bar.handle, SB_SETTEXTW, WPARAM(index | part.drawingStyle),
                 reinterpret_cast<LPARAM>(TextToUtf16(part.text).c_str()));
    SendMessageW(bar.handle, SB_SETTIPTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(L""));
  }
}

// 全选框 lies over the list's header, whose height follows its font and
// does not scale with the layout: where the box would reach below the header,
// over the first row, it moves up to the header's bottom edge.
void KeepOnTheHeader(HWND box, HWND list, HWND window) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT headerRect, boxRect;
  if (!header || !GetWindowRect(header, &headerRect) || !GetWindowRect(box, &boxRect)) return;
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&headerRect), 2);
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&boxRect), 2);
  int rise = boxRect.bottom - headerRect.bottom;
  if (rise > boxRect.top - headerRect.top) rise = boxRect.top - headerRect.top;
  if (rise <= 0) return;
  SetWindowPos(box, nullptr, boxRect.left, boxRect.top - rise, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int WindowDpi(HWND window) {
  if (auto dpiForWindow = getDpiForWindow.Address()) {
    UINT dpi = dpiForWindow(window);
    if (dpi > 0) return int(dpi);
  }
  return ScreenDpi();
}

bool CreateControls(MainWindow& target) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const ControlLayout& layout : kControlLayout) {
    RECT rect = ControlRect(layout, kLayoutDpi);
    HWND control = CreateWindowExW(layout.extendedStyle, ClassOf(layout.kind), TextToUtf16(layout.text).c_str(),
                                   WS_CHILD | WS_VISIBLE | layout.style, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, target.window.handle,
                                   reinterpret_cast<HMENU>(INT_PTR(layout.id)), instance, nullptr);
    if (!control) return false;
    *WindowSlot(target, layout.id) = control;
    switch (layout.kind) {
      case ControlKind::EditBox: SetUpEditBox(control); break;
      case ControlKind::ListView: SetUpListView(target.超级列表框1, control); break;
      case ControlKind::StatusBar: SetUpStatusBar(target.状态条); break;
      case ControlKind::CheckBox: SendMessageW(control, BM_SETCHECK, BST_UNCHECKED, 0); break;
      default: break;
    }
  }
  target.搜索_按钮.caption = LayoutOf(ControlId::搜索_按钮).text;
  target.停止_按钮.caption = LayoutOf(ControlId::停止_按钮).text;
  target.记时间 = Timer{target.window.handle, 0, false};
  target.右键选项 = Menu{"右键选项",
                        {{ControlId::复制下载地址, "复制下载地址"},
                         {ControlId::下载种子, "下载种子"},
                         {ControlId::导出列表, "导出列表..."}}};

  // 全选框 lies over the list's header and must stay above it; the group's
  // frame lies beneath the six controls placed over it.
  SetWindowPos(target.全选框.handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(target.分组框, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

void LayOutForDpi(MainWindow& target, int dpi, const RECT& outer) {
  HWND window = target.window.handle;
  SetWindowPos(window, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The new fonts are handed to the controls before the old ones are released.
  LOGFONTW textLayout = TextFontLayout(dpi);
  GdiObject textFont(CreateFontIndirectW(&textLayout));
  GdiObject scaledGuiFont = ScaledGuiFont(dpi);
  HFONT text = static_cast<HFONT>(textFont.Get());
  HFONT gui = scaledGuiFont ? static_cast<HFONT>(scaledGuiFont.Get()) : StockGuiFont();
  SendMessageW(window, WM_SETFONT, WPARAM(gui), FALSE);

  for (const ControlLayout& layout : kControlLayout) {
    HWND control = *WindowSlot(target, layout.id);
    // The status bar keeps its own font and docks itself at the bottom.
    if (layout.kind == ControlKind::StatusBar) {
      SetStatusParts(target.状态条, dpi);
      SendMessageW(control, WM_SIZE, 0, 0);
      continue;
    }
    const bool textKind = layout.kind == ControlKind::EditBox || layout.kind == ControlKind::ListView;
    SendMessageW(control, WM_SETFONT, WPARAM(textKind ? text : gui), FALSE);
    RECT rect = ControlRect(layout, dpi);
    int height = rect.bottom - rect.top;
    if (layout.kind == ControlKind::EditBox) height = EditBoxHeight(control, text, height);
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  HWND list = target.超级列表框1.handle;
  for (const ResultColumnRecord& record : kResultColumns)
    SendMessageW(list, LVM_SETCOLUMNWIDTH, WPARAM(ColumnIndex(record.id)),
                 MAKELPARAM(ScaleToDpi(record.width, dpi), 0));
  KeepOnTheHeader(target.全选框.handle, list, window);

  target.textFont = std::move(textFont);
  target.guiFont = std::move(scaledGuiFont);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
