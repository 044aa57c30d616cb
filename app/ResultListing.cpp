#include "app/ResultListing.h"

#include "app/RunDisplay.h"
#include "app/RunEnd.h"

const char kRowsHadNoRoom[] = "内存不足, 搜索已停止";

void ListRows(AppState& app, const RowBatch& rows) {
  ListView& list = app.window.超级列表框1;
  const bool whole = list.AppendRows(rows, app.search.rowLimit);
  ShowResultCountSoon(app);
  if (!whole)
    EndRun(app, RunEnding::ListFull, kRowsHadNoRoom);
  else if (list.rows.RowCount() >= app.search.rowLimit)
    EndRun(app, RunEnding::ListFull, "已达" + DecimalText(app.search.rowLimit) + "条结果上限, 搜索已停止");
}
