// The sorted order of the result list, platform-free: names drawn at random
// from pieces that tie a lot (shared and long prefixes, digit runs, case,
// code page 936 pairs), sorted and merged, against a plain stable sort of
// whole keys.
#include "ui/RowOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

constexpr int kNameColumn = ColumnIndex(ResultColumn::FileName);

bool IsDigit(char letter) { return letter >= '0' && letter <= '9'; }

// A name's whole key, made as the list's natural order says: a digit run as
// '0', its count of digits past leading zeros plus one (at most 255), those
// digits; ASCII letters lower case; a lead byte and the byte after it as they are.
std::string WholeKey(const std::string& name) {
  std::string key;
  for (size_t at = 0; at < name.size();) {
    const unsigned char letter = (unsigned char)name[at];
    if (letter >= 0x81 && at + 1 < name.size()) {
      key.append(name, at, 2);
      at += 2;
    } else if (IsDigit(name[at])) {
      size_t end = at;
      while (end < name.size() && IsDigit(name[end])) ++end;
      while (at < end && name[at] == '0') ++at;
      key += '0';
      key += char(std::min<size_t>(end - at + 1, 255));
      key.append(name, at, end - at);
      at = end;
    } else {
      key += letter >= 'A' && letter <= 'Z' ? char(letter - 'A' + 'a') : char(letter);
      ++at;
    }
  }
  return key;
}

std::string RandomName(std::mt19937& random) {
  static const std::string kPrefixes[] = {"", "movie 12 ", "MOVIE 012 part", std::string(200, 'x'),
                                          std::string(300, '7'), std::string(1200, 'y'), "\xD6\xD0\xCE\xC4 abc"};  // 中文
  static const char* const kPieces[] = {"a", "A", "b", "0", "00", "1", "9", "10", "007", " ", ".",
                                        "\xD6\xD0",  // 中
                                        "x", "xxxxxxxx"};
  std::string name = kPrefixes[random() % std::size(kPrefixes)];
  for (int pieces = int(random() % 7); pieces > 0; --pieces) name += kPieces[random() % std::size(kPieces)];
  if (random() % 16 == 0) name += "\xB0";  // a lead byte without its second byte
  return name;
}

// Stored rows in the order a stable sort of their whole keys puts them.
std::vector<int> ExpectedOrder(const std::vector<std::string>& names, bool descending) {
  std::vector<std::string> keys;
  for (const std::string& name : names) keys.push_back(WholeKey(name));
  std::vector<int> rows(names.size());
  for (size_t row = 0; row < rows.size(); ++row) rows[row] = int(row);
  std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return descending ? keys[b] < keys[a] : keys[a] < keys[b]; });
  return rows;
}

RowBatch NamedRows(const std::vector<std::string>& names, size_t from, size_t to) {
  RowBatch batch;
  for (size_t row = from; row < to; ++row) batch.Add({DecimalText(int(row) + 1), names[row], "1 MB", "magnet:?"});
  return batch;
}

TEST(RowOrder, SortsAndMergesNamesAsAStableSortOfTheirWholeKeysEitherWayRound) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 4; ++round) {
    std::vector<std::string> names(round % 2 ? 3000 : 120);  // by radix and by comparing
    for (std::string& name : names) name = RandomName(random);
    for (bool descending : {false, true}) {
      RowStore store;
      ASSERT_TRUE(store.Append(NamedRows(names, 0, names.size())));
      RowOrder order;
      ASSERT_TRUE(SortRows(order, store, kNameColumn, descending));
      EXPECT_EQ(order.rows, ExpectedOrder(names, descending)) << "round " << round << ", descending " << descending;

      // The same rows, half of them sorted and the rest merged in two batches.
      RowStore halves;
      const size_t half = names.size() / 2;
      ASSERT_TRUE(halves.Append(NamedRows(names, 0, half)));
      RowOrder merged;
      ASSERT_TRUE(SortRows(merged, halves, kNameColumn, descending));
      std::vector<int> positions{-1};
      for (size_t to : {half + half / 2, names.size()}) {
        ASSERT_TRUE(ReserveRowRoom(merged, int(to)));
        ASSERT_TRUE(halves.Append(NamedRows(names, size_t(halves.RowCount()), to)));
        (void)MergeNewRows(merged, halves, positions);
      }
      EXPECT_EQ(merged.rows, ExpectedOrder(names, descending)) << "round " << round << ", descending " << descending;
    }
  }
}

}  // namespace
