#include "tests/app/SearchRunTestSupport.h"

#include <cstdio>

#include "app/ProgramStart.h"
#include "app/SearchAddress.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/ui/WindowTestSupport.h"
#include "text/CodePage936.h"
#include "ui/MainWindow.h"
#include "web/WebRequest.h"

namespace {

Text WindowsPath(const Text& linuxPath) { return "Z:" + ReplaceAll(linuxPath, "/", "\\"); }

constexpr int kRunLimitMilliseconds = 60000;

}  // namespace

DemoSite::~DemoSite() {
  if (port == 0) return;
  WebRequestOptions options;
  options.timeoutSeconds = 5;
  (void)WebRequest(Url("/__stop"), options);
  WaitForSingleObject(process.Get(), 5000);
}

bool DemoSite::Start(int slowDelaySeconds) {
  const Text portFile = Text(SEED_TEST_WORK_DIR) + "/demo-" + DecimalText(GetCurrentProcessId()) + ".port";
  DeleteFileA(WindowsPath(portFile).c_str());
  const Text certificates = SEED_CERTIFICATE_DIR;
  std::wstring command = TextToUtf16("Z:\\usr\\bin\\python3 " + Text(SEED_DEMO_SERVER_SCRIPT) + " --cert " +
                                     certificates + "/server.pem --key " + certificates +
                                     "/server.key --port 0 --idle-timeout 30 --slow-delay " +
                                     DecimalText(slowDelaySeconds) + " --port-file " + portFile);
  // The site's own output goes nowhere: shared with it, the test's report was lost.
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  KernelHandle nowhere(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherited, OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere.Get();
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
    return false;
  CloseHandle(started.hThread);
  process = KernelHandle(started.hProcess);
  for (int attempt = 0; attempt < 200 && port == 0; ++attempt) {
    Sleep(50);
    if (FILE* file = std::fopen(WindowsPath(portFile).c_str(), "rb")) {
      if (std::fscanf(file, "%d", &port) != 1) port = 0;
      std::fclose(file);
    }
  }
  DeleteFileA(WindowsPath(portFile).c_str());
  return port != 0;
}

Text DemoSite::Host() const { return "localhost:" + DecimalText(port); }
Text DemoSite::Url(const Text& path) const { return "https://" + Host() + path; }
TextList DemoSite::RequestedPaths() const { return SplitText(WebRequest(Url("/__log")), "\n"); }
TextList DemoSite::Rows(const Text& keyword) const {
  return SplitText(WebRequest(Url("/__expected/" + EncodeKeywordSegment(keyword))), "\n");
}

void SearchRunTest::SetUp() {
  ASSERT_TRUE(site.Start(kSlowDelaySeconds));
  searchState.siteHost = site.Host();
  searchState.workerBody = SearchRun;
  ASSERT_TRUE(CreateMainWindow(mainWindow, MainWindowEventTable()));
}

void SearchRunTest::TearDown() {
  DestroyMainWindow(mainWindow);
  searchState.resultListLock.reset();
}

void SearchRunTest::StartSearch(const wchar_t* keyword) {
  SetWindowTextW(mainWindow.编辑框1.handle, keyword);
  SendClick(mainWindow.搜索_按钮.handle);
}

KernelHandle SearchRunTest::CurrentWorker() {
  HANDLE thread = nullptr;
  EXPECT_TRUE(DuplicateHandle(GetCurrentProcess(), searchState.workerThread.Get(), GetCurrentProcess(), &thread, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  return KernelHandle(thread);
}

bool SearchRunTest::PumpUntilEnded(const KernelHandle& worker) {
  return worker.Get() && PumpUntilSignalled(worker.Get(), kRunLimitMilliseconds);
}

void SearchRunTest::SearchUntilEnd(const wchar_t* keyword) {
  StartSearch(keyword);
  EXPECT_TRUE(PumpUntilEnded(CurrentWorker()));
}

bool SearchRunTest::PumpUntilRequested(const Text& path) {
  auto requested = [&] {
    for (const Text& each : site.RequestedPaths()) {
      if (each == path) return true;
    }
    return false;
  };
  return PumpUntil(requested, 30000);
}

void SearchRunTest::ExpectListed(const TextList& rows) {
  ListView& list = mainWindow.超级列表框1;
  EXPECT_EQ(list.RowCount(), int(rows.size()));
  for (int row = 0; row < int(rows.size()); ++row) {
    const TextList cells = SplitText(rows[size_t(row)], "\t");
    ASSERT_EQ(cells.size(), 3u) << rows[size_t(row)];
    EXPECT_EQ(list.GetCellText(row, 0), DecimalText(row + 1));
    EXPECT_EQ(list.GetCellText(row, 1), cells[0]) << row;
    EXPECT_EQ(list.GetCellText(row, 2), cells[1]) << row;
    EXPECT_EQ(list.GetCellText(row, 3), cells[2]) << row;
  }
  EXPECT_EQ(mainWindow.状态条.parts[3].text, "together " + DecimalText(int(rows.size())) + " results");
}

TextList RowsWhoseName(const TextList& rows, bool (*keep)(const Text& name)) {
  TextList kept;
  for (const Text& row : rows) {
    if (keep(SplitText(row, "\t").front())) kept.push_back(row);
  }
  return kept;
}

TextList RowRange(const TextList& rows, size_t from, size_t to) {
  return TextList(rows.begin() + long(from), rows.begin() + long(to));
}
static int debugUnbuffered = (setvbuf(stdout, nullptr, _IONBF, 0), 0);
