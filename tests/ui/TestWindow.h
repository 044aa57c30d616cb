#pragma once
// The main window the ui tests create and destroy, one test at a time.
#include "ui/MainWindow.h"

extern MainWindow mainWindow;
