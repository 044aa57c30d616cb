#pragma once
// The result list's rows, kept for the owner-data list view that shows them:
// every cell text in large blocks of bytes, each text followed by a zero byte,
// and a row a small record of where its texts are (a column each, as
// ui/ResultColumns.h lists them) and its check state.
// A stored text never moves. Memory the system refuses is an answer (false,
// nothing changed), never the fatal report: a full store must not cost the
// rows it holds. Platform-free; used on one thread.
#include <cstddef>

#include "text/Text.h"
#include "ui/ResultColumns.h"

// Rows on their way to the store: each row's cells, each followed by a zero
// byte (a cell ends at its first zero byte, as the list shows it).
struct RowBatch {
  Text packed;
  int rowCount = 0;
  // A row of cells in the columns' order; the columns left out are empty.
  void Add(const TextView (&cells)[kResultColumnCount]);
};

class RowStore {
 public:
  static constexpr int kColumnCount = kResultColumnCount;
  static constexpr int kNoRowLimit = 0x7FFFFFFF;

  RowStore() = default;
  RowStore(RowStore&& other) noexcept;
  RowStore& operator=(RowStore&& other) noexcept;
  RowStore(const RowStore&) = delete;
  RowStore& operator=(const RowStore&) = delete;
  ~RowStore();

  [[nodiscard]] int RowCount() const { return rowCount; }
  // The batch's rows in order, new rows unchecked, until the store holds
  // `rowLimit` rows; false when memory is refused, with the rows before the
  // refused one added.
  [[nodiscard]] bool Append(const RowBatch& batch, int rowLimit = kNoRowLimit);
  // The cell's text; empty for a row or column that does not exist.
  [[nodiscard]] TextView Cell(int row, int column) const { return CellBytes(row, column); }
  [[nodiscard]] TextView Cell(int row, ResultColumn column) const { return Cell(row, ColumnIndex(column)); }
  // The same text up to its zero byte, not measured: for a reader that goes
  // on from where it was, as a long text would cost its length each time.
  [[nodiscard]] const char* CellBytes(int row, int column) const;
  // Replaces one cell's text; false when the cell does not exist or memory is refused.
  [[nodiscard]] bool SetCell(int row, int column, TextView text);
  // 1 checked, 0 unchecked, -1 no check box or no such row.
  [[nodiscard]] int Check(int row) const;
  // `state` below -1 counts as -1; a row that does not exist changes nothing.
  void SetCheck(int row, int state);
  void SetEveryCheck(int state);
  void Clear();
  // Everything the store has taken from the heap, for the memory figures.
  [[nodiscard]] size_t BytesHeld() const { return bytesHeld; }
  // The most the store takes from the heap; past it an append is refused as
  // if the system had refused the memory. No limit unless set.
  void SetByteLimit(size_t limit) { byteLimit = limit; }

 private:
  struct Row {
    const char* cells[kColumnCount];
    signed char check;
  };
  // A growable array of block addresses, on the C heap like the blocks.
  struct BlockList {
    void** items = nullptr;
    size_t count = 0;
    size_t capacity = 0;
  };

  [[nodiscard]] Row* RowAt(int row) const;
  // Room for `size` bytes of text that stay where they are; null when refused.
  [[nodiscard]] char* TextRoom(size_t size);
  [[nodiscard]] bool Push(BlockList& list, void* block);
  // malloc within the byte limit.
  [[nodiscard]] void* Take(size_t size) const;
  void FreeAll();

  BlockList rowPages;    // kRowsPerPage rows each
  BlockList textBlocks;  // kTextBlockSize bytes each, or one long text
  char* textCursor = nullptr;
  size_t textLeft = 0;
  int rowCount = 0;
  size_t bytesHeld = 0;
  size_t byteLimit = size_t(-1);
};
