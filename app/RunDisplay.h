#pragma once
// What the window shows of a search: its phase in the captions and the timer,
// the result count in part 3 of 状态条, and why a run ended early.
#include "app/SearchState.h"

// The window's own title, without an end reason.
extern const char kMainWindowTitle[];

// Sets the phase and shows it: captions and timer.
void EnterPhase(AppState& app, SearchPhase phase);

// Binds the result count's throttle to the main window, once it exists.
void AttachResultCount(AppState& app);
// "together N results" for the list's rows: written at once when the last
// write is 100 ms old, otherwise by a timer on the window when it is.
void ShowResultCountSoon(AppState& app);
// Writes a count that is still to be written, now, and shows the list's
// every row (a pause, a run ended on the UI thread).
void ShowPendingResultCount(AppState& app);
// Writes a count that is still to be written, now; the list's view shows
// every row a moment later (a run that finished).
void ShowFinishedResultCount(AppState& app);

// How the last search ended: why it ended early, in the window's title and
// in the tooltip of part 3 of 状态条, and how many repeated torrents it left
// out, in that tooltip too; both until the next search starts. The title of
// a wait the run showed goes.
void ShowRunEnd(AppState& app, TextView reason);
void ClearEndReason(AppState& app);

// While the run waits as the site asked: the page and the seconds left, in
// the window's title.
void ShowSiteWait(AppState& app, int pageNumber, int secondsLeft);
