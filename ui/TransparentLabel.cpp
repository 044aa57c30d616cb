#include "ui/TransparentLabel.h"

#include <string>

namespace {

// The font set by WM_SETFONT, kept in the window's extra bytes; the stock GUI
// font until one is set.
HFONT LabelFont(HWND window) {
  HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrW(window, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

LRESULT CALLBACK LabelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // nothing of its own beneath the text
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC context = BeginPaint(window, &paint);
      int length = GetWindowTextLengthW(window);
      if (length > 0) {
        std::wstring text(size_t(length) + 1, L'\0');
        length = GetWindowTextW(window, &text[0], length + 1);
        RECT client;
        GetClientRect(window, &client);
        SetBkMode(context, TRANSPARENT);
        SetTextColor(context, RGB(0, 0, 0));
        HGDIOBJ previous = SelectObject(context, LabelFont(window));
        DrawTextW(context, text.c_str(), length, &client, DT_LEFT | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
        SelectObject(context, previous);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SETFONT:
      SetWindowLongPtrW(window, 0, LONG_PTR(wParam));
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(LabelFont(window));
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

const wchar_t* TransparentLabelClass() {
  static const wchar_t* const name = [] {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = LabelProcedure;
    windowClass.cbWndExtra = sizeof(HFONT);
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"SeedSearchTransLabel";
    RegisterClassW(&windowClass);
    return windowClass.lpszClassName;
  }();
  return name;
}
