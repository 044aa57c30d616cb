// Only magnet links reach the clipboard or Thunder: a row whose address is
// anything else is left out with a notice, and stays listed.
#include "tests/app/ResultActionsSupport.h"

namespace {

// 下载地址不是磁力链接, 已跳过: N 条
std::wstring SkippedNotice(int count) {
  return L"\u4E0B\u8F7D\u5730\u5740\u4E0D\u662F\u78C1\u529B\u94FE\u63A5, \u5DF2\u8DF3\u8FC7: " +
         std::to_wstring(count) + L" \u6761";
}

const Text kRefused[] = {
    "http://example.test/setup.exe",
    "file:///C:/Windows/System32/calc.exe",
    "thunder://QUFodHRwOi8vZXhhbXBsZS50ZXN0L2EuZXhlWlo=",
    "magnet:?xt=urn:btih:01\r\nhttp://example.test/setup.exe",  // would be two clipboard lines
    "magnet:?xt=urn:btih:02\n",
    " magnet:?xt=urn:btih:03",  // the scheme not at the start
    "magnet:xt=urn:btih:04",    // no "?"
    "magnet",
};
const Text kAccepted[] = {"magnet:?xt=urn:btih:AB", "MAGNET:?xt=urn:btih:CD", "Magnet:?xt=urn:btih:\xD6\xD0"};  // 中

class ResultActionsAddresses : public ResultActions {
 protected:
  static void SetAddresses(const std::vector<Text>& addresses) {
    AddRows(int(addresses.size()));
    for (size_t row = 0; row < addresses.size(); ++row)
      List().SetCellText(int(row), ResultColumn::Address, addresses[row]);
  }
  static void ExpectRowsKept(const std::vector<Text>& addresses) {
    ASSERT_EQ(List().RowCount(), int(addresses.size()));
    for (size_t row = 0; row < addresses.size(); ++row)
      EXPECT_EQ(List().GetCellText(int(row), ResultColumn::Address), addresses[row]);
  }
};

TEST_F(ResultActionsAddresses, CopyOfTheSelectedRowTakesOnlyAMagnetLinkAndSaysWhenItRefuses) {
  std::vector<Text> addresses(std::begin(kRefused), std::end(kRefused));
  addresses.insert(addresses.end(), std::begin(kAccepted), std::end(kAccepted));
  SetAddresses(addresses);
  NoticeCloser closer;
  for (size_t row = 0; row < addresses.size(); ++row) {
    SCOPED_TRACE(addresses[row]);
    const bool accepted = row >= std::size(kRefused);
    Select(int(row));
    PutMarkerOnClipboard();
    const size_t noticesBefore = closer.notices.size();
    Choose(ControlId::复制下载地址);
    EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), accepted ? addresses[row] : "marker");
    ASSERT_EQ(closer.notices.size(), noticesBefore + (accepted ? 0 : 1));
    if (!accepted) {
      EXPECT_EQ(closer.notices.back().text, SkippedNotice(1));
    }
  }
  ExpectRowsKept(addresses);
}

TEST_F(ResultActionsAddresses, CopyOfEveryRowPutsTheMagnetLinksAndCountsTheRowsLeftOut) {
  SetChecked(app.window.循环执行, true);
  const std::vector<Text> addresses = {kAccepted[0], kRefused[0], kRefused[1], kAccepted[1],
                                       kRefused[2], kRefused[3], kAccepted[2]};
  SetAddresses(addresses);
  NoticeCloser closer;
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  // Last row first, one a line, none split.
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1),
            kAccepted[2] + "\r\n" + kAccepted[1] + "\r\n" + kAccepted[0] + "\r\n");
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, SkippedNotice(4));
  ExpectRowsKept(addresses);
}

TEST_F(ResultActionsAddresses, CopyOfEveryRowWithoutAMagnetLinkLeavesTheClipboardAndSaysSo) {
  SetChecked(app.window.循环执行, true);
  SetAddresses({kRefused[0], kRefused[2]});
  NoticeCloser closer;
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, SkippedNotice(2));

  // Magnet links only: no notice.
  List().DeleteAllRows();
  SetAddresses({kAccepted[0], kAccepted[1]});
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), kAccepted[1] + "\r\n" + kAccepted[0] + "\r\n");
  EXPECT_EQ(closer.notices.size(), 1u);
}

TEST_F(ResultActionsAddresses, DownloadOfTheSelectedRowHandsOnOnlyAMagnetLink) {
  ThunderAgentRegistration thunder;
  std::vector<Text> addresses(std::begin(kRefused), std::end(kRefused));
  addresses.push_back(kAccepted[1]);
  SetAddresses(addresses);
  NoticeCloser closer;
  for (size_t row = 0; row < std::size(kRefused); ++row) {
    SCOPED_TRACE(addresses[row]);
    Select(int(row));
    Choose(ControlId::下载种子);
    ASSERT_EQ(closer.notices.size(), row + 1);
    EXPECT_EQ(closer.notices.back().text, SkippedNotice(1));
  }
  EXPECT_TRUE(ReceivedThunderCalls().empty());
  Select(int(addresses.size()) - 1);
  Choose(ControlId::下载种子);
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].argument, Wide(kAccepted[1]));
  EXPECT_EQ(closer.notices.size(), std::size(kRefused));
  ExpectRowsKept(addresses);
}

TEST_F(ResultActionsAddresses, DownloadOfCheckedRowsHandsOnTheMagnetLinksAndCountsTheRest) {
  ThunderAgentRegistration thunder;
  SetChecked(app.window.循环执行, true);
  const std::vector<Text> addresses = {kAccepted[0], kRefused[0], "magnet:?xt=urn:btih:unchecked", kRefused[1],
                                       kAccepted[1], kRefused[2], kRefused[3]};
  SetAddresses(addresses);
  for (int row : {0, 1, 3, 4, 5, 6}) List().SetRowCheck(row, 1);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 4u);  // AddTask and CommitTasks for rows 4 and 0, bottom up
  EXPECT_EQ(calls[0].argument, Wide(kAccepted[1]));
  EXPECT_EQ(calls[2].argument, Wide(kAccepted[0]));
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, SkippedNotice(4));
  ExpectRowsKept(addresses);
}

TEST_F(ResultActionsAddresses, DownloadOfCheckedRowsWithoutAMagnetLinkHandsOnNothing) {
  ThunderAgentRegistration thunder;
  SetChecked(app.window.循环执行, true);
  SetAddresses({kRefused[0], kRefused[1], kAccepted[0]});
  List().SetRowCheck(0, 1);
  List().SetRowCheck(1, 1);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  EXPECT_TRUE(ReceivedThunderCalls().empty());
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, SkippedNotice(2));
}

}  // namespace
