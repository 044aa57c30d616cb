// Optional system functions: the ones older systems lack are null, and
// looking for them neither raises the fatal report nor keeps a library loaded.
#include <windows.h>

#include <gtest/gtest.h>

#include "system/BoundLibraries.h"
#include "system/FatalError.h"
#include "system/SystemFunction.h"

namespace {

TEST(OptionalSystemFunction, FindsAndCallsAFunctionTheSystemHas) {
  OptionalSystemFunction<decltype(&::GetTickCount)> tickCount{"kernel32.dll", "GetTickCount"};
  ASSERT_NE(tickCount.Address(), nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(tickCount.Address()),
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
  DWORD before = GetTickCount();
  EXPECT_GE(tickCount.Address()(), before);
}

TEST(OptionalSystemFunction, AMissingFunctionOrLibraryIsNullWithoutTheFatalReport) {
  OptionalSystemFunction<FARPROC> missingFunction{"kernel32.dll", "SeedSearchNoSuchFunction"};
  OptionalSystemFunction<FARPROC> missingLibrary{"seedsearch-no-such-library.dll", "GetTickCount"};
  OptionalSystemFunction<FARPROC> noLibrary{"", "GetTickCount"};
  for (int asked = 0; asked < 2; ++asked) {  // the answer is kept
    EXPECT_EQ(missingFunction.Address(), nullptr);
    EXPECT_EQ(missingLibrary.Address(), nullptr);
    EXPECT_EQ(noLibrary.Address(), nullptr);
  }
  EXPECT_FALSE(FatalErrorBegun());
}

TEST(OptionalSystemFunction, ALibraryWithoutTheFunctionIsNotKeptLoaded) {
  ASSERT_EQ(GetModuleHandleA("msimg32.dll"), nullptr) << "loaded before the test";
  EXPECT_EQ(FindSystemFunction("msimg32.dll", "SeedSearchNoSuchFunction"), nullptr);
  EXPECT_EQ(GetModuleHandleA("msimg32.dll"), nullptr);
  // One that has it stays loaded until the bound libraries are released.
  EXPECT_NE(FindSystemFunction("msimg32.dll", "GradientFill"), nullptr);
  EXPECT_NE(GetModuleHandleA("msimg32.dll"), nullptr);
  ReleaseBoundLibraries();
  EXPECT_EQ(GetModuleHandleA("msimg32.dll"), nullptr);
}

}  // namespace
