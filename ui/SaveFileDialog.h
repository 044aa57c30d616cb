#pragma once
// The system's save dialog: the common item dialog where the system has it,
// else the older GetSaveFileNameW. UI thread only; COM is initialised there.
#include <windows.h>

#include <string>
#include <vector>

struct SaveFileType {
  std::wstring title;      // "CSV 文件 (*.csv)"
  std::wstring pattern;    // "*.csv"
  std::wstring extension;  // "csv", without its dot
};

struct SaveFileQuestion {
  HWND owner = nullptr;
  std::wstring name;  // the name offered, without an extension: the type's is added
  std::vector<SaveFileType> types;
  size_t type = 0;  // the type chosen at first
};

struct SaveFileAnswer {
  std::wstring path;
  size_t type = 0;  // an index into the question's types
};

// Shows the dialog modal to the owner and returns when it has closed: false
// when the user cancelled (or no dialog could be shown). The item dialog's
// extension follows the type the user picks; an existing file is chosen only
// once the user has agreed to replace it.
[[nodiscard]] bool AskForSavePath(const SaveFileQuestion& question, SaveFileAnswer& answer);
