// seedsearch.exe: the program's entry point.
#include <windows.h>

#include "app/ProgramStart.h"
#include "app/SearchRun.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunProgram(SearchRun);
}
