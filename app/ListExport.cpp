#include "app/ListExport.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/MagnetLink.h"
#include "app/Notice.h"
#include "system/Holders.h"
#include "system/ProcessPendingMessages.h"
#include "text/CodePage936.h"
#include "ui/ResultColumns.h"

namespace {

// The bytes waiting for the file: however many rows, an export holds this much.
constexpr size_t kBufferBytes = 64 * 1024;
// The clock is looked at after this many rows; the window's messages are
// dispatched once a slice has taken kSliceMilliseconds, the progress written
// at most every kProgressMilliseconds (a status text costs about a
// millisecond under Wine).
constexpr int kRowsBetweenClockLooks = 256;
constexpr DWORD kSliceMilliseconds = 15;
constexpr DWORD kProgressMilliseconds = 100;

size_t exportByteLimitForTests = 0;

// The file on its way: written under a temporary name in the target's folder
// through one buffer, placed under the target's name only when whole and
// flushed. One never placed is removed. `error` holds the system's reason of
// the step that failed.
class ExportFile {
 public:
  ExportFile() : buffer(kBufferBytes) {}
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;
  ~ExportFile() {
    file.Reset();
    if (!temporary.empty()) DeleteFileW(temporary.c_str());
  }

  [[nodiscard]] bool Create(const std::wstring& target) {
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), L"exp", 0, name)) return Failed(GetLastError());
    temporary = name;  // it exists from here on
    file.Reset(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? true : Failed(GetLastError());
  }

  // Bytes as they are: ASCII, or UTF-8 already.
  [[nodiscard]] bool PutBytes(TextView bytes) {
    while (!bytes.empty()) {
      if (used == buffer.size() && !WriteOut()) return false;
      const size_t taken = std::min(bytes.size(), buffer.size() - used);
      std::copy_n(bytes.data(), taken, buffer.data() + used);
      used += taken;
      bytes.remove_prefix(taken);
    }
    return true;
  }

  // A code page 936 text as UTF-8.
  [[nodiscard]] bool PutText(TextView text) {
    if (std::none_of(text.begin(), text.end(), [](char byte) { return byte & 0x80; })) return PutBytes(text);
    if (!TextToUtf16(text, wide)) return Failed(ERROR_NOT_ENOUGH_MEMORY);
    for (size_t at = 0; at < wide.size();) {
      // Three bytes a character at most; a surrogate pair stays together.
      size_t count = std::min(wide.size() - at, (buffer.size() - used) / 3);
      if (count < wide.size() - at && count > 0 && IS_HIGH_SURROGATE(wide[at + count - 1])) --count;
      if (count == 0) {
        if (!WriteOut()) return false;
        continue;
      }
      used += size_t(Utf16ToUtf8(wide.data() + at, int(count), buffer.data() + used));
      at += count;
    }
    return true;
  }

  // Whatever waits written out, the file flushed to the disk, where
  // `LetWindowAnswer` dispatches the window's messages meanwhile (the disk
  // takes a tenth of a second and more for a million rows). False when it
  // failed, or with `abandoned` when the window went meanwhile.
  template <typename LetWindowAnswer>
  [[nodiscard]] bool Flush(LetWindowAnswer letWindowAnswer, bool& abandoned) {
    if (!WriteOut()) return false;
    struct Flushing {
      HANDLE file;
      DWORD error = 0;
      static DWORD WINAPI Run(void* parameter) {
        auto* flushing = static_cast<Flushing*>(parameter);
        if (!FlushFileBuffers(flushing->file)) flushing->error = GetLastError();
        return 0;
      }
    } flushing{file.Get()};
    KernelHandle thread{CreateThread(nullptr, 0, Flushing::Run, &flushing, 0, nullptr)};
    if (!thread) {
      (void)Flushing::Run(&flushing);
    } else {
      HANDLE handles[] = {thread.Get()};
      while (MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        if (letWindowAnswer()) continue;
        abandoned = true;
        break;
      }
      WaitForSingleObject(thread.Get(), INFINITE);  // the thread uses the handle until it ends
    }
    if (abandoned) return false;
    return flushing.error ? Failed(flushing.error) : true;
  }

  // The flushed file closed and put in place.
  [[nodiscard]] bool PlaceAt(const std::wstring& target) {
    file.Reset();
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return Failed(GetLastError());
    temporary.clear();
    return true;
  }

  DWORD error = 0;

 private:
  bool Failed(DWORD reason) {
    error = reason;
    return false;
  }

  bool WriteOut() {
    size_t allowed = used;
    const size_t limit = exportByteLimitForTests;
    if (limit != 0 && written + used > limit) allowed = limit > written ? limit - written : 0;
    DWORD done = 0;
    if (allowed > 0 && !WriteFile(file.Get(), buffer.data(), DWORD(allowed), &done, nullptr))
      return Failed(GetLastError());
    written += done;
    if (done != used) return Failed(ERROR_DISK_FULL);  // a short write: the disk took no more
    used = 0;
    return true;
  }

  FileHandle file;
  std::wstring temporary;  // empty once placed
  std::vector<char> buffer;
  size_t used = 0;
  unsigned long long written = 0;
  std::wstring wide;  // the text being converted
};

// A spreadsheet takes a cell that begins with one of these for a formula,
// and runs what it calls (=HYPERLINK, a DDE command): a page's text stays
// text behind an apostrophe, which spreadsheets read as "text follows".
bool StartsLikeFormula(TextView text) { return !text.empty() && TextView("=+-@").find(text[0]) != TextView::npos; }

// A field of a CSV or TSV line, quoted where it holds the separator, a
// quote or a line break, its quotes doubled. The bytes of those never stand
// inside a double-byte character (its second byte is 0x40 or above), so
// they are looked for in the code page 936 text itself.
bool PutField(ExportFile& file, TextView text, char separator) {
  const char specials[] = {separator, '"', '\r', '\n', '\0'};
  const bool quoted = text.find_first_of(specials) != TextView::npos;
  if (quoted && !file.PutBytes("\"")) return false;
  if (StartsLikeFormula(text) && !file.PutBytes("'")) return false;
  if (!quoted) return file.PutText(text);
  for (size_t from = 0;;) {
    const size_t quote = text.find('"', from);
    if (!file.PutText(text.substr(from, quote - from))) return false;
    if (quote == TextView::npos) break;
    if (!file.PutBytes("\"\"")) return false;
    from = quote + 1;
  }
  return file.PutBytes("\"");
}

TextView SeparatorOf(ExportFormat format) { return format == ExportFormat::Tsv ? "\t" : ","; }

// The header line: each column's title without the spaces it keeps for the
// check box, the address column's (empty on screen) named.
bool PutHeader(ExportFile& file, ExportFormat format) {
  if (format == ExportFormat::Csv && !file.PutBytes("\xEF\xBB\xBF")) return false;  // the byte-order mark
  const TextView separator = SeparatorOf(format);
  for (const ResultColumnRecord& column : kResultColumns) {
    TextView title = column.title;
    title.remove_prefix(std::min(title.size(), title.find_first_not_of(' ')));
    if (title.empty() && column.link) title = "下载地址";
    if (&column != kResultColumns && !file.PutBytes(separator)) return false;
    if (!PutField(file, title, separator[0])) return false;
  }
  return file.PutBytes("\r\n");
}

// One row's line; a list of links leaves out the rows whose address is no
// magnet link. Counts the lines written.
bool PutRow(ExportFile& file, const RowStore& rows, int row, ExportFormat format, int& lines) {
  if (format == ExportFormat::Links) {
    const TextView address = rows.Cell(row, LinkColumn());
    if (!IsMagnetLink(address)) return true;
    ++lines;
    return file.PutText(address) && file.PutBytes("\r\n");
  }
  const TextView separator = SeparatorOf(format);
  for (int column = 0; column < kResultColumnCount; ++column) {
    if (column > 0 && !file.PutBytes(separator)) return false;
    if (!PutField(file, rows.Cell(row, column), separator[0])) return false;
  }
  ++lines;
  return file.PutBytes("\r\n");
}

Text FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return Utf16ToText(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

// The system's words for `error`, as code page 936 text.
Text SystemReason(DWORD error) {
  wchar_t* words = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
  Text reason = length > 0 ? Utf16ToText(words, int(length)) : "错误 " + DecimalText((long long)error);
  if (words) LocalFree(words);
  while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' '))
    reason.pop_back();
  return reason;
}

// For an export's length: the list's order held, part 3 of 状态条 the
// export's, and no second export; all given back at the end.
class ExportHold {
 public:
  explicit ExportHold(AppState& app) : app(app), window(app.window.window.handle) {
    app.exporting = true;
    app.window.超级列表框1.HoldOrder();
  }
  ExportHold(const ExportHold&) = delete;
  ExportHold& operator=(const ExportHold&) = delete;
  ~ExportHold() {
    app.exporting = false;
    if (!WindowStays()) return;  // a window closed meanwhile left nothing to give back
    app.window.超级列表框1.ReleaseOrder();
    app.search.resultCount.RunNow();
  }

  // The window's messages waiting dispatched; false when the window went
  // meanwhile or the program is to end (its quit message stays queued for
  // the loop that ends it).
  [[nodiscard]] bool LetWindowAnswer() {
    ProcessPendingMessages();
    MSG quit;
    if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return false;
    return WindowStays();
  }

  void ShowProgress(int done, int count) {
    const DWORD now = GetTickCount();
    if (shown && now - shownAt < kProgressMilliseconds) return;
    shown = true;
    shownAt = now;
    app.window.状态条.SetPartText(3, "正在导出: " + DecimalText(done) + "/" + DecimalText(count) + " 条");
  }

 private:
  bool WindowStays() const { return window && app.window.window.handle == window; }

  AppState& app;
  HWND window;
  bool shown = false;
  DWORD shownAt = 0;
};

// How a write ended: the file in place, a failure the system gave its
// reason for, or abandoned as the window went or the program is to end.
enum class WriteEnd { Placed, Failed, Abandoned };

// The rows listed now, in the order shown, into the file at `path`; the
// temporary file is gone by the time it returns, unless placed. Counts the
// lines of rows written.
WriteEnd WriteList(AppState& app, const std::wstring& path, ExportFormat format, int& lines, DWORD& error) {
  ListView& list = app.window.超级列表框1;
  // Every row in its place first: they are written in the order shown.
  list.ShowPendingRows();
  const int count = list.rows.RowCount();
  ExportHold hold(app);
  ExportFile file;
  const auto failed = [&] {
    error = file.error;
    return WriteEnd::Failed;
  };
  if (!file.Create(path)) return failed();
  if (format != ExportFormat::Links && !PutHeader(file, format)) return failed();
  DWORD sliceStart = GetTickCount();
  for (int position = 0; position < count; ++position) {
    if (!PutRow(file, list.rows, StoreRowAt(list.order, position), format, lines)) return failed();
    if ((position + 1) % kRowsBetweenClockLooks != 0 || GetTickCount() - sliceStart < kSliceMilliseconds) continue;
    hold.ShowProgress(position + 1, count);
    if (!hold.LetWindowAnswer()) return WriteEnd::Abandoned;
    sliceStart = GetTickCount();
  }
  bool abandoned = false;
  if (!file.Flush([&hold] { return hold.LetWindowAnswer(); }, abandoned))
    return abandoned ? WriteEnd::Abandoned : failed();
  return file.PlaceAt(path) ? WriteEnd::Placed : failed();
}

}  // namespace

const wchar_t* ExportExtension(ExportFormat format) {
  switch (format) {
    case ExportFormat::Csv: return L"csv";
    case ExportFormat::Tsv: return L"tsv";
    case ExportFormat::Links: return L"txt";
  }
  return L"txt";
}

void LimitExportBytesForTests(size_t bytes) { exportByteLimitForTests = bytes; }

bool ExportList(AppState& app, const std::wstring& path, ExportFormat format) {
  if (app.exporting) return false;
  int lines = 0;
  DWORD error = 0;
  switch (WriteList(app, path, format, lines, error)) {
    case WriteEnd::Placed:
      break;
    case WriteEnd::Failed:
      ShowNotice("无法导出到 " + FileNameOf(path) + ": " + SystemReason(error));
      return false;
    case WriteEnd::Abandoned:
      return false;
  }
  const bool searching = app.search.phase != SearchPhase::Idle;
  ShowNotice("已导出" + DecimalText(lines) + "条结果到 " + FileNameOf(path) + (searching ? ", 搜索仍在进行" : ""));
  return true;
}
