#include "ui/RowOrder.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;
constexpr uint64_t kNoSize = ~uint64_t(0);

bool IsDigit(char letter) { return letter >= '0' && letter <= '9'; }

// A name's key, eight bytes at a time, zeros past its end. A digit run
// becomes '0', its count of digits past leading zeros (plus one), and those
// digits: longer numbers are larger, and a run still compares with other
// characters as a digit does. ASCII letters are lower case; a code page 936
// pair stays as it is. No key byte is zero, so a key that ends sorts before
// every longer one it begins.
class NameKeyReader {
 public:
  explicit NameKeyReader(TextView name) : name(name) {}
  uint64_t NextEight() {
    uint64_t eight = 0;
    for (int index = 0; index < 8; ++index) eight = eight << 8 | NextByte();
    return eight;
  }

 private:
  enum class Stage { Plain, RunLength, RunDigits, TrailByte };
  unsigned NextByte() {
    switch (stage) {
      case Stage::RunLength:
        stage = Stage::RunDigits;
        return unsigned(std::min<size_t>(runEnd - at + 1, 255));
      case Stage::RunDigits:
        if (at < runEnd) return (unsigned char)name[at++];
        stage = Stage::Plain;
        break;
      case Stage::TrailByte:
        stage = Stage::Plain;
        return (unsigned char)name[at++];
      case Stage::Plain:
        break;
    }
    if (at >= name.size()) return 0;
    const unsigned char letter = (unsigned char)name[at++];
    if (letter >= 0x81 && at < name.size()) {
      stage = Stage::TrailByte;
    } else if (IsDigit(char(letter))) {
      runEnd = at - 1;
      while (runEnd < name.size() && IsDigit(name[runEnd])) ++runEnd;
      at -= 1;
      while (at < runEnd && name[at] == '0') ++at;
      stage = Stage::RunLength;
      return '0';
    } else if (letter >= 'A' && letter <= 'Z') {
      return letter - 'A' + 'a';
    }
    return letter;
  }

  TextView name;
  size_t at = 0;  // the next byte of the name to read
  size_t runEnd = 0;
  Stage stage = Stage::Plain;
};

// The key's eight bytes from byte 8 × `eights` on.
uint64_t NameKeyEight(TextView name, size_t eights) {
  NameKeyReader reader(name);
  for (; eights > 0; --eights) (void)reader.NextEight();
  return reader.NextEight();
}

bool KeyEnded(uint64_t eight) { return (eight & 0xFF) == 0; }

// "1.2 MB": a number with decimals, spaces, then B, KB, MB, GB or TB in
// either case. The byte count as a double, whose bits order as the values
// do; a text stating no size is after every size.
uint64_t SizeKey(TextView text) {
  size_t at = text.find_first_not_of(' ');
  if (at == TextView::npos || !IsDigit(text[at])) return kNoSize;
  double value = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) value = value * 10 + (text[at] - '0');
  if (at < text.size() && text[at] == '.') {
    double scale = 0.1;
    for (++at; at < text.size() && IsDigit(text[at]); ++at, scale /= 10) value += (text[at] - '0') * scale;
  }
  while (at < text.size() && text[at] == ' ') ++at;
  char unit[4] = {};
  for (size_t length = 0; at < text.size() && length < 3; ++at, ++length) {
    const char letter = text[at];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) break;
    unit[length] = letter >= 'a' ? char(letter - 'a' + 'A') : letter;
  }
  static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
  for (const char* name : kUnits) {
    if (std::strcmp(unit, name) == 0) {
      uint64_t bits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      return bits;
    }
    value *= 1024;
  }
  return kNoSize;
}

struct Entry {
  uint64_t key;  // eight bytes of the row's key
  int row;
};

struct EntryOrder {
  bool descending;
  bool operator()(const Entry& a, const Entry& b) const {
    if (a.key != b.key) return descending ? a.key > b.key : a.key < b.key;
    return a.row < b.row;
  }
};

// The byte of the key at `shift` whose ascending order is the entries' order.
unsigned KeyDigit(uint64_t key, int shift, bool descending) {
  return unsigned(((descending ? ~key : key) >> shift) & 0xFF);
}

// By key, a byte a pass from the last (passes over one byte value skipped),
// each pass stable: entries that tie keep the order they came in, which is
// arrival order.
void RadixSort(Entry* first, Entry* last, Entry* scratch, bool descending) {
  const size_t count = size_t(last - first);
  Entry* from = first;
  Entry* to = scratch;
  for (int shift = 0; shift < 64; shift += 8) {
    size_t starts[256] = {};
    for (const Entry* entry = from; entry != from + count; ++entry) ++starts[KeyDigit(entry->key, shift, descending)];
    if (starts[KeyDigit(from->key, shift, descending)] == count) continue;
    size_t start = 0;
    for (size_t& bucket : starts) start += std::exchange(bucket, start);
    for (const Entry* entry = from; entry != from + count; ++entry)
      to[starts[KeyDigit(entry->key, shift, descending)]++] = *entry;
    std::swap(from, to);
  }
  if (from != first) std::copy(from, from + count, first);
}

// Sorts entries in arrival order whose keys agree before byte 8 × `eights`
// and hold that byte's eight: eight bytes at a time, each run of rows tied on
// them sorted again by the next eight, until keys end. Ties in the end by
// arrival. `scratch` holds as many entries.
void SortEntries(const RowOrder& order, const RowStore& store, Entry* first, Entry* last, Entry* scratch,
                 size_t eights) {
  constexpr ptrdiff_t kRadixFrom = 256;  // fewer are sorted faster by comparing
  if (last - first < kRadixFrom)
    std::sort(first, last, EntryOrder{order.descending});
  else
    RadixSort(first, last, scratch, order.descending);
  if (order.column != kNameColumn) return;
  for (Entry* run = first; run != last;) {
    Entry* end = run + 1;
    while (end != last && end->key == run->key) ++end;
    if (end - run > 1 && !KeyEnded(run->key)) {
      for (Entry* entry = run; entry != end; ++entry)
        entry->key = NameKeyEight(store.Cell(entry->row, kNameColumn), eights + 1);
      SortEntries(order, store, run, end, scratch, eights + 1);
    }
    run = end;
  }
}

// Sorts entries in arrival order.
void SortEntries(const RowOrder& order, const RowStore& store, std::vector<Entry>& entries) {
  std::vector<Entry> scratch(entries.size());
  SortEntries(order, store, entries.data(), entries.data() + entries.size(), scratch.data(), 0);
}

// Whether stored row `a` is shown before stored row `b`.
bool ShownBefore(const RowOrder& order, const RowStore& store, int a, int b) {
  uint64_t keyA = order.leads[a], keyB = order.leads[b];
  if (keyA == keyB && order.column == kNameColumn && !KeyEnded(keyA)) {
    NameKeyReader readerA(store.Cell(a, kNameColumn)), readerB(store.Cell(b, kNameColumn));
    (void)readerA.NextEight();
    (void)readerB.NextEight();
    do {
      keyA = readerA.NextEight();
      keyB = readerB.NextEight();
    } while (keyA == keyB && !KeyEnded(keyA));
  }
  return EntryOrder{order.descending}(Entry{keyA, a}, Entry{keyB, b});
}

// Entries for the stored rows from `first` on, their leads made.
std::vector<Entry> LeadEntries(RowOrder& order, const RowStore& store, int first) {
  order.leads.resize(size_t(store.RowCount()));
  std::vector<Entry> entries;
  entries.reserve(size_t(store.RowCount() - first));
  for (int row = first; row < store.RowCount(); ++row) {
    order.leads[row] = LeadKey(order.column, store.Cell(row, order.column), row);
    entries.push_back({order.leads[row], row});
  }
  return entries;
}

}  // namespace

uint64_t LeadKey(int column, TextView cell, int storeRow) {
  if (column == kNameColumn) return NameKeyEight(cell, 0);
  if (column == kSizeColumn) return SizeKey(cell);
  return uint64_t(storeRow);
}

void ResetOrder(RowOrder& order, bool keepLeads) {
  std::vector<uint64_t> leads;
  if (keepLeads) leads.swap(order.leads);
  order = RowOrder();
  order.leads.swap(leads);
}

void SortRows(RowOrder& order, const RowStore& store, int column, bool descending) {
  const bool leadsKept = order.sorted && order.column == column && int(order.leads.size()) == store.RowCount();
  ResetOrder(order, leadsKept);
  order.column = column;
  order.descending = descending;
  if (column == 0 && !descending) return;
  order.sorted = true;
  std::vector<Entry> entries;
  if (leadsKept) {
    entries.reserve(order.leads.size());
    for (int row = 0; row < store.RowCount(); ++row) entries.push_back({order.leads[row], row});
  } else {
    entries = LeadEntries(order, store, 0);
  }
  SortEntries(order, store, entries);
  order.rows.resize(entries.size());
  for (size_t index = 0; index < entries.size(); ++index) order.rows[index] = entries[index].row;
}

void UpdateLeadKey(RowOrder& order, const RowStore& store, int storeRow) {
  if (order.sorted && storeRow >= 0 && storeRow < int(order.leads.size()))
    order.leads[storeRow] = LeadKey(order.column, store.Cell(storeRow, order.column), storeRow);
}

int MergeNewRows(RowOrder& order, const RowStore& store, std::vector<int>& positions) {
  const int firstNew = int(order.rows.size());
  if (!order.sorted || firstNew >= store.RowCount()) return -1;
  std::vector<Entry> added = LeadEntries(order, store, firstNew);
  SortEntries(order, store, added);
  // Each new row's place among the rows shown: after those it ties with, as
  // it arrived later. The new rows are in order, so each place is at or
  // after the one before. Only the rows below the first place move.
  std::vector<int> places(added.size());
  std::vector<int> landedAbove(positions.size(), 0);
  auto from = order.rows.begin();
  for (size_t index = 0; index < added.size(); ++index) {
    from = std::upper_bound(from, order.rows.end(), added[index].row,
                            [&](int newRow, int shownRow) { return ShownBefore(order, store, newRow, shownRow); });
    places[index] = int(from - order.rows.begin());
    for (size_t tracked = 0; tracked < positions.size(); ++tracked)
      if (positions[tracked] >= 0 && places[index] <= positions[tracked]) ++landedAbove[tracked];
  }
  for (size_t tracked = 0; tracked < positions.size(); ++tracked) positions[tracked] += landedAbove[tracked];
  const size_t shown = order.rows.size();
  order.rows.resize(shown + added.size());
  size_t unmoved = shown;  // old rows not yet moved: [0, unmoved)
  for (size_t index = added.size(); index-- > 0;) {
    const size_t place = size_t(places[index]);
    for (; unmoved > place; --unmoved) order.rows[unmoved - 1 + index + 1] = order.rows[unmoved - 1];
    order.rows[place + index] = added[index].row;
  }
  return places[0];
}
