#pragma once
// The search and pause buttons and the elapsed-time timer: the Idle, Running
// and Paused machine of SearchPhase (app/SearchState.h).
#include "app/SearchState.h"

void OnSearchButtonClick(AppState& app);
void OnStopButtonClick(AppState& app);
void OnTimerTick(AppState& app);
// 编辑框1 or 精确框 changed: the running search's next page sees it.
void OnSearchInputChanged(AppState& app);
