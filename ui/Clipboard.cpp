#include "ui/Clipboard.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "system/Room.h"
#include "text/CodePage936.h"
#include "ui/ClipboardApi.h"

namespace {

// A movable, zero-initialised block of global memory, freed unless the
// clipboard took it.
class GlobalBlock {
 public:
  // Null when refused (or past a test's limit).
  explicit GlobalBlock(size_t bytes)
      : block(RoomAllowed(bytes) ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes) : nullptr) {}
  ~GlobalBlock() {
    if (block) GlobalFree(block);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL Get() const { return block; }
  // Ownership passes to the clipboard only when it accepts the block; false
  // when it did not.
  [[nodiscard]] bool PlaceAs(UINT format) {
    if (!block || !ClipboardFunctions().setData(format, block)) return false;
    block = nullptr;
    return true;
  }

 private:
  HGLOBAL block;
};

// The block's memory while it is locked.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL block) : block(block), memory(block ? GlobalLock(block) : nullptr) {}
  ~LockedBlock() {
    if (memory) GlobalUnlock(block);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  void* Memory() const { return memory; }

 private:
  HGLOBAL block;
  void* memory;
};

void CopyText(char* target, size_t size, void* context) { std::memcpy(target, context, size); }

}  // namespace

ClipboardWrite PutTextOnClipboard(HWND owner, size_t size, ClipboardTextWriter write, void* context) {
  if (size >= size_t(INT_MAX) / sizeof(wchar_t)) return ClipboardWrite::NoRoom;
  GlobalBlock text(size + 1);
  int length = 0, wideLength = 0;
  {
    const LockedBlock memory(text.Get());
    auto* characters = static_cast<char*>(memory.Memory());
    if (!characters) return ClipboardWrite::NoRoom;
    if (size) write(characters, size, context);
    length = int(strnlen(characters, size));
    wideLength = Utf16Length(TextView(characters, size_t(length)));
  }
  GlobalBlock wide((size_t(wideLength) + 1) * sizeof(wchar_t));
  {
    const LockedBlock textMemory(text.Get()), wideMemory(wide.Get());
    if (!textMemory.Memory() || !wideMemory.Memory()) return ClipboardWrite::NoRoom;
    (void)TextToUtf16(TextView(static_cast<const char*>(textMemory.Memory()), size_t(length)),
                      static_cast<wchar_t*>(wideMemory.Memory()), wideLength + 1);
  }
  // Opened with no owner, emptying would leave the clipboard to no window,
  // and the system may then refuse what is placed.
  const ClipboardApi& clipboard = ClipboardFunctions();
  if (!clipboard.open(owner)) return ClipboardWrite::NotOpened;
  if (!clipboard.empty()) {
    clipboard.close();
    return ClipboardWrite::NotEmptied;
  }
  const bool placedText = text.PlaceAs(CF_TEXT);
  const bool placedWide = wide.PlaceAs(CF_UNICODETEXT);
  clipboard.close();
  return placedText || placedWide ? ClipboardWrite::Placed : ClipboardWrite::NotPlaced;
}

ClipboardWrite PutTextOnClipboard(HWND owner, TextView text) {
  return PutTextOnClipboard(owner, text.size(), CopyText, const_cast<char*>(text.data()));
}
