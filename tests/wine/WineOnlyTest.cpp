#include "wine/WineOnly/WineOnly.h"

#include <gtest/gtest.h>

#include <string>

#include "system/SystemFunction.h"

namespace {

// A stand-in for the lookup: records what was asked and answers as a system
// with or without Wine's ntdll would.
std::string asked;
bool wineNtdll = false;

INT_PTR WINAPI FakeWineGetVersion() { return 0; }

FARPROC LookUp(const char* library, const char* name) {
  asked += std::string(library) + "!" + name + ";";
  return wineNtdll ? FakeWineGetVersion : nullptr;
}

TEST(WineOnly, OnlyNtdllsWineGetVersionTellsWine) {
  asked.clear();
  wineNtdll = false;
  EXPECT_FALSE(RunningUnderWine(LookUp));
  wineNtdll = true;
  EXPECT_TRUE(RunningUnderWine(LookUp));
  EXPECT_EQ(asked, "ntdll.dll!wine_get_version;ntdll.dll!wine_get_version;");
}

TEST(WineOnly, AToolOutsideWineRefusesAndSaysWhy) {
  wineNtdll = false;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(RefuseOutsideWine("some-tool", "the system's own serves", LookUp));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "some-tool: this is not Wine; the system's own serves.\n");
  wineNtdll = true;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(RefuseOutsideWine("some-tool", "the system's own serves", LookUp));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(WineOnly, TheRealLookupFindsWineHere) {
  // The tests run in a Wine prefix.
  EXPECT_TRUE(RunningUnderWine(FindSystemFunction));
}

}  // namespace
