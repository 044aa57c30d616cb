#pragma once
// What a search's worker is handed: below the worker's start and the body
// each search runs.
#include "app/ResultSpans.h"
#include "app/SearchInputs.h"
#include "app/SearchState.h"
#include "app/TorrentSet.h"
#include "system/Holders.h"
#include "text/Text.h"
#include "web/RequestCancel.h"

// One run's own record, made when the search starts and held by its worker:
// nothing of it is shared with the next run.
struct SearchRunRecord {
  AppState* app = nullptr;  // its controls, reached only through their operations
  Text keyword;             // 编辑框1 when the search started: the exact filter's
  Text siteHost;
  SearchInputs* inputs = nullptr;  // 编辑框1 and 精确框, read for each page
  int rowLimit = kMostListedRows;  // the list's: no page is asked for once it is reached
  ResultMatcher matcher = ResultMatcher::EngineFirst;
  int pageNumber = 0;  // of the page last requested
  int rowNumber = 0;   // of the row last listed
  // Every torrent of the entries read so far, listed or filtered out, and
  // how many entries named one again.
  TorrentSet torrents{0};  // keyed anew for each run
  int repeats = 0;
  // Set once the site answered 429: later requests keep a pace.
  bool paced = false;
  DWORD lastRequestStart = 0;  // GetTickCount() at the last request
  // An earlier run's worker, ended while still inside a request: this run
  // asks for its first page once that one has left.
  KernelHandle earlierWorker;
  // Ending the run closes the request in progress through it.
  RequestCancel cancel;
};
