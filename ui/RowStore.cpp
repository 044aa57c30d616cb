#include "ui/RowStore.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kRowsPerPage = 4096;
constexpr size_t kTextBlockSize = 256 * 1024;
// A text longer than this gets a block of its own, so that little is wasted
// at the end of a shared block.
constexpr size_t kLongestSharedText = kTextBlockSize / 16;

const char kEmptyText[] = "";
// A state image index is 4 bits: check states -1 to 14.
constexpr int kHighestCheck = 14;

void AppendCell(Text& packed, TextView cell) {
  packed.append(cell.substr(0, cell.find('\0')));
  packed += '\0';
}

}  // namespace

void RowBatch::Add(const TextView (&cells)[kResultColumnCount]) {
  for (TextView cell : cells) AppendCell(packed, cell);
  ++rowCount;
}

RowStore::RowStore(RowStore&& other) noexcept { *this = std::move(other); }

RowStore& RowStore::operator=(RowStore&& other) noexcept {
  if (this == &other) return *this;
  FreeAll();
  rowPages = std::exchange(other.rowPages, BlockList());
  textBlocks = std::exchange(other.textBlocks, BlockList());
  textCursor = std::exchange(other.textCursor, nullptr);
  textLeft = std::exchange(other.textLeft, 0);
  rowCount = std::exchange(other.rowCount, 0);
  bytesHeld = std::exchange(other.bytesHeld, 0);
  byteLimit = other.byteLimit;
  return *this;
}

RowStore::~RowStore() { FreeAll(); }

RowStore::Row* RowStore::RowAt(int row) const {
  if (row < 0 || row >= rowCount) return nullptr;
  return static_cast<Row*>(rowPages.items[row / kRowsPerPage]) + row % kRowsPerPage;
}

void* RowStore::Take(size_t size) const {
  if (size > byteLimit || bytesHeld > byteLimit - size) return nullptr;
  return std::malloc(size);
}

bool RowStore::Push(BlockList& list, void* block) {
  if (list.count == list.capacity) {
    size_t capacity = list.capacity ? list.capacity * 2 : 64;
    const size_t added = (capacity - list.capacity) * sizeof(void*);
    if (added > byteLimit || bytesHeld > byteLimit - added) return false;
    void* grown = std::realloc(list.items, capacity * sizeof(void*));
    if (!grown) return false;
    bytesHeld += added;
    list.items = static_cast<void**>(grown);
    list.capacity = capacity;
  }
  list.items[list.count++] = block;
  return true;
}

char* RowStore::TextRoom(size_t size) {
  if (size > kLongestSharedText) {
    char* own = static_cast<char*>(Take(size));
    if (!own) return nullptr;
    if (!Push(textBlocks, own)) {
      std::free(own);
      return nullptr;
    }
    bytesHeld += size;
    return own;
  }
  if (size > textLeft) {
    char* block = static_cast<char*>(Take(kTextBlockSize));
    if (!block) return nullptr;
    if (!Push(textBlocks, block)) {
      std::free(block);
      return nullptr;
    }
    bytesHeld += kTextBlockSize;
    textCursor = block;
    textLeft = kTextBlockSize;
  }
  char* room = textCursor;
  textCursor += size;
  textLeft -= size;
  return room;
}

bool RowStore::Append(const RowBatch& batch, int rowLimit) {
  const int taken = rowLimit - rowCount < batch.rowCount ? rowLimit - rowCount : batch.rowCount;
  if (taken <= 0) return true;
  // Room for the rows first: a refusal then leaves no text behind that no row holds.
  const int wanted = rowCount + taken;
  const size_t pagesWanted = size_t(wanted - 1) / kRowsPerPage + 1;
  while (rowPages.count < pagesWanted) {
    void* page = Take(kRowsPerPage * sizeof(Row));
    if (!page) return false;
    if (!Push(rowPages, page)) {
      std::free(page);
      return false;
    }
    bytesHeld += kRowsPerPage * sizeof(Row);
  }
  const char* bytes = batch.packed.data();
  const char* end = bytes + batch.packed.size();
  // Each row's texts stay together, copied at once.
  for (int added = 0; added < taken; ++added) {
    const char* starts[kColumnCount];
    const char* at = bytes;
    for (int column = 0; column < kColumnCount; ++column) {
      starts[column] = at;
      const void* zero = at < end ? std::memchr(at, '\0', size_t(end - at)) : nullptr;
      at = zero ? static_cast<const char*>(zero) + 1 : end;
    }
    const size_t size = size_t(at - bytes);
    char* room = size > kColumnCount ? TextRoom(size) : nullptr;
    if (size > kColumnCount && !room) return false;  // the rows added so far stay
    if (room) std::memcpy(room, bytes, size);
    Row row;
    for (int column = 0; column < kColumnCount; ++column) {
      const char* start = starts[column];
      row.cells[column] = room && start < at && *start ? room + (start - bytes) : kEmptyText;
    }
    row.check = 0;
    ++rowCount;
    *RowAt(rowCount - 1) = row;
    bytes = at;
  }
  return true;
}

const char* RowStore::CellBytes(int row, int column) const {
  const Row* stored = RowAt(row);
  if (!stored || column < 0 || column >= kColumnCount) return kEmptyText;
  return stored->cells[column];
}

bool RowStore::SetCell(int row, int column, TextView text) {
  Row* stored = RowAt(row);
  if (!stored || column < 0 || column >= kColumnCount) return false;
  text = text.substr(0, text.find('\0'));
  if (text.empty()) {
    stored->cells[column] = kEmptyText;
    return true;
  }
  // The old text stays where it was, unused: cells are seldom rewritten.
  char* room = TextRoom(text.size() + 1);
  if (!room) return false;
  std::memcpy(room, text.data(), text.size());
  room[text.size()] = '\0';
  stored->cells[column] = room;
  return true;
}

int RowStore::Check(int row) const {
  const Row* stored = RowAt(row);
  return stored ? stored->check : -1;
}

void RowStore::SetCheck(int row, int state) {
  if (Row* stored = RowAt(row)) stored->check = static_cast<signed char>(state < -1 ? -1 : state > kHighestCheck ? kHighestCheck : state);
}

void RowStore::SetEveryCheck(int state) {
  for (int row = 0; row < rowCount; ++row) SetCheck(row, state);
}

void RowStore::Clear() { FreeAll(); }

void RowStore::FreeAll() {
  for (size_t index = 0; index < rowPages.count; ++index) std::free(rowPages.items[index]);
  for (size_t index = 0; index < textBlocks.count; ++index) std::free(textBlocks.items[index]);
  std::free(rowPages.items);
  std::free(textBlocks.items);
  rowPages = BlockList();
  textBlocks = BlockList();
  textCursor = nullptr;
  textLeft = 0;
  rowCount = 0;
  bytesHeld = 0;
}
