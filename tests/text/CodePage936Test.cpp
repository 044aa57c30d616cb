#include "text/CodePage936.h"

#include <gtest/gtest.h>

TEST(CodePage936, RoundTripsGbkWhateverTheAnsiCodePage) {
  const Text gbk = "\xD6\xD0\xCE\xC4 abc";  // 中文 abc
  std::wstring wide = TextToUtf16(gbk);
  EXPECT_EQ(wide, L"\u4E2D\u6587 abc");
  EXPECT_EQ(Utf16ToText(wide), gbk);
}

TEST(CodePage936, StopsAtZeroAndHandlesEmpty) {
  EXPECT_EQ(TextToUtf16(Text("ab\0cd", 5)), L"ab");
  EXPECT_EQ(Utf16ToText(L"ab\0cd", 5), "ab");
  EXPECT_EQ(TextToUtf16(""), L"");
  EXPECT_EQ(Utf16ToText(nullptr, 3), "");
}
