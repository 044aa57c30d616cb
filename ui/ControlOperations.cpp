#include "ui/ControlOperations.h"

#include <string>

#include "text/CodePage936.h"
#include "ui/UiThread.h"

namespace {

Text WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  std::wstring buffer(size_t(length) + 1, L'\0');
  int copied = GetWindowTextW(window, &buffer[0], length + 1);
  return Utf16ToText(buffer.c_str(), copied);
}

}  // namespace

void Window::SetTitle(TextView text) {
  Text copy(text);
  auto operation = [&] {
    title = copy;
    SetWindowTextW(handle, TextToUtf16(copy).c_str());
  };
  (void)RunOnUiThread(handle, operation);
}

Text EditBox::GetText() const {
  Text text;
  auto operation = [&] { text = WindowText(handle); };
  (void)RunOnUiThread(handle, operation);
  return text;
}

Text Button::GetCaption() const {
  Text text;
  auto operation = [&] { text = caption; };
  (void)RunOnUiThread(handle, operation);
  return text;
}

void Button::SetCaption(TextView text) {
  Text copy(text);
  auto operation = [&] {
    // Under Wine a button repaints at once on every new text, even the same one.
    if (copy == caption) return;
    caption = copy;
    SetWindowTextW(handle, TextToUtf16(copy).c_str());
  };
  (void)RunOnUiThread(handle, operation);
}

bool CheckBox::IsChecked() const {
  bool answer = false;
  auto operation = [&] { answer = SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED; };
  (void)RunOnUiThread(handle, operation);
  return answer;
}

void Timer::SetInterval(int milliseconds) {
  int wanted = milliseconds < 0 ? 0 : milliseconds;
  auto operation = [&] {
    if (wanted == interval) return;  // a running timer keeps its phase
    interval = wanted;
    if (running) KillTimer(owner, kIdentifier);
    running = wanted > 0 && SetTimer(owner, kIdentifier, UINT(wanted), nullptr) != 0;
  };
  (void)RunOnUiThread(owner, operation);
}

void StatusBar::SetPartText(int index, TextView text) {
  if (index < 0 || index >= kPartCount) return;
  Text copy(text);
  auto operation = [&] {
    StatusBarPart& part = parts[index];
    part.text = copy;
    SendMessageW(handle, SB_SETTEXTW, WPARAM(index | part.drawingStyle),
                 reinterpret_cast<LPARAM>(TextToUtf16(copy).c_str()));
  };
  (void)RunOnUiThread(handle, operation);
}

void StatusBar::SetPartTip(int index, TextView text) {
  if (index < 0 || index >= kPartCount) return;
  Text copy(text);
  auto operation = [&] {
    parts[index].tipText = copy;
    SendMessageW(handle, SB_SETTIPTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(TextToUtf16(copy).c_str()));
  };
  (void)RunOnUiThread(handle, operation);
}
