#pragma once
// A stand-in "ThunderAgent.Agent" served from the test process while a
// registration lives: it answers "AddTask" and "CommitTasks" by name and
// records each call, with its tick, for the test to read. It has no type
// information, so the bridge sends the address by value.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/automation/ProgIdRegistration.h"

struct ThunderCall {
  std::wstring method;    // L"AddTask" or L"CommitTasks"
  std::wstring argument;  // AddTask's address
  DWORD tick = 0;
};

std::vector<ThunderCall>& ReceivedThunderCalls();

class ThunderAgentRegistration {
 public:
  ThunderAgentRegistration();
  ~ThunderAgentRegistration();
  ThunderAgentRegistration(const ThunderAgentRegistration&) = delete;
  ThunderAgentRegistration& operator=(const ThunderAgentRegistration&) = delete;

 private:
  DWORD cookie = 0;
  std::optional<ProgIdRegistration> progId;
};
