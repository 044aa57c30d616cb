// The result list's row store, platform-free: built natively under the
// sanitizers too.
#include "ui/RowStore.h"

#include <gtest/gtest.h>

namespace {

constexpr int kNumber = ColumnIndex(ResultColumn::Number);
constexpr int kName = ColumnIndex(ResultColumn::FileName);
constexpr int kSize = ColumnIndex(ResultColumn::Size);
constexpr int kAddress = ColumnIndex(ResultColumn::Address);

RowBatch Rows(int from, int count) {
  RowBatch batch;
  for (int row = from; row < from + count; ++row)
    batch.Add(
        {DecimalText(row + 1), "name " + DecimalText(row), DecimalText(row) + " MB", "magnet:?xt=" + DecimalText(row)});
  return batch;
}

TEST(RowStore, KeepsEveryCellOfEveryBatchInOrder) {
  RowStore store;
  ASSERT_TRUE(store.Append(Rows(0, 3)));
  ASSERT_TRUE(store.Append(RowBatch()));
  ASSERT_TRUE(store.Append(Rows(3, 20000)));  // many row pages and text blocks
  ASSERT_EQ(store.RowCount(), 20003);
  for (int row : {0, 2, 3, 4095, 4096, 20002}) {
    EXPECT_EQ(store.Cell(row, kNumber), DecimalText(row + 1));
    EXPECT_EQ(store.Cell(row, kName), "name " + DecimalText(row));
    EXPECT_EQ(store.Cell(row, kSize), DecimalText(row) + " MB");
    EXPECT_EQ(store.Cell(row, kAddress), "magnet:?xt=" + DecimalText(row));
    EXPECT_EQ(store.Check(row), 0);
  }
}

TEST(RowStore, CellsAndChecksOutOfRangeAreEmptyAndChangeNothing) {
  RowStore store;
  EXPECT_EQ(store.Cell(0, kNumber), "");
  EXPECT_EQ(store.Check(0), -1);
  ASSERT_TRUE(store.Append(Rows(0, 1)));
  EXPECT_EQ(store.Cell(-1, kAddress), "");
  EXPECT_EQ(store.Cell(1, kNumber), "");
  EXPECT_EQ(store.Cell(0, kResultColumnCount), "");
  EXPECT_EQ(store.Cell(0, -1), "");
  EXPECT_FALSE(store.SetCell(1, kNumber, "x"));
  EXPECT_FALSE(store.SetCell(0, kResultColumnCount, "x"));
  store.SetCheck(-1, 1);
  store.SetCheck(1, 1);
  EXPECT_EQ(store.Check(0), 0);
  EXPECT_EQ(store.Check(-1), -1);
}

TEST(RowStore, EmptyCellsLongCellsAndZeroBytes) {
  RowStore store;
  RowBatch batch;
  const Text longName(100000, 'a');  // a block of its own
  batch.Add({"", "", "", ""});
  batch.Add({"2", longName, Text("cut\0after", 9), "\xD6\xD0"});  // 中
  ASSERT_TRUE(store.Append(batch));
  EXPECT_EQ(store.Cell(0, kName), "");
  EXPECT_EQ(store.Cell(1, kName), longName);
  EXPECT_EQ(store.Cell(1, kSize), "cut");  // a cell ends at its first zero byte, as the list shows it
  EXPECT_EQ(store.Cell(1, kAddress), "\xD6\xD0");
}

TEST(RowStore, SetCellReplacesOneCellAndLeavesTheOthers) {
  RowStore store;
  ASSERT_TRUE(store.Append(Rows(0, 2)));
  ASSERT_TRUE(store.SetCell(1, kName, "renamed"));
  ASSERT_TRUE(store.SetCell(1, kSize, ""));
  EXPECT_EQ(store.Cell(1, kName), "renamed");
  EXPECT_EQ(store.Cell(1, kSize), "");
  EXPECT_EQ(store.Cell(1, kAddress), "magnet:?xt=1");
  EXPECT_EQ(store.Cell(0, kName), "name 0");
  // Texts that share a block, the longest that does, and those with blocks of their own.
  for (size_t length : {511u, 1023u, 3000u, 16383u, 16384u, 16385u, 300000u}) {
    Text text;
    while (text.size() + 2 <= length) text += "\xD6\xD0";  // 中 ...
    if (text.size() < length) text += 'a';
    ASSERT_TRUE(store.SetCell(0, kName, text));
    ASSERT_TRUE(store.SetCell(0, kSize, "after"));
    EXPECT_EQ(store.Cell(0, kName), text) << length;
    EXPECT_EQ(store.Cell(0, kSize), "after") << length;
  }
}

TEST(RowStore, ChecksPerRowForEveryRowAndBelowMinusOne) {
  RowStore store;
  ASSERT_TRUE(store.Append(Rows(0, 5000)));
  store.SetCheck(4999, 1);
  EXPECT_EQ(store.Check(4999), 1);
  EXPECT_EQ(store.Check(4998), 0);
  store.SetEveryCheck(1);
  EXPECT_EQ(store.Check(0), 1);
  EXPECT_EQ(store.Check(4999), 1);
  store.SetCheck(3, -7);  // no check box
  EXPECT_EQ(store.Check(3), -1);
  store.SetEveryCheck(0);
  EXPECT_EQ(store.Check(3), 0);
}

TEST(RowStore, ARowLimitTakesTheFirstRowsOfABatchOnly) {
  RowStore store;
  ASSERT_TRUE(store.Append(Rows(0, 8), 5));
  EXPECT_EQ(store.RowCount(), 5);
  EXPECT_EQ(store.Cell(4, kNumber), "5");
  ASSERT_TRUE(store.Append(Rows(5, 3), 5));
  EXPECT_EQ(store.RowCount(), 5);
}

TEST(RowStore, ClearEmptiesAndTheStoreCanBeFilledAgain) {
  RowStore store;
  ASSERT_TRUE(store.Append(Rows(0, 10000)));
  store.Clear();
  EXPECT_EQ(store.RowCount(), 0);
  EXPECT_EQ(store.BytesHeld(), 0u);
  EXPECT_EQ(store.Cell(0, kNumber), "");
  ASSERT_TRUE(store.Append(Rows(7, 1)));
  EXPECT_EQ(store.Cell(0, kNumber), "8");
}

TEST(RowStore, HoldsLittleMoreThanTheTextsThemselves) {
  RowStore store;
  RowBatch batch;
  const int rows = 100000;
  size_t textBytes = 0;
  for (int row = 0; row < rows; ++row) {
    const Text name = "Some.Distribution." + DecimalText(row) + ".amd64.iso";
    const Text address = "magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef" + DecimalText(100000000 + row);
    batch.Add({DecimalText(row + 1), name, "4.7 GB", address});
    textBytes += DecimalText(row + 1).size() + name.size() + 6 + address.size();
  }
  ASSERT_TRUE(store.Append(batch));
  const double overhead = double(store.BytesHeld() - textBytes) / rows;
  // A zero byte and a place in the row record a column, the check state and block ends.
  EXPECT_LT(overhead, kResultColumnCount * (sizeof(char*) + 1) + 12.0) << "bytes a row beyond the texts";
}

TEST(RowStore, ARefusedAppendKeepsTheRowsBeforeItAndTheStoreStaysUsable) {
  RowStore store;
  store.SetByteLimit(1024 * 1024);  // the first row page and a few text blocks
  ASSERT_TRUE(store.Append(Rows(0, 100)));
  RowBatch big;
  for (int row = 0; row < 3000; ++row) big.Add({DecimalText(row), Text(150, 'n'), "1 GB", Text(150, 'm')});
  EXPECT_FALSE(store.Append(big));
  const int kept = store.RowCount();
  EXPECT_GT(kept, 100);
  EXPECT_LT(kept, 3100);
  EXPECT_LE(store.BytesHeld(), 1024u * 1024);
  EXPECT_EQ(store.Cell(kept - 1, kName), Text(150, 'n'));  // the last row kept is whole
  EXPECT_EQ(store.Cell(kept - 1, kAddress), Text(150, 'm'));
  EXPECT_EQ(store.Cell(99, kAddress), "magnet:?xt=99");
  EXPECT_FALSE(store.SetCell(0, kName, Text(300000, 'x')));  // a text of its own past the limit
  EXPECT_EQ(store.Cell(0, kName), "name 0");
  store.Clear();
  EXPECT_TRUE(store.Append(Rows(0, 100)));  // the limit stays, the room is back
}

TEST(RowStore, MovingHandsTheRowsOn) {
  RowStore store;
  ASSERT_TRUE(store.Append(Rows(0, 3)));
  RowStore moved(std::move(store));
  EXPECT_EQ(moved.RowCount(), 3);
  EXPECT_EQ(moved.Cell(2, kAddress), "magnet:?xt=2");
  EXPECT_EQ(store.RowCount(), 0);  // NOLINT: the moved-from store is empty and usable
  store = std::move(moved);
  EXPECT_EQ(store.Cell(2, kAddress), "magnet:?xt=2");
}

}  // namespace
