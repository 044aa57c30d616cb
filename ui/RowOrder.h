#pragma once
// The order the result list shows its rows in: arrival order (the store's own)
// until a column is sorted, then a view position to store row map kept in
// order as rows arrive. A row's key for the sorted column is a string of
// nonzero bytes whose plain comparison is the column's order, read eight
// bytes at a time; only its first eight are kept (`leads`), the rest are
// read from the cell when two rows tie on them. Its memory is sized by the
// rows, so a refusal is an answer, as the store's is. Platform-free.
#include <cstdint>
#include <vector>

#include "ui/RowStore.h"

// Each column sorts as its record says (ui/ResultColumns.h): 序号 by
// arrival, 文件名 in natural order, 文件大小 by the bytes the text states.
// Ties keep arrival order, either way round.
struct RowOrder {
  bool sorted = false;  // false: position and store row are the same, nothing else is kept
  int column = -1;  // the column last sorted by, -1 none (arrival order without an arrow)
  bool descending = false;
  // By view position, the store row shown there. Rows stored since the last
  // merge are not in it yet: they follow it in arrival order.
  std::vector<int> rows;
  std::vector<uint64_t> leads;  // by store row, the first eight bytes of its key, big-endian
  // Room for the rows a merge puts in order before it places them.
  std::vector<int> merging;
};

[[nodiscard]] inline int StoreRowAt(const RowOrder& order, int position) {
  return order.sorted && position >= 0 && position < int(order.rows.size()) ? order.rows[position] : position;
}
// Where a stored row is shown (it may be one not yet merged); -1 for -1.
[[nodiscard]] int PositionOf(const RowOrder& order, int storeRow);

// Sorts every stored row by `column`. A column sorted by arrival, ascending,
// is arrival order, with nothing kept. False when the memory is refused: the order is as it was.
[[nodiscard]] bool SortRows(RowOrder& order, const RowStore& store, int column, bool descending);
// Back to arrival order, no column sorted.
void ResetOrder(RowOrder& order);
// Room for merging into a sorted order every row of a store of `rowCount`
// rows, taken before the store takes them; false when refused.
[[nodiscard]] bool ReserveRowRoom(RowOrder& order, int rowCount);
// The stored row's cell in the sorted column has changed: its key follows
// (the row keeps its place until the next sort).
void UpdateLeadKey(RowOrder& order, const RowStore& store, int storeRow);
// Merges the stored rows not yet in a sorted order into it (each lands after
// the rows it ties with), within the room ReserveRowRoom took for them. Each
// of `positions` (a view position before the merge, or -1 for none) becomes
// the position of the same row after it. Returns the first position a row
// landed at, -1 when none was merged.
int MergeNewRows(RowOrder& order, const RowStore& store, std::vector<int>& positions);
