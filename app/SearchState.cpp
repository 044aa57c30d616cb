#include "app/SearchState.h"

AppState app;

AppState& AppStateOf(HWND window) { return *static_cast<AppState*>(MainWindowHandlerContext(window)); }

void ResetAppState() {
  DestroyMainWindow(app.window);
  app.search = SearchState();
}
