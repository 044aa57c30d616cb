#pragma once
// The body of each search's worker: walks the result pages of the keyword
// from page 1 and lists each torrent once, until a page yields none that
// is new.
#include "app/SearchRunRecord.h"

void SearchRun(SearchRunRecord& run);

// A worker's last step when its run ends by itself: the controls go Idle.
void FinishSearchRun(SearchRunRecord& run);
