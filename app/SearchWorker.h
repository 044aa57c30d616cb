#pragma once
// A search's worker from its start to its end, and the one ended worker that
// may linger inside a request. The UI thread never waits for either.
#include "app/SearchState.h"

// Starts the worker of the search just begun; false when the system refused
// its thread or the events of its run (no run is then current).
[[nodiscard]] bool StartWorker(AppState& app);

// Ends the last search's worker if it still runs; never waits for it.
void EndWorker(AppState& app);

// Lets go of the lingering worker's handle once that worker has left.
void ForgetLeftWorker(SearchState& search);
