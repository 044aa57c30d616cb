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

// `name` with the extension of one of the types, if it has one, replaced
// by `type`'s; any other name as the user typed it.
std::wstring WithExtensionOf(const std::wstring& name, const std::vector<SaveFileType>& types,
                             const SaveFileType& type) {
  const size_t dot = name.rfind(L'.');
  if (dot == std::wstring::npos) return name;
  for (const SaveFileType& known : types)
    if (lstrcmpiW(name.c_str() + dot + 1, known.extension.c_str()) == 0)
      return WithExtension(name.substr(0, dot), type);
  return name;
}

// Keeps the default extension, and the extension of the name in the box, in
// step with the type the user picks. Lives on the stack of the dialog's
// Show: its count only keeps COM's rules.
class TypeFollower : public IFileDialogEvents {
 public:
  explicit TypeFollower(const std::vector<SaveFileType>& types) : types(types) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id != IID_IUnknown && id != IID_IFileDialogEvents) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IFileDialogEvents*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }

  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog* dialog) override {
    UINT index = 0;  // from 1
    if (FAILED(dialog->GetFileTypeIndex(&index)) || index < 1 || index > types.size()) return S_OK;
    const SaveFileType& type = types[index - 1];
    (void)dialog->SetDefaultExtension(type.extension.c_str());
    TaskMemoryText name;
    if (FAILED(dialog->GetFileName(name.Receive()))) return S_OK;
    const std::wstring followed = WithExtensionOf(name.Get(), types, type);
    if (followed != name.Get()) (void)dialog->SetFileName(followed.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
    return E_NOTIMPL;
  }

 private:
  const std::vector<SaveFileType>& types;
  ULONG references = 1;
};

// Stops the events when the dialog's Show is over, on every path.
class EventsAdvised {
 public:
  EventsAdvised(IFileDialog* dialog, IFileDialogEvents* events) : dialog(dialog) {
    if (FAILED(dialog->Advise(events, &cookie))) this->dialog = nullptr;
  }
  EventsAdvised(const EventsAdvised&) = delete;
  EventsAdvised& operator=(const EventsAdvised&) = delete;
  ~EventsAdvised() {
    if (dialog) dialog->Unadvise(cookie);
  }

 private:
  IFileDialog* dialog;
  DWORD cookie = 0;
};

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
      FAILED(dialog->SetDefaultExtension(first.extension.c_str())) ||
      FAILED(dialog->SetFileName(WithExtension(question.name, first).c_str())))
    return Asked::NoDialog;
  TypeFollower follower(question.types);
  EventsAdvised advised(dialog.Get(), &follower);
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
