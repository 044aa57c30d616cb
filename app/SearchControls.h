#pragma once
// The search and pause buttons and the elapsed-time timer: the Idle, Running
// and Paused machine.
//   Idle:    搜索_按钮 "开始", 停止_按钮 "停止", 记时间 off, no worker (or it finished)
//   Running: 搜索_按钮 "关闭", 停止_按钮 "停止", 记时间 1000 ms, worker running
//   Paused:  搜索_按钮 "关闭", 停止_按钮 "继续", 记时间 off, worker held

void OnSearchButtonClick();
void OnStopButtonClick();
void OnTimerTick();

// Ends the last search's worker if it still runs; never waits for it.
void EndWorker();
