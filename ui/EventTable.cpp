#include "ui/EventTable.h"

EventHandler FindHandler(const EventTable& table, ControlId control, ControlEvent event) {
  for (const EventBinding& binding : table)
    if (binding.control == control && binding.event == event) return binding.handler;
  return nullptr;
}
