#include "ui/RowOrder.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "system/Room.h"

namespace {

constexpr uint64_t kNoSize = ~uint64_t(0);

// How the list sorts by `column`; a place with no column keeps arrival order.
ColumnSort SortOf(int column) {
  const ResultColumnRecord* record = ColumnAt(column);
  return record ? record->sort : ColumnSort::Arrival;
}

// The texts of the column being sorted in natural order.
struct SortedCells {
  const RowStore& store;
  int column;
  [[nodiscard]] const char* Of(int row) const { return store.CellBytes(row, column); }
};

bool IsDigit(char letter) { return letter >= '0' && letter <= '9'; }

// Where a name's key reader is: what the name's bytes before its place still
// owe the key.
enum class KeyStage : unsigned { Plain, RunLength, RunDigits, TrailByte };

// The key byte of a name's byte that stands for itself alone (most of them),
// 0 for the others: the end, a digit, a lead byte.
struct PlainKeyBytes {
  unsigned char of[256];
  constexpr PlainKeyBytes() : of() {
    for (unsigned letter = 1; letter < 0x81; ++letter)
      of[letter] = (unsigned char)(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter);
    for (unsigned digit = '0'; digit <= '9'; ++digit) of[digit] = 0;
  }
};
constexpr PlainKeyBytes kPlainKeyBytes;

// A name's key, eight bytes at a time, zeros past its end. A digit run
// becomes '0', its count of digits past leading zeros (plus one), and those
// digits: longer numbers are larger, and a run still compares with other
// characters as a digit does. ASCII letters are lower case; a code page 936
// pair stays as it is. No key byte is zero, so a key that ends sorts before
// every longer one it begins. The name is a cell's text up to its zero byte;
// a reader can go on from the place another one stopped at, so that a name
// is read once however long its ties.
class NameKeyReader {
 public:
  explicit NameKeyReader(const char* name, size_t at = 0, KeyStage stage = KeyStage::Plain)
      : name(name), at(at), stage(stage) {}
  uint64_t NextEight() {
    // The place in locals meanwhile, so that it stays in registers.
    size_t next = at;
    KeyStage now = stage;
    uint64_t eight = 0;
    for (int index = 0; index < 8; ++index) eight = eight << 8 | NextByte(name, next, now);
    at = next;
    stage = now;
    return eight;
  }
  [[nodiscard]] size_t At() const { return at; }
  [[nodiscard]] KeyStage Stage() const { return stage; }

 private:
  static unsigned NextByte(const char* name, size_t& at, KeyStage& stage) {
    if (stage == KeyStage::Plain) {
      if (const unsigned plain = kPlainKeyBytes.of[(unsigned char)name[at]]) {
        ++at;
        return plain;
      }
    }
    switch (stage) {
      case KeyStage::RunLength: {
        stage = KeyStage::RunDigits;
        size_t runEnd = at;
        while (IsDigit(name[runEnd])) ++runEnd;
        return unsigned(std::min<size_t>(runEnd - at + 1, 255));
      }
      case KeyStage::RunDigits:
        if (IsDigit(name[at])) return (unsigned char)name[at++];
        stage = KeyStage::Plain;
        break;
      case KeyStage::TrailByte:
        stage = KeyStage::Plain;
        return (unsigned char)name[at++];
      case KeyStage::Plain:
        break;
    }
    const unsigned char letter = (unsigned char)name[at];
    if (letter == 0) return 0;
    ++at;
    if (letter >= 0x81 && name[at] != '\0') {
      stage = KeyStage::TrailByte;
    } else if (IsDigit(char(letter))) {
      for (--at; name[at] == '0';) ++at;
      stage = KeyStage::RunLength;
      return '0';
    } else if (letter >= 'A' && letter <= 'Z') {
      return letter - 'A' + 'a';
    }
    return letter;
  }

  const char* name;
  size_t at;  // the next byte of the name to read
  KeyStage stage;
};

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
  // For a name, where its reader stopped: on a tie the next eight bytes are
  // read on from there. A name is far shorter than 2^30 bytes (a page is at
  // most 32 MB).
  uint32_t keyAt : 30;
  uint32_t keyStage : 2;
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
// each pass stable: entries that tie keep the order they came in.
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

constexpr ptrdiff_t kRadixFrom = 256;  // fewer are sorted faster by comparing

// By key; entries that tie end up in arrival order, as every run of ties
// sorted here comes in it. `scratch` holds as many entries from kRadixFrom on.
void SortByKey(Entry* first, Entry* last, Entry* scratch, bool descending) {
  if (last - first < kRadixFrom)
    std::sort(first, last, EntryOrder{descending});
  else
    RadixSort(first, last, scratch, descending);
}

// The end of the run of sorted entries from `run` on that hold its key.
Entry* RunEnd(Entry* run, Entry* last) {
  Entry* end = run + 1;
  while (end != last && end->key == run->key) ++end;
  return end;
}

// Whether the run's entries tie on a key that goes on past these eight bytes.
bool TieGoesOn(const Entry* run, const Entry* end) { return end - run > 1 && !KeyEnded(run->key); }

NameKeyReader ReaderOf(const Entry& entry, const SortedCells& cells) {
  return NameKeyReader(cells.Of(entry.row), entry.keyAt, KeyStage(entry.keyStage));
}

// The entry's name key: `eight`, read by `reader`, which stopped there.
void SetKey(Entry& entry, uint64_t eight, const NameKeyReader& reader) {
  entry.key = eight;
  entry.keyAt = uint32_t(reader.At());
  entry.keyStage = unsigned(reader.Stage());
}

// The entry's name key: the eight bytes `skipped` eights on from where its
// reader stopped.
void ReadNextEight(Entry& entry, const SortedCells& cells, size_t skipped = 0) {
  NameKeyReader reader = ReaderOf(entry, cells);
  for (; skipped > 0; --skipped) (void)reader.NextEight();
  SetKey(entry, reader.NextEight(), reader);
}

// Each entry's next eight bytes of its name's key, past the eights all the
// range's names tie on (up to a bound): names that all tie on the eights
// before often tie much further (a series' long title). Each name is read on
// against the first's as far as the names before it all tied, in one go: a
// name read again for each eight would come from memory each time. Names
// read further than they all tie are read again from where they were, kept
// in `scratch` meanwhile.
void ReadPastTies(const SortedCells& cells, Entry* first, Entry* last, Entry* scratch) {
  constexpr size_t kAtMost = 64;
  uint64_t expected[kAtMost];
  NameKeyReader reference = ReaderOf(*first, cells);
  size_t known = 0, tied = kAtMost;
  std::copy(first, last, scratch);
  for (Entry* entry = first + 1; entry != last; ++entry) {
    NameKeyReader reader = ReaderOf(*entry, cells);
    uint64_t eight = reader.NextEight();
    size_t count = 0;
    for (; count < tied; ++count, eight = reader.NextEight()) {
      if (count == known) expected[known++] = reference.NextEight();
      if (eight != expected[count] || KeyEnded(eight)) break;
    }
    SetKey(*entry, eight, reader);
    scratch[entry - first].key = count;  // the eights it tied on
    tied = count;
  }
  for (Entry* entry = first; entry != last; ++entry) {
    const Entry& before = scratch[entry - first];
    if (entry != first && before.key == tied) continue;
    *entry = before;
    ReadNextEight(*entry, cells, tied);
  }
}

// A range of entries sorted by their keys so far whose runs of ties are
// sorted one after the other from `next` on, the largest last.
struct TiedRuns {
  Entry* next;
  Entry* last;
  Entry* largest;
  Entry* largestEnd;
};

// The next run of ties to sort: one of the innermost range's, its largest
// once no other is left (the range then done with); false when none is.
bool TakeTiedRun(TiedRuns* putAside, int& depth, Entry*& first, Entry*& last) {
  if (depth == 0) return false;
  TiedRuns& runs = putAside[depth - 1];
  while (runs.next != runs.last) {
    Entry* run = runs.next;
    Entry* end = run == runs.largest ? runs.largestEnd : RunEnd(run, runs.last);
    runs.next = end;
    if (run != runs.largest && TieGoesOn(run, end)) {
      first = run;
      last = end;
      return true;
    }
  }
  first = runs.largest;
  last = runs.largestEnd;
  --depth;
  return true;
}

// Sorts a run of entries whose names tie on their keys so far by what
// follows: by the next eight bytes of each (past those all of them tie on),
// then each run of ties among them in turn, until keys end. Without
// recursion: a range's largest run of ties is sorted after the others, in
// the range's stead, so that each range put aside holds at most half the one
// before it, fewer ranges than bits in a count.
void SortTies(const SortedCells& cells, Entry* first, Entry* last, Entry* scratch, bool descending) {
  TiedRuns putAside[8 * sizeof(int)];
  int depth = 0;
  for (;;) {
    ReadPastTies(cells, first, last, scratch);
    const bool allTie = RunEnd(first, last) == last;
    if (allTie && !KeyEnded(first->key)) continue;  // past the bound, still tied
    if (!allTie) {
      SortByKey(first, last, scratch, descending);
      TiedRuns runs = {first, last, nullptr, nullptr};
      for (Entry* run = first; run != last;) {
        Entry* end = RunEnd(run, last);
        if (TieGoesOn(run, end) && (!runs.largest || end - run > runs.largestEnd - runs.largest)) {
          runs.largest = run;
          runs.largestEnd = end;
        }
        run = end;
      }
      if (runs.largest) putAside[depth++] = runs;
    }
    if (!TakeTiedRun(putAside, depth, first, last)) return;
  }
}

// Sorts entries in arrival order by their keys' first eight bytes; names
// that tie on them by what follows, each name read about once. `scratch`
// holds as many entries.
void SortEntries(const SortedCells& cells, bool descending, Entry* first, Entry* last, Entry* scratch) {
  SortByKey(first, last, scratch, descending);
  if (SortOf(cells.column) != ColumnSort::NaturalText) return;
  for (Entry* run = first; run != last;) {
    Entry* end = RunEnd(run, last);
    if (TieGoesOn(run, end)) {
      // Read again, for where each reader stops.
      for (Entry* entry = run; entry != end; ++entry) ReadNextEight(*entry, cells);
      SortTies(cells, run, end, scratch, descending);
    }
    run = end;
  }
}

// The first eight bytes of a stored row's key.
uint64_t LeadKey(const RowStore& store, int column, int storeRow) {
  switch (SortOf(column)) {
    case ColumnSort::NaturalText:
      return NameKeyReader(store.CellBytes(storeRow, column)).NextEight();
    case ColumnSort::StatedSize:
      return SizeKey(store.Cell(storeRow, column));
    case ColumnSort::Arrival:
      break;
  }
  return uint64_t(storeRow);
}

// Whether stored row `a` is shown before stored row `b`: each name read
// only as far as the two tie.
bool ShownBefore(const RowOrder& order, const RowStore& store, int a, int b) {
  uint64_t keyA = order.leads[a], keyB = order.leads[b];
  if (keyA == keyB && SortOf(order.column) == ColumnSort::NaturalText && !KeyEnded(keyA)) {
    NameKeyReader readerA(store.CellBytes(a, order.column)), readerB(store.CellBytes(b, order.column));
    (void)readerA.NextEight();
    (void)readerB.NextEight();
    do {
      keyA = readerA.NextEight();
      keyB = readerB.NextEight();
    } while (keyA == keyB && !KeyEnded(keyA));
  }
  return EntryOrder{order.descending}(Entry{keyA, a, 0, 0}, Entry{keyB, b, 0, 0});
}

// Capacity for `count` items: half as many again as it had when it grows,
// or just `count` when that much more is refused.
template <typename Item>
bool GrowRoom(std::vector<Item>& items, size_t count) {
  if (count <= items.capacity()) return true;
  return ReserveRoom(items, std::max(count, items.capacity() + items.capacity() / 2)) || ReserveRoom(items, count);
}

}  // namespace

int PositionOf(const RowOrder& order, int storeRow) {
  if (!order.sorted || storeRow < 0) return storeRow;
  const auto found = std::find(order.rows.begin(), order.rows.end(), storeRow);
  return found != order.rows.end() ? int(found - order.rows.begin()) : storeRow;
}

void ResetOrder(RowOrder& order) { order = RowOrder(); }

bool SortRows(RowOrder& order, const RowStore& store, int column, bool descending) {
  if (SortOf(column) == ColumnSort::Arrival && !descending) {
    ResetOrder(order);
    order.column = 0;
    return true;
  }
  const int count = store.RowCount();
  const bool leadsKept = order.sorted && order.column == column && int(order.leads.size()) == count;
  // All the room first: a refusal leaves the order as it was.
  std::vector<Entry> entries, scratch;
  std::vector<uint64_t> leads;
  std::vector<int> rows;
  if (!ReserveRoom(entries, size_t(count)) || !ReserveRoom(scratch, size_t(count)) ||
      (!leadsKept && !ReserveRoom(leads, size_t(count))) ||
      (order.rows.capacity() < size_t(count) && !ReserveRoom(rows, size_t(count))))
    return false;
  for (int row = 0; row < count; ++row) {
    entries.push_back({leadsKept ? order.leads[row] : LeadKey(store, column, row), row, 0, 0});
    if (!leadsKept) leads.push_back(entries.back().key);
  }
  scratch.resize(scratch.capacity());
  SortEntries(SortedCells{store, column}, descending, entries.data(), entries.data() + count, scratch.data());
  order.sorted = true;
  order.column = column;
  order.descending = descending;
  if (!leadsKept) order.leads.swap(leads);
  if (order.rows.capacity() < size_t(count)) order.rows.swap(rows);
  order.rows.resize(size_t(count));
  for (int position = 0; position < count; ++position) order.rows[position] = entries[position].row;
  return true;
}

bool ReserveRowRoom(RowOrder& order, int rowCount) {
  const size_t count = size_t(rowCount);
  return GrowRoom(order.rows, count) && GrowRoom(order.leads, count) &&
         GrowRoom(order.merging, count - std::min(count, order.rows.size()));
}

void UpdateLeadKey(RowOrder& order, const RowStore& store, int storeRow) {
  if (order.sorted && storeRow >= 0 && storeRow < int(order.leads.size()))
    order.leads[storeRow] = LeadKey(store, order.column, storeRow);
}

int MergeNewRows(RowOrder& order, const RowStore& store, std::vector<int>& positions) {
  const int shown = int(order.rows.size());
  const int count = store.RowCount();
  if (!order.sorted || shown >= count) return -1;
  const auto shownBefore = [&](int a, int b) { return ShownBefore(order, store, a, b); };
  // None of these grows past the room reserved.
  order.leads.resize(size_t(count));
  std::vector<int>& added = order.merging;
  added.clear();
  for (int row = shown; row < count; ++row) {
    order.leads[row] = LeadKey(store, order.column, row);
    added.push_back(row);
  }
  std::sort(added.begin(), added.end(), shownBefore);
  // From the last new row to the first, each lands after the rows shown that
  // it ties with, as it arrived later, and the rows shown below it move down
  // by the new rows from it on. Only the rows below the first place move.
  std::vector<int> landedAbove(positions.size(), 0);
  order.rows.resize(size_t(count));
  int place = -1;
  size_t unmoved = size_t(shown);  // old rows not yet moved: [0, unmoved)
  for (size_t index = added.size(); index-- > 0;) {
    place = int(std::upper_bound(order.rows.begin(), order.rows.begin() + unmoved, added[index], shownBefore) -
                order.rows.begin());
    for (; unmoved > size_t(place); --unmoved) order.rows[unmoved + index] = order.rows[unmoved - 1];
    order.rows[size_t(place) + index] = added[index];
    for (size_t tracked = 0; tracked < positions.size(); ++tracked)
      if (positions[tracked] >= 0 && place <= positions[tracked]) ++landedAbove[tracked];
  }
  for (size_t tracked = 0; tracked < positions.size(); ++tracked) positions[tracked] += landedAbove[tracked];
  added.clear();
  return place;
}
