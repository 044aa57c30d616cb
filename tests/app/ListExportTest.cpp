// Saving the list over the live window: the files read back byte for byte,
// the list's order, and failures that leave an earlier file as it was.
#include "app/ListExport.h"
#include "tests/app/ExportFiles.h"
#include "tests/app/ResultActionsSupport.h"

namespace {

// A row put straight into the list: its cells as the list holds them.
void AddRow(TextView number, TextView name, TextView size, TextView address) {
  const int row = List().AppendRow();
  List().SetCellText(row, ResultColumn::Number, number);
  List().SetCellText(row, ResultColumn::FileName, name);
  List().SetCellText(row, ResultColumn::Size, size);
  List().SetCellText(row, ResultColumn::Address, address);
}

std::wstring NoticeStart(const std::wstring& text, size_t length) { return text.substr(0, length); }

TEST_F(ResultActions, ExportEachFormatHoldsTheRowsInUtf8WithItsQuotingAndOnlyMagnetLinksInTheList) {
  ExportFolder folder;
  AddRow("1", "\xD6\xD0\xCE\xC4 \xC3\xFB", "1.5 GB", "magnet:?xt=urn:btih:A");  // 中文 名
  AddRow("2", "a,b \"c\"\td", "700 MB", "http://example.com/x.torrent");
  AddRow("3", "\xB5\xE7\xD3\xB0", "", "MAGNET:?xt=urn:btih:C");  // 电影
  // A page's name that a spreadsheet would take for a formula and run.
  AddRow("4", "=cmd|' /C calc'!A0", "-1 MB", "magnet:?xt=urn:btih:D");
  std::vector<Notice> notices;
  {
    NoticeCloser closer;
    EXPECT_TRUE(ExportList(app, folder.path + L"list.csv", ExportFormat::Csv));
    EXPECT_TRUE(ExportList(app, folder.path + L"list.tsv", ExportFormat::Tsv));
    EXPECT_TRUE(ExportList(app, folder.path + L"links.txt", ExportFormat::Links));
    notices = closer.notices;
  }
  EXPECT_EQ(FileBytes(folder.path + L"list.csv"),
            u8"\uFEFF序号,文件名,文件大小,下载地址\r\n"
            u8"1,中文 名,1.5 GB,magnet:?xt=urn:btih:A\r\n"
            u8"2,\"a,b \"\"c\"\"\td\",700 MB,http://example.com/x.torrent\r\n"
            u8"3,电影,,MAGNET:?xt=urn:btih:C\r\n"
            u8"4,'=cmd|' /C calc'!A0,'-1 MB,magnet:?xt=urn:btih:D\r\n");
  EXPECT_EQ(FileBytes(folder.path + L"list.tsv"),
            u8"序号\t文件名\t文件大小\t下载地址\r\n"
            u8"1\t中文 名\t1.5 GB\tmagnet:?xt=urn:btih:A\r\n"
            u8"2\t\"a,b \"\"c\"\"\td\"\t700 MB\thttp://example.com/x.torrent\r\n"
            u8"3\t电影\t\tMAGNET:?xt=urn:btih:C\r\n"
            u8"4\t'=cmd|' /C calc'!A0\t'-1 MB\tmagnet:?xt=urn:btih:D\r\n");
  EXPECT_EQ(FileBytes(folder.path + L"links.txt"),
            "magnet:?xt=urn:btih:A\r\nMAGNET:?xt=urn:btih:C\r\nmagnet:?xt=urn:btih:D\r\n");
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].text, L"已导出4条结果到 list.csv");
  EXPECT_EQ(notices[1].text, L"已导出4条结果到 list.tsv");
  EXPECT_EQ(notices[2].text, L"已导出3条结果到 links.txt");
  EXPECT_EQ(folder.Names().size(), 3u);
}

TEST_F(ResultActions, ExportASortedListIsWrittenInTheOrderShownWithRowsThatArrivedMeanwhile) {
  ExportFolder folder;
  AddRow("1", "b10", "", "magnet:?1");
  AddRow("2", "a", "", "magnet:?2");
  ASSERT_TRUE(List().SortByColumn(ColumnIndex(ResultColumn::FileName)));
  // Arriving after the sort, not yet merged when the export starts.
  RowBatch batch;
  batch.Add({"3", "b9", "", "magnet:?3"});
  ASSERT_TRUE(List().AppendRows(batch));
  NoticeCloser closer;
  EXPECT_TRUE(ExportList(app, folder.path + L"links.txt", ExportFormat::Links));
  EXPECT_EQ(FileBytes(folder.path + L"links.txt"), "magnet:?2\r\nmagnet:?3\r\nmagnet:?1\r\n");
}

TEST_F(ResultActions, ExportAFailedWriteSaysWhyLeavesTheEarlierFileWholeAndNoTemporaryFile) {
  ExportFolder folder;
  RowBatch batch;
  for (int row = 0; row < 5000; ++row) batch.Add({DecimalText(row + 1), "name", "1 MB", AddressOf(row)});
  ASSERT_TRUE(List().AppendRows(batch));
  const std::wstring target = folder.path + L"list.csv";
  WriteFileBytes(target, "earlier");
  std::vector<Notice> notices;
  {
    NoticeCloser closer;
    // A disk that takes 100,000 bytes: more than the buffer, less than the rows.
    LimitExportBytesForTests(100000);
    EXPECT_FALSE(ExportList(app, target, ExportFormat::Csv));
    LimitExportBytesForTests(0);
    EXPECT_EQ(FileBytes(target), "earlier");
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"list.csv"});
    // A folder of that name is not replaced (Wine replaces a read-only file).
    const std::wstring taken = folder.path + L"taken";
    ASSERT_TRUE(CreateDirectoryW(taken.c_str(), nullptr));
    EXPECT_FALSE(ExportList(app, taken, ExportFormat::Csv));
    EXPECT_EQ(GetFileAttributesW(taken.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    RemoveDirectoryW(taken.c_str());
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"list.csv"});
    // A folder that is not there.
    EXPECT_FALSE(ExportList(app, folder.path + L"gone\\list.csv", ExportFormat::Csv));
    notices = closer.notices;
  }
  ASSERT_EQ(notices.size(), 3u);
  const wchar_t* names[] = {L"list.csv", L"taken", L"list.csv"};
  for (size_t at = 0; at < notices.size(); ++at) {
    const std::wstring& text = notices[at].text;
    const std::wstring start = L"无法导出到 " + std::wstring(names[at]) + L": ";
    EXPECT_EQ(NoticeStart(text, start.size()), start);
    EXPECT_GT(text.size(), start.size()) << "no reason given";
  }
}

}  // namespace
