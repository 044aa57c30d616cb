#include "app/Notice.h"

#include <windows.h>

#include "text/CodePage936.h"

void ShowNotice(TextView text) {
  MessageBoxW(nullptr, TextToUtf16(text).c_str(), TextToUtf16("提示").c_str(), MB_OK | MB_TASKMODAL);
}
