#include "ui/PopupMenu.h"

#include "text/CodePage936.h"
#include "ui/UiThread.h"
#include "system/Holders.h"

void Menu::PopUpAtCursor(HWND owner) const {
  POINT cursor = {};
  GetCursorPos(&cursor);
  PopUpAt(owner, {cursor.x + 3, cursor.y + 3});
}

void Menu::PopUpAt(HWND owner, POINT screen) const {
  auto operation = [&] {
    if (items.empty()) return;
    MenuHandle popup(CreatePopupMenu());
    if (!popup) return;
    for (const MenuItem& item : items) {
      UINT flags = MF_STRING | (item.grayed ? MF_GRAYED : 0) | (item.checked ? MF_CHECKED : 0);
      AppendMenuW(popup.Get(), flags, UINT_PTR(item.id), TextToUtf16(item.text).c_str());
    }
    TrackPopupMenu(popup.Get(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
  };
  (void)RunOnUiThread(owner, operation);
}
