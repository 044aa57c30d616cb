#include "ui/SaveFileDialog.h"

#include <commdlg.h>
#include <shobjidl.h>

#include "system/Holders.h"

namespace {

// A string the dialog allocated, freed with CoTaskMemFree.
class TaskMemoryText {
 public:
  TaskMemoryText() = default;
  TaskMemoryText(const TaskMemoryText&) = delete;
  TaskMemoryText& operator=(const TaskMemoryText&) = delete;
  ~TaskMemoryText() { CoTaskMemFree(text); }
  wchar_t** Receive() {
    CoTaskMemFree(text);
    text = nullptr;
    return &text;
  }
  const wchar_t* Get() const { return text ? text : L""; }

 private:
  wchar_t* text = nullptr;
};

std::wstring WithExtension(const std::wstring& name, const SaveFileType& type) { return name + L"." + type.extension; }

enum class Asked { Answered, Cancelled, NoDialog };

Asked AskTheItemDialog(const SaveFileQuestion& question, SaveFileAnswer& answer) {
  ComReference<IFileSaveDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                              reinterpret_cast<void**>(dialog.Receive()))))
    return Asked::NoDialog;
  std::vector<COMDLG_FILTERSPEC> filters;
  for (const SaveFileType& type : question.types) filters.push_back({type.title.c_str(), type.pattern.c_str()});
  const SaveFileType& first = question.types[question.type];
  FILEOPENDIALOGOPTIONS options = 0;
  if (FAILED(dialog->GetOptions(&options)) ||
      FAILED(dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST)) ||
      FAILED(dialog->SetFileTypes(UINT(filters.size()), filters.data())) ||
      FAILED(dialog->SetFileTypeIndex(UINT(question.type + 1))) ||
      // Given a default extension, the dialog changes it, and the name's, with the type picked.
      FAILED(dialog->SetDefaultExtension(first.extension.c_str())) ||
      FAILED(dialog->SetFileName(WithExtension(question.name, first).c_str())))
    return Asked::NoDialog;
  const HRESULT shown = dialog->Show(question.owner);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return Asked::Cancelled;
  if (FAILED(shown)) return Asked::NoDialog;
  ComReference<IShellItem> item;
  TaskMemoryText path;
  UINT index = 0;
  if (FAILED(dialog->GetResult(item.Receive())) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.Receive())) ||
      FAILED(dialog->GetFileTypeIndex(&index)) || index < 1 || index > question.types.size())
    return Asked::Cancelled;
  answer.path = path.Get();
  answer.type = index - 1;
  return Asked::Answered;
}

bool AskTheOlderDialog(const SaveFileQuestion& question, SaveFileAnswer& answer) {
  // Pairs of title and pattern, each ending in a zero, and one more zero.
  std::wstring filter;
  for (const SaveFileType& type : question.types) filter += type.title + L'\0' + type.pattern + L'\0';
  filter += L'\0';
  const SaveFileType& first = question.types[question.type];
  std::wstring path = WithExtension(question.name, first);
  path.resize(32768, L'\0');  // the longest path the system takes
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = question.owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = DWORD(question.type + 1);
  dialog.lpstrFile = &path[0];
  dialog.nMaxFile = DWORD(path.size());
  dialog.lpstrDefExt = first.extension.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!GetSaveFileNameW(&dialog)) return false;
  if (dialog.nFilterIndex < 1 || dialog.nFilterIndex > question.types.size()) return false;
  answer.path = path.c_str();
  answer.type = dialog.nFilterIndex - 1;
  return true;
}

}  // namespace

bool AskForSavePath(const SaveFileQuestion& question, SaveFileAnswer& answer) {
  if (question.types.empty() || question.type >= question.types.size()) return false;
  switch (AskTheItemDialog(question, answer)) {
    case Asked::Answered: return true;
    case Asked::Cancelled: return false;
    case Asked::NoDialog: break;
  }
  return AskTheOlderDialog(question, answer);
}
