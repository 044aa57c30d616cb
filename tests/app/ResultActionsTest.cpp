// The result actions over the live window: check boxes, the real clipboard of
// the session, and the notices shown while handing rows to Thunder (which is
// not installed in the test prefix, nor is a magnet: handler).
#include "tests/app/MagnetHandlerRegistration.h"
#include "tests/app/ResultActionsSupport.h"

#include "system/Room.h"
#include "text/CodePage936.h"
#include "ui/ClipboardApi.h"

namespace {

// The system's clipboard while it lives, but for the step it refuses:
// emptying, or taking a text in any format.
struct RefusingClipboard {
  enum Step { Emptying, Placing };
  static inline Step refused = Emptying;
  static BOOL WINAPI Empty() { return refused == Emptying ? FALSE : EmptyClipboard(); }
  static HANDLE WINAPI SetData(UINT format, HANDLE data) {
    return refused == Placing ? nullptr : SetClipboardData(format, data);
  }
  static inline const ClipboardApi table = {OpenClipboard, Empty, SetData, CloseClipboard};
  explicit RefusingClipboard(Step step) {
    refused = step;
    UseClipboardForTests(&table);
  }
  ~RefusingClipboard() { UseClipboardForTests(nullptr); }
};

std::string Utf8Of(const Text& text) {
  const std::wstring wide = TextToUtf16(text);
  std::string bytes(wide.size() * 3, '\0');
  bytes.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), bytes.data(),
                                          int(bytes.size()), nullptr, nullptr)));
  return bytes;
}

// The bytes that the escapes (% and two hex digits) stand for, the rest as it is.
std::string PercentDecoded(const std::string& text) {
  std::string decoded;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '%' && at + 2 < text.size() && isxdigit(text[at + 1]) && isxdigit(text[at + 2])) {
      decoded += char(std::stoi(text.substr(at + 1, 2), nullptr, 16));
      at += 2;
    } else {
      decoded += text[at];
    }
  }
  return decoded;
}

TEST_F(ResultActions, SelectAllGivesEveryRowTheBoxStateAndDoesNothingOnAnEmptyList) {
  SetChecked(app.window.全选框, true);
  SendClick(app.window.全选框.handle);
  EXPECT_EQ(List().RowCount(), 0);

  AddRows(5);
  List().SetRowCheck(1, 1);
  List().SetRowCheck(3, 1);
  SendClick(app.window.全选框.handle);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(List().GetRowCheck(row), 1) << row;
  SetChecked(app.window.全选框, false);
  List().SetRowCheck(2, 0);
  SendClick(app.window.全选框.handle);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(List().GetRowCheck(row), 0) << row;
}

TEST_F(ResultActions, CopyPutsTheSelectedAddressExactlyAsAnsiAndUnicodeText) {
  AddRows(3);
  // A double-byte file name is not copied; the address cell may carry 中 (D6 D0).
  List().SetCellText(1, ResultColumn::Address, "magnet:?xt=\xD6\xD0");
  Select(1);
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "magnet:?xt=\xD6\xD0");
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_UNICODETEXT), 2), Utf16Bytes(L"magnet:?xt=\u4E2D"));
}

TEST_F(ResultActions, CopyWithManyRowsPutsEveryAddressFromTheLastRowUpAndAnEmptyListChangesNothing) {
  SetChecked(app.window.循环执行, true);
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");

  AddRows(3);
  Choose(ControlId::复制下载地址);
  Text expected = AddressOf(2) + "\r\n" + AddressOf(1) + "\r\n" + AddressOf(0) + "\r\n";
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), expected);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_UNICODETEXT), 2),
            Utf16Bytes(std::wstring(expected.begin(), expected.end())));
}

TEST_F(ResultActions, ACopyOrHandOffThatCannotBeGivenRoomSaysSoAndChangesNothing) {
  ThunderAgentRegistration thunder;
  AddRows(50);  // 1,190 bytes of addresses and line ends
  List().SetEveryRowCheck(1);
  SetChecked(app.window.循环执行, true);
  PutMarkerOnClipboard();
  const DWORD clipboardBefore = GetClipboardSequenceNumber();
  const std::wstring copyRefused = L"内存不足, 无法复制下载地址!";
  const std::wstring handOffRefused = L"内存不足, 无法下载种子!";
  std::vector<Notice> notices;
  {
    NoticeCloser closer;
    // Room for neither text, then for the code page 936 text but not its
    // UTF-16 copy: the clipboard must not be emptied for a copy that fails.
    for (size_t limit : {size_t(1000), size_t(2000)}) {
      LimitRoomForTests(limit);
      Choose(ControlId::复制下载地址);
    }
    LimitRoomForTests(1000);
    Choose(ControlId::下载种子);
    LimitRoomForTests(0);
    notices = closer.notices;
  }
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].text, copyRefused);  // 内存不足, 无法复制下载地址!
  EXPECT_EQ(notices[1].text, copyRefused);
  EXPECT_EQ(notices[2].text, handOffRefused);  // 内存不足, 无法下载种子!
  EXPECT_EQ(GetClipboardSequenceNumber(), clipboardBefore);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");
  EXPECT_TRUE(ReceivedThunderCalls().empty());

  // Given the room, the same copy is whole.
  Choose(ControlId::复制下载地址);
  Text expected;
  for (int row = 49; row >= 0; --row) expected += AddressOf(row) + "\r\n";
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), expected);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_UNICODETEXT), 2), Utf16Bytes(Wide(expected)));
}

TEST_F(ResultActions, ACopyTheClipboardRefusesSaysSoAndNeverClaimsTheText) {
  AddRows(3);
  Select(1);
  std::vector<Notice> notices;
  {
    NoticeCloser closer;
    for (bool everyRow : {false, true}) {
      SetChecked(app.window.循环执行, everyRow);
      {
        RefusingClipboard refusing(RefusingClipboard::Emptying);
        PutMarkerOnClipboard();
        Choose(ControlId::复制下载地址);
      }
      EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker") << everyRow;
      {
        RefusingClipboard refusing(RefusingClipboard::Placing);
        PutMarkerOnClipboard();
        Choose(ControlId::复制下载地址);
      }
      EXPECT_EQ(ClipboardBytes(CF_TEXT), "") << everyRow;
      EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), "") << everyRow;
    }
    notices = closer.notices;
  }
  const std::wstring asItWas = L"无法复制下载地址: 剪贴板拒绝写入, 原有内容未变!";
  const std::wstring emptied = L"无法复制下载地址: 剪贴板拒绝写入, 原有内容已清除!";
  ASSERT_EQ(notices.size(), 4u);
  for (size_t at : {size_t(0), size_t(2)}) EXPECT_EQ(notices[at].text, asItWas);
  for (size_t at : {size_t(1), size_t(3)}) EXPECT_EQ(notices[at].text, emptied);
}

TEST_F(ResultActions, CopyWithoutSelectionLeavesTheClipboardAlone) {
  AddRows(2);
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");
}

TEST_F(ResultActions, DownloadWithNoCheckedRowAsksForRows) {
  AddRows(4);
  SetChecked(app.window.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, kPickRows);
}

TEST_F(ResultActions, DownloadWithoutThunderSaysSoOncePerCheckedRowAtLeast100msApart) {
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(app.window.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  ASSERT_EQ(closer.notices.size(), 3u);
  for (const Notice& notice : closer.notices) EXPECT_EQ(notice.text, kNoThunder);
  EXPECT_GE(closer.notices[1].tick - closer.notices[0].tick, 100u);
  EXPECT_GE(closer.notices[2].tick - closer.notices[1].tick, 100u);
}

TEST_F(ResultActions, DownloadOfTheSelectedRowOnlyWhenUnchecked) {
  AddRows(3);
  for (int row = 0; row < 3; ++row) List().SetRowCheck(row, 1);
  NoticeCloser closer;
  Choose(ControlId::下载种子);  // nothing selected: nothing handed on
  EXPECT_TRUE(closer.notices.empty());
  Select(2);
  Choose(ControlId::下载种子);
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, kNoThunder);
}

TEST_F(ResultActions, ARightClickOnARowOpensTheMenuAtTheCursorAndItsFirstItemCopiesThatRow) {
  AddRows(3);
  Select(0);
  RECT rowRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 1, &rowRect, LVIR_BOUNDS));
  const POINT click = {rowRect.left + 20, (rowRect.top + rowRect.bottom) / 2};
  PutMarkerOnClipboard();
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_RETURN}));
  POINT expected = CursorPlusThree(click);
  EXPECT_EQ(MenuDriver::shownAt.left, expected.x);
  EXPECT_EQ(MenuDriver::shownAt.top, expected.y);
  // The list selects the row under a right click before the menu opens.
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(1));
}

TEST_F(ResultActions, ARightClickBelowTheLastRowOpensTheMenuThereAndItsItemsAreChosen) {
  AddRows(2);
  Select(0);
  RECT lastRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 1, &lastRect, LVIR_BOUNDS));
  const POINT click = {lastRect.left + 20, lastRect.bottom + 40};
  PutMarkerOnClipboard();
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_RETURN}));
  POINT expected = CursorPlusThree(click);
  EXPECT_EQ(MenuDriver::shownAt.left, expected.x);
  EXPECT_EQ(MenuDriver::shownAt.top, expected.y);
  // A click on no row clears the selection, so the single-row copy had
  // nothing to copy: the chosen item ran and left the clipboard alone.
  EXPECT_EQ(List().SelectedRow(), -1);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");

  // With many rows the same choice copies every address.
  SetChecked(app.window.循环执行, true);
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_RETURN}));
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(1) + "\r\n" + AddressOf(0) + "\r\n");

  // And the second item hands the checked row to Thunder.
  ThunderAgentRegistration thunder;
  List().SetRowCheck(0, 1);
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_DOWN, VK_RETURN}));
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].argument, Wide(AddressOf(0)));
}

TEST_F(ResultActions, EscapeClosesTheMenuWithoutRunningAHandler) {
  ThunderAgentRegistration thunder;
  AddRows(3);
  List().SetRowCheck(2, 1);
  SetChecked(app.window.循环执行, true);
  RECT rowRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 0, &rowRect, LVIR_BOUNDS));
  const POINT onARow = {rowRect.left + 20, (rowRect.top + rowRect.bottom) / 2};
  const POINT belowTheRows = {rowRect.left + 20, rowRect.bottom + 80};
  NoticeCloser closer;
  for (POINT click : {onARow, belowTheRows}) {
    // The first item (copy) or the second (hand-off) highlighted, then Escape.
    for (int downs : {1, 2}) {
      std::vector<WPARAM> keys(downs, VK_DOWN);
      keys.push_back(VK_ESCAPE);
      DWORD clipboardBefore = GetClipboardSequenceNumber();
      ASSERT_TRUE(MenuDriver::RightClickAndPress(click, keys));
      PumpMessagesFor(300);  // a command the menu had sent would be handled by now
      EXPECT_EQ(GetClipboardSequenceNumber(), clipboardBefore) << click.y << " " << downs;
    }
  }
  EXPECT_TRUE(closer.notices.empty());
  EXPECT_TRUE(ReceivedThunderCalls().empty());
}

TEST_F(ResultActions, DownloadHandsCheckedRowsToThunderFromTheBottomUpWhileTheWindowAnswers) {
  ThunderAgentRegistration thunder;
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(app.window.循环执行, true);
  int answersBefore = 0;
  int answersAfter = 0;
  {
    ResponsivenessProbe probe(app.window.window.handle);
    PumpUntil([&] { return probe.answers > 0; });
    answersBefore = probe.answers;
    Choose(ControlId::下载种子);
    answersAfter = probe.answers;
  }
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 6u);
  const int expectedRows[] = {8, 4, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[2 * i].method, L"AddTask");
    EXPECT_EQ(calls[2 * i].argument, Wide(AddressOf(expectedRows[i])));
    EXPECT_EQ(calls[2 * i + 1].method, L"CommitTasks");
  }
  EXPECT_GE(calls[2].tick - calls[0].tick, 100u);
  EXPECT_GE(calls[4].tick - calls[2].tick, 100u);
  // Answers came while the handler was waiting between the hand-offs.
  EXPECT_GT(answersAfter - answersBefore, 2);
}

TEST_F(ResultActions, DownloadUncheckedHandsOnlyTheSelectedRowToThunder) {
  ThunderAgentRegistration thunder;
  AddRows(5);
  for (int row = 0; row < 5; ++row) List().SetRowCheck(row, 1);
  Select(3);
  Choose(ControlId::下载种子);
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].method, L"AddTask");
  EXPECT_EQ(calls[0].argument, Wide(AddressOf(3)));
  EXPECT_EQ(calls[1].method, L"CommitTasks");
}

TEST_F(ResultActions, DownloadWithNoCheckedRowHandsNothingToThunder) {
  ThunderAgentRegistration thunder;
  AddRows(3);
  SetChecked(app.window.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  EXPECT_EQ(closer.notices.size(), 1u);
  EXPECT_TRUE(ReceivedThunderCalls().empty());
}

TEST_F(ResultActions, WithoutThunderTheMagnetHandlerGetsTheCheckedRowsBottomUpOrTheSelectedRowAndNoNotice) {
  MagnetHandlerRegistration handler;
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(app.window.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  ASSERT_TRUE(handler.PumpUntilHanded(3));
  std::vector<HandedLink> links = handler.HandedLinks();
  ASSERT_EQ(links.size(), 3u);
  const int expectedRows[] = {8, 4, 1};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(links[size_t(i)].link, AddressOf(expectedRows[i])) << i;
  constexpr unsigned long long k100ms = 100 * 10000;
  EXPECT_GE(links[1].createdAt - links[0].createdAt, k100ms);
  EXPECT_GE(links[2].createdAt - links[1].createdAt, k100ms);

  SetChecked(app.window.循环执行, false);
  Select(6);
  Choose(ControlId::下载种子);
  ASSERT_TRUE(handler.PumpUntilHanded(4));
  links = handler.HandedLinks();
  ASSERT_EQ(links.size(), 4u);
  EXPECT_EQ(links[3].link, AddressOf(6));

  // Thunder, once installed, comes first: the handler gets nothing more.
  ThunderAgentRegistration thunder;
  Choose(ControlId::下载种子);
  ASSERT_EQ(ReceivedThunderCalls().size(), 2u);
  EXPECT_EQ(ReceivedThunderCalls()[0].argument, Wide(AddressOf(6)));
  PumpMessagesFor(1000);  // a stand-in started by mistake would have logged by now
  EXPECT_EQ(handler.HandedLinks().size(), 4u);
  EXPECT_TRUE(closer.notices.empty());
}

TEST_F(ResultActions, ALinkThunderRefusesGoesToTheMagnetHandlerAsIfThunderWereAbsent) {
  ThunderAgentRegistration thunder(ThunderAgentRegistration::AddTask::Refused);
  AddRows(3);
  Select(1);
  NoticeCloser closer;
  Choose(ControlId::下载种子);  // nor a magnet: handler
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, kNoThunder);
  {
    MagnetHandlerRegistration handler;
    Choose(ControlId::下载种子);
    ASSERT_TRUE(handler.PumpUntilHanded(1));
    EXPECT_EQ(handler.HandedLinks()[0].link, AddressOf(1));
  }
  EXPECT_EQ(closer.notices.size(), 1u);
  // Asked each time, and never told to start a task it refused.
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 2u);
  for (const ThunderCall& call : calls) EXPECT_EQ(call.method, L"AddTask");
}

TEST_F(ResultActions, AStaleThunderRegistrationHandsEachLinkOnWithoutFreezingTheWindow) {
  StaleThunderAgentRegistration stale;
  MagnetHandlerRegistration handler;
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(app.window.循环执行, true);
  DWORD took = 0, frozen = 0;
  {
    ResponsivenessProbe probe(app.window.window.handle);
    PumpUntil([&] { return probe.answers > 0; });
    const DWORD start = GetTickCount();
    Choose(ControlId::下载种子);
    took = GetTickCount() - start;
    PumpMessagesFor(100);  // the answer that ends the last silence
    frozen = probe.longestSilence;
  }
  ASSERT_TRUE(handler.PumpUntilHanded(3));
  std::printf("hand-off of 3 links with a stale Thunder registration: %lu ms, the window frozen at most %lu ms\n",
              took, frozen);
  // Three to ten seconds a link where the lookup asks for any server.
  EXPECT_LT(frozen, 1000u);
}

TEST_F(ResultActions, ALinkHoldingQuotesAndSpacesReachesTheMagnetHandlerAsOneArgumentThatDecodesToIt) {
  // Its own quotes would close the argument and give the client options of the page's choosing.
  const Text link = "magnet:?xt=urn:btih:0123&dn=\xD6\xD0 a%20b\" \"--save-path=C:\\x\" \"y&x=100%";  // 中
  AddRows(1);
  List().SetCellText(0, ResultColumn::Address, link);
  Select(0);
  NoticeCloser closer;
  for (const auto form : {MagnetHandlerRegistration::LinkArgument::Quoted,
                          MagnetHandlerRegistration::LinkArgument::Unquoted}) {
    SCOPED_TRACE(form == MagnetHandlerRegistration::LinkArgument::Quoted ? "\"%1\"" : "%1");
    MagnetHandlerRegistration handler(form);
    Choose(ControlId::下载种子);
    ASSERT_TRUE(handler.PumpUntilHanded(1));
    const std::vector<HandedLink> links = handler.HandedLinks();
    ASSERT_EQ(links.size(), 1u);
    std::string given;
    for (const std::string& argument : links[0].arguments) given += "[" + argument + "] ";
    EXPECT_EQ(links[0].arguments.size(), 1u) << given;
    EXPECT_EQ(PercentDecoded(links[0].link), PercentDecoded(Utf8Of(link)));
  }
  EXPECT_TRUE(closer.notices.empty());
}

}  // namespace
