#include "app/SearchAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchAddress, PagesCountFromTheGivenNumberWithoutLeadingZeros) {
  EXPECT_EQ(SearchPageAddress("site.test:8443", "abc", 3), "https://site.test:8443/ma/abc/time-3.html");
  EXPECT_EQ(SearchPageAddress("site.test", "abc", 10), "https://site.test/ma/abc/time-10.html");
}

TEST(SearchAddress, AnEmptyKeywordLeavesAnEmptySegment) {
  EXPECT_EQ(SearchPageAddress("site.test", "", 1), "https://site.test/ma//time-1.html");
}

TEST(SearchAddress, BytesThatWouldChangeTheAddressAreEscaped) {
  EXPECT_EQ(EncodeKeywordSegment("a#b?c%d/e\\f g"), "a%23b%3Fc%25d%2Fe%5Cf%20g");
  EXPECT_EQ(EncodeKeywordSegment(Text("\x01\x1F\x7F", 3)), "%01%1F%7F");
  EXPECT_EQ(EncodeKeywordSegment(Text("a\0b", 3)), "a%00b");
}

TEST(SearchAddress, OtherBytesStayAsTheyAre) {
  // "\xD6\xD0\xCE\xC4" is 中文.
  EXPECT_EQ(EncodeKeywordSegment("\xD6\xD0\xCE\xC4"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(EncodeKeywordSegment("Ab-_.~!$&'()*+,;=:@[]{}|^`\"<>"), "Ab-_.~!$&'()*+,;=:@[]{}|^`\"<>");
}

}  // namespace

namespace {

TEST(SearchAddress, ADoubleByteCharacterGoesWholeWhateverItsTrailByte) {
  EXPECT_EQ(EncodeKeywordSegment("\xDF\x5C\xB6\xAF"), "\xDF\x5C\xB6\xAF");                  // 運动: trail byte 5C is "\"
  EXPECT_EQ(EncodeKeywordSegment("\xD5\x5C"), "\xD5\x5C");                                  // 誠
  EXPECT_EQ(EncodeKeywordSegment("a\xDF\x5C#b"), "a\xDF\x5C%23b");                          // a運#b
  EXPECT_EQ(EncodeKeywordSegment("\x81\x3F?"), "\x81\x3F%3F");                              // a character whose trail is "?"
  EXPECT_EQ(EncodeKeywordSegment("\x81\x20 "), "\x81\x20%20");                              // ... or a space
  EXPECT_EQ(EncodeKeywordSegment("x\xD6"), "x\xD6");  // a lone lead byte at the end stays as it is
}

}  // namespace
