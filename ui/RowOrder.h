#pragma once
// The order the result list shows its rows in: arrival order (the store's own)
// until a column is sorted, then a view position to store row map kept in
// order as rows arrive. Each row's key for the sorted column is made once, as
// bytes whose plain comparison is the column's order. Platform-free.
#include <cstdint>
#include <vector>

#include "text/Text.h"
#include "ui/RowStore.h"

struct RowOrder {
  bool sorted = false;  // false: position and store row are the same, nothing else is kept
  int column = -1;  // the column last sorted by, -1 none (arrival order without an arrow)
  bool descending = false;
  std::vector<int> rows;  // by view position, the store row shown there
  std::vector<Text> keys;  // by store row, for `column`
};

// 序号 (column 0) by arrival; 文件名 in natural order (digit runs by value,
// ASCII letters without case); 文件大小 by the bytes the text states, a text
// stating none after every size.
[[nodiscard]] Text SortKey(int column, TextView cell, int storeRow);

[[nodiscard]] inline int StoreRowAt(const RowOrder& order, int position) {
  return order.sorted && position >= 0 && position < int(order.rows.size()) ? order.rows[position] : position;
}

// Sorts every stored row by `column`; stable. 序号 ascending is arrival order,
// with nothing kept.
void SortRows(RowOrder& order, const RowStore& store, int column, bool descending);
// Back to arrival order, no column sorted.
void ResetOrder(RowOrder& order, bool keepKeys = false);
// Merges the store's rows from `firstNew` on into a sorted order (each lands
// after the rows it ties with). Each of `positions` (a view position before
// the merge, or -1 for none) becomes the position of the same row after it.
void MergeNewRows(RowOrder& order, const RowStore& store, int firstNew, std::vector<int>& positions);
