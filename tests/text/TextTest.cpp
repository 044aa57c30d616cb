#include "text/Text.h"

#include "text/FileNames.h"

#include <gtest/gtest.h>

#include <utility>

// "\xD6\xD0" is 中, "\xCE\xC4" is 文; "\xA1\xA1" is the full-width space.

TEST(FindText, FindsFromOneBasedPositionAndReportsMinusOne) {
  EXPECT_EQ(FindText("abcabc", "abc"), 1);
  EXPECT_EQ(FindText("abcabc", "abc", 2), 4);
  EXPECT_EQ(FindText("abcabc", "abd"), -1);
  EXPECT_EQ(FindText("abc", "abc", 4), -1);
  EXPECT_EQ(FindText("", "a"), -1);
}

TEST(FindText, EmptyNeedleIsFoundOnlyInNonEmptyText) {
  EXPECT_EQ(FindText("x", ""), 1);
  EXPECT_EQ(FindText("", ""), -1);
}

TEST(FindText, NeverMatchesInsideDoubleByteCharacter) {
  // "\xB0\xA1\xA1\xB0" is 啊 followed by … : the pair A1 A1 sits across the boundary.
  EXPECT_EQ(FindText("\xB0\xA1\xA1\xB0", "\xA1\xA1"), -1);
  // The trail byte of 中 followed by 'a' is not "\xD0" + "a" at a boundary.
  EXPECT_EQ(FindText("\xD6\xD0" "a", "\xD0" "a"), -1);
  EXPECT_EQ(FindText("a\xD6\xD0" "b", "\xD6\xD0"), 2);
}

TEST(FindText, IgnoringCaseFoldsOnlyAsciiLetters) {
  EXPECT_EQ(FindText("xxUser-Agent: y", "user-agent: ", 1, LetterCase::IgnoreAscii), 3);
  EXPECT_EQ(FindText("User-Agent", "user-agent"), -1);
  // 0xC1 and 0xE1 differ by 0x20 but are not letters.
  EXPECT_EQ(FindText("\xC1\xA1", "\xE1\xA1", 1, LetterCase::IgnoreAscii), -1);
  // The second byte of a double-byte character is no letter, even where it
  // has a letter's value: 誇 (D5 46) is not 說 (D5 66).
  EXPECT_EQ(FindText("\xD5\x46", "\xD5\x66", 1, LetterCase::IgnoreAscii), -1);
  EXPECT_EQ(FindText("x\xD5\x66" "A", "\xD5\x66" "a", 1, LetterCase::IgnoreAscii), 2);
  EXPECT_EQ(ReplaceAll("\xD5\x46\xD5\x66", "\xD5\x66", "-", LetterCase::IgnoreAscii), "\xD5\x46-");
}

TEST(SplitText, KeepsEmptyPiecesButNotAfterTrailingSeparator) {
  EXPECT_EQ(SplitText("a;;b", ";"), (TextList{"a", "", "b"}));
  EXPECT_EQ(SplitText("a;b;", ";"), (TextList{"a", "b"}));
  EXPECT_EQ(SplitText(";", ";"), (TextList{""}));
  EXPECT_EQ(SplitText("", ";"), TextList{});
  EXPECT_EQ(SplitText("a\r\nb\r\n\r\n", "\r\n"), (TextList{"a", "b", ""}));
}

TEST(SplitText, DoesNotSplitInsideDoubleByteCharacter) {
  // "\xD6\x3B" is not a real separator position: 0x3B is the trail of a lead byte.
  EXPECT_EQ(SplitText("\xD6\x3B;x", ";"), (TextList{"\xD6\x3B", "x"}));
}

TEST(ReplaceAll, ReplacesEveryOccurrenceWithoutOverlap) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("1?2?3", "?", ""), "123");
  EXPECT_EQ(ReplaceAll("set-cookie: a\r\nSET-COOKIE: b", "Set-Cookie", "Set-Cookie", LetterCase::IgnoreAscii),
            "Set-Cookie: a\r\nSet-Cookie: b");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(ReplaceAll, QuoteTokenIsReplacedOnlyAtCharacterBoundaries) {
  const Text token = "#\xD2\xFD\xBA\xC5";  // #引号
  EXPECT_EQ(ReplaceAll("a=" + token + "x" + token, token, "\""), "a=\"x\"");
}

TEST(Spaces, TrimAndRemoveHandleAsciiAndFullWidthSpaces) {
  EXPECT_EQ(TrimSpaces("  a b \xA1\xA1"), "a b");
  EXPECT_EQ(TrimSpaces("\xA1\xA1\xD6\xD0 "), "\xD6\xD0");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");  // tabs are not spaces
  EXPECT_EQ(RemoveSpaces("x = hello\xA1\xA1world"), "x=helloworld");
}

TEST(Spaces, TrailingFullWidthSpaceIsNotTakenFromACharacter) {
  // "\xB0\xA1" is 啊; the following "\xA1\xA1" is a full-width space.
  EXPECT_EQ(TrimSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
  // "\xC4\xA1\xA1\xB0" is two characters, neither a space.
  EXPECT_EQ(TrimSpaces("\xC4\xA1\xA1\xB0"), "\xC4\xA1\xA1\xB0");
}

TEST(DecimalText, HasNoLeadingZerosOrSpaces) {
  EXPECT_EQ(DecimalText(0), "0");
  EXPECT_EQ(DecimalText(-17), "-17");
  EXPECT_EQ(DecimalText(785133323), "785133323");
}

TEST(UsableFileName, ReplacesWhatNoFileNameHoldsAndTrimsTheEnd) {
  const std::wstring fallback = L"\u641C\u7D22\u7ED3\u679C";  // 搜索结果
  EXPECT_EQ(UsableFileName(L"a\\b/c:d*e?f\"g<h>i|j", fallback), L"a_b_c_d_e_f_g_h_i_j");
  EXPECT_EQ(UsableFileName(L"x\ty\x01z\x1F", fallback), L"x_y_z_");
  EXPECT_EQ(UsableFileName(L"\u4E2D\u6587 1.5 . . ", fallback), L"\u4E2D\u6587 1.5");  // 中文
  EXPECT_EQ(UsableFileName(L".hidden", fallback), L".hidden");
  for (const wchar_t* nothing : {L"", L"   ", L". .", L"..."}) EXPECT_EQ(UsableFileName(nothing, fallback), fallback);
  EXPECT_EQ(UsableFileName(L"::", fallback), L"__");
}

TEST(UsableFileName, ADevicesNameInAnyCaseOrWithAnExtensionGetsALeadingUnderscore) {
  const std::pair<const wchar_t*, const wchar_t*> devices[] = {
      {L"CON", L"_CON"},   {L"prn", L"_prn"},   {L"Aux", L"_Aux"},         {L"nul", L"_nul"},
      {L"COM1", L"_COM1"}, {L"com9", L"_com9"}, {L"LPT1", L"_LPT1"},       {L"lpt9", L"_lpt9"},
      {L"CON  ", L"_CON"}, {L"con.txt", L"_con.txt"}, {L"nul .x", L"_nul .x"}};
  for (const auto& [device, usable] : devices) EXPECT_EQ(UsableFileName(device, L"f"), usable) << device;
  for (const wchar_t* name : {L"CONSOLE", L"COM0", L"COM10", L"LPT", L"xNUL", L"a.CON"})
    EXPECT_EQ(UsableFileName(name, L"f"), name);
}

TEST(UsableFileName, ALongKeywordIsCutWithoutSplittingACharacter) {
  EXPECT_EQ(UsableFileName(std::wstring(300, L'a'), L"f"), std::wstring(240, L'a'));
  // U+20000 is the surrogate pair D840 DC00: its first half at the cut goes too.
  const std::wstring pair = L"\xD840\xDC00";
  EXPECT_EQ(UsableFileName(std::wstring(239, L'a') + pair + L"b", L"f"), std::wstring(239, L'a'));
  EXPECT_EQ(UsableFileName(std::wstring(238, L'a') + pair + L"b", L"f"), std::wstring(238, L'a') + pair);
}
