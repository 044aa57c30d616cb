#pragma once
// A stand-in "ThunderAgent.Agent" served from the test process while a
// registration lives: it answers "AddTask" and "CommitTasks" by name and
// records each call, with its tick, for the test to read. It has no type
// information, so the bridge sends the address by value.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/automation/TestComObject.h"
#include "tests/automation/ProgIdRegistration.h"

struct ThunderCall {
  std::wstring method;    // L"AddTask" or L"CommitTasks"
  std::wstring argument;  // AddTask's address
  DWORD tick = 0;
};

std::vector<ThunderCall>& ReceivedThunderCalls();

class ThunderAgentRegistration {
 public:
  // Refused: "AddTask" is recorded and answered with a failure, as a Thunder
  // that will not take the link answers.
  enum class AddTask { Accepted, Refused };
  explicit ThunderAgentRegistration(AddTask answer = AddTask::Accepted);
  ThunderAgentRegistration(const ThunderAgentRegistration&) = delete;
  ThunderAgentRegistration& operator=(const ThunderAgentRegistration&) = delete;

 private:
  ClassObjectRegistration classObject;
  std::optional<ProgIdRegistration> progId;  // removed before the class object is revoked
};

// "ThunderAgent.Agent" as an uninstalled Thunder may leave it: the ProgID and
// its class still registered, the class's InprocServer32 naming a DLL that
// is gone, and no local server.
class StaleThunderAgentRegistration {
 public:
  StaleThunderAgentRegistration();
  ~StaleThunderAgentRegistration();
  StaleThunderAgentRegistration(const StaleThunderAgentRegistration&) = delete;
  StaleThunderAgentRegistration& operator=(const StaleThunderAgentRegistration&) = delete;

 private:
  std::optional<ProgIdRegistration> progId;
};
