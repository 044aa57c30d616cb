#include "ui/ClipboardApi.h"

#include <atomic>

namespace {

const ClipboardApi kSystemClipboard = {OpenClipboard, EmptyClipboard, SetClipboardData, CloseClipboard};
std::atomic<const ClipboardApi*> clipboardForTests{nullptr};

}  // namespace

const ClipboardApi& ClipboardFunctions() {
  const ClipboardApi* api = clipboardForTests.load();
  return api ? *api : kSystemClipboard;
}

void UseClipboardForTests(const ClipboardApi* api) { clipboardForTests.store(api); }
