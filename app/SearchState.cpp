#include "app/SearchState.h"

AppState app;

void ResetAppState() {
  DestroyMainWindow(app.window);
  app.search = SearchState();
}
