#pragma once
// Handlers are bound to control events once, by a table that the program
// hands to the window at creation; ui/ knows nothing of the handlers.
#include <vector>

#include "ui/Controls.h"

// Called with the context the window was created with (the program's state).
using EventHandler = void (*)(void* context);

struct EventBinding {
  ControlId control;
  ControlEvent event;
  EventHandler handler;
};

using EventTable = std::vector<EventBinding>;

// The handler bound to that control and event, or null.
[[nodiscard]] EventHandler FindHandler(const EventTable& table, ControlId control, ControlEvent event);
