// The program's end, seen from outside: its exit codes and the fatal report.
#include <winsock2.h>
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/WindowTestSupport.h"
#include "ui/Controls.h"
#include "app/SearchState.h"
#include "ui/MainWindow.h"

namespace {

class ProgramEnd : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!process) return;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
  }
  void Open(HANDLE started) {
    process = started;
    ASSERT_NE(process, nullptr);
    window = WaitForProcessWindow(GetProcessId(process), kMainWindowClass, nullptr, 15000);
    ASSERT_NE(window, nullptr);
  }
  HWND Control(ControlId id) const { return GetDlgItem(window, int(id)); }
  void Click(ControlId id) const {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(int(id), BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
  }
  bool WaitForCaption(ControlId id, const wchar_t* caption, int milliseconds = 5000) const {
    return PumpUntil([&] { return WindowTextOf(Control(id)) == caption; }, milliseconds);
  }
  int Rows() const { return int(SendMessageW(Control(ControlId::超级列表框1), LVM_GETITEMCOUNT, 0, 0)); }
  HWND WaitForReport() const {
    return WaitForProcessWindow(GetProcessId(process), L"#32770", L"\u9519\u8BEF", 10000);  // 错误
  }
  HANDLE process = nullptr;
  HWND window = nullptr;
};

TEST_F(ProgramEnd, SeedsearchShowsItsTitleRunsASearchAndClosesWithExitCodeZero) {
  Open(StartProgram(SEEDSEARCH_EXE));
  EXPECT_EQ(WindowTextOf(window), L"SeedSearch \u79CD\u5B50\u641C\u7D22");  // 种子搜索
  Click(ControlId::搜索_按钮);
  // The built-in site cannot be reached from here; the search ends with its
  // first page, which may be asked for twice more, 1 s and 4 s later, where
  // the failure looks passing (seen once in a suite run).
  EXPECT_TRUE(WaitForCaption(ControlId::搜索_按钮, L"\u5F00\u59CB", 15000));  // 开始
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExitCode(process), 0u);
}

TEST_F(ProgramEnd, ClosingDuringARunExitsAtOnceWithCodeZero) {
  Open(StartChildScenario("list-until-ended"));
  Click(ControlId::搜索_按钮);
  ASSERT_TRUE(PumpUntil([&] { return Rows() >= 2; }));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExitCode(process, 5000), 0u);
}

TEST_F(ProgramEnd, ClosingDuringAPauseExitsWithCodeZero) {
  Open(StartChildScenario("list-until-ended"));
  Click(ControlId::搜索_按钮);
  ASSERT_TRUE(PumpUntil([&] { return Rows() >= 1; }));
  Click(ControlId::停止_按钮);
  ASSERT_TRUE(WaitForCaption(ControlId::停止_按钮, L"\u7EE7\u7EED"));  // 继续
  PostMessageW(window, WM_QUERYENDSESSION, 0, 0);
  EXPECT_EQ(WaitForExitCode(process, 5000), 0u);
}

TEST_F(ProgramEnd, AReportOnTheWorkerIsShownByTheUiThreadWhichRunsNoHandlerMeanwhile) {
  Open(StartChildScenario("fatal-on-worker"));
  Click(ControlId::搜索_按钮);
  HWND box = WaitForReport();
  ASSERT_NE(box, nullptr);
  // 运行时出错! / 错误代码：4 / 错误信息：数组成员引用下标必须大于等于1
  EXPECT_EQ(MessageBoxText(box),
            L"\u8FD0\u884C\u65F6\u51FA\u9519!\r\n\r\n"
            L"\u9519\u8BEF\u4EE3\u7801\uFF1A4\r\n\r\n"
            L"\u9519\u8BEF\u4FE1\u606F\uFF1A\u6570\u7EC4\u6210\u5458\u5F15\u7528\u4E0B\u6807\u5FC5\u987B\u5927\u4E8E"
            L"\u7B49\u4E8E1\r\n");
  EXPECT_EQ(GetWindowThreadProcessId(box, nullptr), GetWindowThreadProcessId(window, nullptr));
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);

  // A pause click while the box is open: its handler would show 继续.
  Click(ControlId::停止_按钮);
  PumpMessagesFor(300);
  EXPECT_EQ(WindowTextOf(Control(ControlId::停止_按钮)), L"\u505C\u6B62");  // 停止
  EXPECT_TRUE(IsWindow(window));  // still there, and painting, while the box is open

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForExitCode(process), 4294967295u);
}

// A site that takes connections and never answers: a search's worker waits
// inside WinHttp for its first page (up to the run's 30 s).
class SilentSite {
 public:
  SilentSite() {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 4) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    port = ntohs(address.sin_port);
  }
  ~SilentSite() {
    for (SOCKET each : taken) closesocket(each);
    if (listener != INVALID_SOCKET) closesocket(listener);
    if (started) WSACleanup();
  }
  // "<scenario>=127.0.0.1:<port>"
  std::string Scenario(const char* scenario) const {
    return std::string(scenario) + "=127.0.0.1:" + std::to_string(port);
  }
  // True once a client has connected within `milliseconds`; its connection
  // is kept open and never answered.
  bool TakeConnection(int milliseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener, &readable);
    timeval wait = {milliseconds / 1000, (milliseconds % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) != 1) return false;
    const SOCKET client = accept(listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) return false;
    taken.push_back(client);
    return true;
  }
  unsigned short port = 0;

 private:
  bool started = false;
  SOCKET listener = INVALID_SOCKET;
  std::vector<SOCKET> taken;
};

class ProgramEndDuringAFetch : public ProgramEnd {
 protected:
  // Runs `scenario` against the silent site and starts a search: its worker
  // then waits inside the request for page 1.
  void StartSearchThatStalls(const char* scenario) {
    ASSERT_NE(site.port, 0);
    Open(StartChildScenario(site.Scenario(scenario).c_str()));
    Click(ControlId::搜索_按钮);
    ASSERT_TRUE(site.TakeConnection(15000)) << "the search asked for no page";
  }
  SilentSite site;
};

TEST_F(ProgramEndDuringAFetch, AQuitPostedFromOutsideEndsTheRunFirstAndExitsWithCodeZero) {
  ASSERT_NO_FATAL_FAILURE(StartSearchThatStalls("search-run"));
  PumpMessagesFor(500);  // the worker waits inside the request
  ASSERT_TRUE(PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0));
  EXPECT_EQ(WaitForExitCode(process, 10000), 0u);
}

TEST_F(ProgramEndDuringAFetch, AReportRaisedWhileThePageStallsEndsWithCodeMinusOne) {
  ASSERT_NO_FATAL_FAILURE(StartSearchThatStalls("fatal-during-search"));
  HWND box = WaitForReport();
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForExitCode(process, 10000), 4294967295u);
}

TEST_F(ProgramEnd, AReportWithCodeZeroAndNoMessageShowsOnlyItsFirstLine) {
  Open(StartChildScenario("fatal-empty-on-ui"));
  HWND box = WaitForReport();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"\u8FD0\u884C\u65F6\u51FA\u9519!\r\n\r\n");  // 运行时出错!

  // The box's own loop dispatches the window's messages, yet no handler runs:
  // a search click would show 关闭 and list rows, a right click would open
  // the popup menu.
  Click(ControlId::搜索_按钮);
  PostMessageW(Control(ControlId::超级列表框1), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 30));
  PostMessageW(Control(ControlId::超级列表框1), WM_RBUTTONUP, 0, MAKELPARAM(30, 30));
  PumpMessagesFor(500);
  EXPECT_EQ(WindowTextOf(Control(ControlId::搜索_按钮)), L"\u5F00\u59CB");  // 开始
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(WaitForProcessWindow(GetProcessId(process), L"#32768", nullptr, 0), nullptr);
  EXPECT_TRUE(IsWindowVisible(window));

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForExitCode(process), 4294967295u);
}

}  // namespace
