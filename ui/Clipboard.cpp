#include "ui/Clipboard.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "text/CodePage936.h"

namespace {

// A movable, zero-initialised block holding `size` bytes copied from `bytes`
// (the zero already at its end stays); null when refused.
HGLOBAL CopyToGlobalBlock(const void* bytes, size_t size, size_t terminatorSize) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + terminatorSize);
  if (!block) return nullptr;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return nullptr;
  }
  if (size) std::memcpy(target, bytes, size);
  GlobalUnlock(block);
  return block;
}

// Ownership of the block passes to the clipboard only when it is accepted.
void PlaceBlock(UINT format, HGLOBAL block) {
  if (block && !SetClipboardData(format, block)) GlobalFree(block);
}

}  // namespace

void PutTextOnClipboard(TextView text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  PlaceBlock(CF_TEXT, CopyToGlobalBlock(text.data(), text.size(), 1));
  std::wstring wide = TextToUtf16(text);
  PlaceBlock(CF_UNICODETEXT, CopyToGlobalBlock(wide.data(), wide.size() * sizeof(wchar_t), sizeof(wchar_t)));
  CloseClipboard();
}
