#include "tests/ui/TestWindow.h"

MainWindow mainWindow;
