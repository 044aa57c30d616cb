#pragma once
// The result list's columns, a record each, in the list's order. What shows,
// keeps, sorts or reads a column asks this table by the column's id: adding a
// column is a record here (and, for a new kind of cell, its making in
// app/ResultPattern.cpp). Platform-free.

// A column's id: its place in the list.
enum class ResultColumn { Number, FileName, Size, Address };

// How the list orders its rows by the column. Ties keep arrival order.
enum class ColumnSort {
  Arrival,      // the order the rows came in
  NaturalText,  // digit runs by their value, ASCII letters without case
  StatedSize,   // by the bytes the text states; a text stating none after every size
};

// What a row's cell is made of.
enum class CellSource {
  RowNumber,   // the row's number in its search
  MatchGroup,  // a group of the result pattern's match, as matched
  SizeGroup,   // a group of the match stating a size, every "?" removed
};

struct ResultColumnRecord {
  ResultColumn id;
  const char* title;  // code page 936
  int width;          // at 96 DPI; 0 for a column kept but never shown
  CellSource source;
  int matchGroup;  // the group the cell is made of; 0 for a cell made otherwise
  ColumnSort sort;
  bool link;  // the row's download address: what copy and hand-off read
};

inline constexpr ResultColumnRecord kResultColumns[] = {
    {ResultColumn::Number, "序号", 60, CellSource::RowNumber, 0, ColumnSort::Arrival, false},
    // Six spaces leave room for 全选框 in the header.
    {ResultColumn::FileName, "      文件名", 450, CellSource::MatchGroup, 1, ColumnSort::NaturalText, false},
    {ResultColumn::Size, "文件大小", 120, CellSource::SizeGroup, 2, ColumnSort::StatedSize, false},
    {ResultColumn::Address, "", 0, CellSource::MatchGroup, 14, ColumnSort::Arrival, true},
};

inline constexpr int kResultColumnCount = int(sizeof kResultColumns / sizeof kResultColumns[0]);

[[nodiscard]] constexpr int ColumnIndex(ResultColumn id) { return int(id); }

// The column's record; null for a place the list has no column at.
[[nodiscard]] constexpr const ResultColumnRecord* ColumnAt(int column) {
  return column >= 0 && column < kResultColumnCount ? &kResultColumns[column] : nullptr;
}

// The one column copy and hand-off read.
[[nodiscard]] constexpr int LinkColumn() {
  int found = -1;
  for (int column = 0; column < kResultColumnCount; ++column)
    if (kResultColumns[column].link) found = found == -1 ? column : -2;
  return found;
}

namespace result_columns_checked {
constexpr bool EachIdIsItsPlace() {
  for (int column = 0; column < kResultColumnCount; ++column)
    if (ColumnIndex(kResultColumns[column].id) != column) return false;
  return true;
}
static_assert(EachIdIsItsPlace(), "a column's record stands at its id's place");
static_assert(LinkColumn() >= 0, "exactly one column is the row's link");
}  // namespace result_columns_checked
