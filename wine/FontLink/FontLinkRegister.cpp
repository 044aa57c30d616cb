// A Windows system links the dialog fonts (DEFAULT_GUI_FONT is one) to a
// Chinese font whatever its language, so the program's captions show under a
// Western code page too. A fresh Wine prefix has no such link; this adds one
// to the installed WenQuanYi Micro Hei, in this prefix only.
#include <windows.h>

#include <initializer_list>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 1;
  // REG_MULTI_SZ: "file,face", then the closing empty string.
  static const wchar_t link[] = L"wqy-microhei.ttc,WenQuanYi Micro Hei\0";
  int failures = 0;
  for (const wchar_t* face : {L"Tahoma", L"MS Shell Dlg", L"Microsoft Sans Serif"})
    if (RegSetValueExW(key, face, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(link), sizeof link) != ERROR_SUCCESS)
      ++failures;
  RegCloseKey(key);
  return failures;
}
