#include "ui/RowOrder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;

bool IsDigit(char letter) { return letter >= '0' && letter <= '9'; }

void AppendBigEndian(Text& key, uint64_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) key += char((value >> shift) & 0xFF);
}

// A digit run becomes '0', its count of digits past leading zeros, and
// those digits: longer numbers are larger, and a run still compares with
// other characters as a digit does.
Text NameKey(TextView name) {
  Text key;
  key.reserve(name.size() + 4);
  for (size_t at = 0; at < name.size();) {
    const unsigned char letter = (unsigned char)name[at];
    if (letter >= 0x81 && at + 1 < name.size()) {  // a code page 936 pair, its trail byte untouched
      key.append(name.substr(at, 2));
      at += 2;
    } else if (IsDigit(char(letter))) {
      size_t end = at;
      while (end < name.size() && IsDigit(name[end])) ++end;
      size_t first = at;
      while (first < end && name[first] == '0') ++first;
      key += '0';
      key += char(std::min<size_t>(end - first + 1, 255));
      key.append(name.substr(first, end - first));
      at = end;
    } else {
      key += letter >= 'A' && letter <= 'Z' ? char(letter - 'A' + 'a') : char(letter);
      ++at;
    }
  }
  return key;
}

// "1.2 MB": a number with decimals, spaces, then B, KB, MB, GB or TB in
// either case. A size's key is 0 and the byte count's double, whose bits
// order as the values do; no size is 1, after every size.
Text SizeKey(TextView text) {
  size_t at = text.find_first_not_of(' ');
  if (at == TextView::npos || !IsDigit(text[at])) return "\x01";
  double value = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) value = value * 10 + (text[at] - '0');
  if (at < text.size() && text[at] == '.') {
    double scale = 0.1;
    for (++at; at < text.size() && IsDigit(text[at]); ++at, scale /= 10) value += (text[at] - '0') * scale;
  }
  while (at < text.size() && text[at] == ' ') ++at;
  Text unit;
  for (; at < text.size() && unit.size() < 3; ++at) {
    const char letter = text[at];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) break;
    unit += letter >= 'a' ? char(letter - 'a' + 'A') : letter;
  }
  static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
  for (const char* name : kUnits) {
    if (unit == name) {
      Text key(1, '\0');
      uint64_t bits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      AppendBigEndian(key, bits, 8);
      return key;
    }
    value *= 1024;
  }
  return "\x01";
}

uint64_t KeyPrefix(const Text& key) {
  uint64_t prefix = 0;
  for (size_t index = 0; index < 8; ++index)
    prefix = (prefix << 8) | (index < key.size() ? (unsigned char)key[index] : 0);
  return prefix;
}

struct Entry {
  uint64_t prefix;  // the key's first bytes: most comparisons end here
  int row;
};

struct EntryOrder {
  const std::vector<Text>* keys;
  bool descending;
  bool operator()(const Entry& first, const Entry& second) const {
    const Entry& a = descending ? second : first;
    const Entry& b = descending ? first : second;
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return (*keys)[a.row] < (*keys)[b.row];
  }
};

std::vector<Entry> Entries(const RowOrder& order, int first, int end) {
  std::vector<Entry> entries;
  entries.reserve(size_t(end - first));
  for (int row = first; row < end; ++row) entries.push_back({KeyPrefix(order.keys[row]), row});
  return entries;
}

// Grows as a vector does: reserving the exact count a batch would move every key each time.
void AddKeys(RowOrder& order, const RowStore& store, int first) {
  for (int row = first; row < store.RowCount(); ++row)
    order.keys.push_back(SortKey(order.column, store.Cell(row, order.column), row));
}

}  // namespace

Text SortKey(int column, TextView cell, int storeRow) {
  if (column == kNameColumn) return NameKey(cell);
  if (column == kSizeColumn) return SizeKey(cell);
  Text key;
  AppendBigEndian(key, uint32_t(storeRow), 4);
  return key;
}

void ResetOrder(RowOrder& order, bool keepKeys) {
  std::vector<Text> keys;
  if (keepKeys) keys.swap(order.keys);
  order = RowOrder();
  order.keys.swap(keys);
}

void SortRows(RowOrder& order, const RowStore& store, int column, bool descending) {
  const bool keysKept = order.sorted && order.column == column;
  ResetOrder(order, keysKept);
  order.column = column;
  order.descending = descending;
  if (column == 0 && !descending) return;
  if (!keysKept) {
    order.keys.reserve(size_t(store.RowCount()));
    AddKeys(order, store, 0);
  }
  order.sorted = true;
  std::vector<Entry> entries = Entries(order, 0, store.RowCount());
  std::stable_sort(entries.begin(), entries.end(), EntryOrder{&order.keys, descending});
  order.rows.resize(entries.size());
  for (size_t index = 0; index < entries.size(); ++index) order.rows[index] = entries[index].row;
}

void MergeNewRows(RowOrder& order, const RowStore& store, int firstNew, std::vector<int>& positions) {
  if (!order.sorted || firstNew >= store.RowCount()) return;
  AddKeys(order, store, firstNew);
  const EntryOrder before{&order.keys, order.descending};
  std::vector<Entry> added = Entries(order, firstNew, store.RowCount());
  std::stable_sort(added.begin(), added.end(), before);
  // Each new row's place among the rows shown: after those it ties with, as
  // it arrived later. Only the rows below the first place move.
  std::vector<int> places(added.size());
  std::vector<int> landedAbove(positions.size(), 0);
  for (size_t index = 0; index < added.size(); ++index) {
    const auto place = std::upper_bound(order.rows.begin(), order.rows.end(), added[index],
                                        [&](const Entry& entry, int row) {
                                          return before(entry, Entry{KeyPrefix(order.keys[row]), row});
                                        });
    places[index] = int(place - order.rows.begin());
    for (size_t tracked = 0; tracked < positions.size(); ++tracked)
      if (positions[tracked] >= 0 && places[index] <= positions[tracked]) ++landedAbove[tracked];
  }
  for (size_t tracked = 0; tracked < positions.size(); ++tracked) positions[tracked] += landedAbove[tracked];
  const size_t shown = order.rows.size();
  order.rows.resize(shown + added.size());
  size_t from = shown;  // old rows not yet moved: [0, from)
  for (size_t index = added.size(); index-- > 0;) {
    const size_t place = size_t(places[index]);
    for (; from > place; --from) order.rows[from - 1 + index + 1] = order.rows[from - 1];
    order.rows[place + index] = added[index].row;
  }
}
