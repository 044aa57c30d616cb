#pragma once
// What the user does with the listed rows: check all, the popup menu, copy a
// download address, hand addresses to Thunder or the system's magnet: handler,
// save the list to a file.
// UI thread only.
#include "app/SearchState.h"
#include "text/Text.h"

void OnSelectAllClick(AppState& app);
void OnListRightClick(AppState& app);
// Shift+F10 or the context-menu key: the menu at the focused row.
void OnListMenuKey(AppState& app);
// A header click whose sort could not be given its memory: the list keeps
// its order, and the user is told.
void OnListSortRefused(AppState& app);
void OnCopyAddressClick(AppState& app);
void OnDownloadSeedsClick(AppState& app);
// Asks where to save the list and in which format (the save dialog, the
// keyword as the name offered), then writes it there.
void OnExportListClick(AppState& app);

// Hands one address to Thunder ("AddTask", then "CommitTasks"); false when
// Thunder is not installed or refuses the task.
[[nodiscard]] bool AddThunderTask(const Text& address);

// To Thunder where it is installed, else to the program the system opens
// magnet: links with; says that Thunder is not installed when neither took it.
void HandOnAddress(const Text& address);
