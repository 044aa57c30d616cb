// seedsearch.exe: the program's entry point.
#include <windows.h>

#include "app/ProgramStart.h"
#include "ui/MainWindow.h"

namespace {

// Stands in for the search run until it exists: the run ends at once, as it
// does at the first page that yields no entry.
void EndRunAtOnce() {
  mainWindow.搜索_按钮.SetCaption("开始");
  mainWindow.记时间.SetInterval(0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The search run (SearchRun) is the body each search's worker runs.
  return RunProgram(EndRunAtOnce);
}
