#pragma once
// What the user does with the listed rows: check all, the popup menu, copy a
// download address, hand addresses to Thunder. UI thread only.
#include "app/SearchState.h"
#include "text/Text.h"

void OnSelectAllClick(AppState& app);
void OnListRightClick(AppState& app);
void OnCopyAddressClick(AppState& app);
void OnDownloadSeedsClick(AppState& app);

// Hands one address to Thunder ("AddTask", then "CommitTasks"); says so when
// Thunder is not installed.
void AddThunderTask(const Text& address);
