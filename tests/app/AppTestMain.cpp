#include <gtest/gtest.h>

#include <cstring>

#include "tests/app/ChildScenarios.h"

int main(int argc, char** argv) {
  for (int index = 1; index < argc; ++index)
    if (std::strncmp(argv[index], "--child=", 8) == 0) return RunChildScenario(argv[index] + 8);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
