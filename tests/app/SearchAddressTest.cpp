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
