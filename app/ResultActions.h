#pragma once
// What the user does with the listed rows: check all, the popup menu, copy a
// download address, hand addresses to Thunder. UI thread only, no lock.
#include "text/Text.h"

void OnSelectAllClick();
void OnListRightClick();
void OnCopyAddressClick();
void OnDownloadSeedsClick();

// Hands one address to Thunder ("AddTask", then "CommitTasks"); says so when
// Thunder is not installed.
void AddThunderTask(const Text& address);
