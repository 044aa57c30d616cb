#pragma once
// The program run in a child process with a worker body made for a test.

// Runs the scenario of that name and returns the process's exit code.
int RunChildScenario(const char* name);
