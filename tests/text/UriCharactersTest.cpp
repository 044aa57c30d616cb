#include "text/UriCharacters.h"

#include <gtest/gtest.h>

namespace {

TEST(UriCharacters, WhatCouldEndOrAddAnArgumentIsEscaped) {
  EXPECT_EQ(EscapeUriCharacters("magnet:?dn=a\" \"--save-path=C:\\x\" \"y"),
            "magnet:?dn=a%22%20%22--save-path=C:%5Cx%22%20%22y");
  EXPECT_EQ(EscapeUriCharacters("<>^`{|}"), "%3C%3E%5E%60%7B%7C%7D");
  EXPECT_EQ(EscapeUriCharacters(Text("\x01\t\r\n\x1F\x7F\0", 7)), "%01%09%0D%0A%1F%7F%00");
}

TEST(UriCharacters, AnEscapeStaysAndAPercentSignThatBeginsNoneIsEscaped) {
  EXPECT_EQ(EscapeUriCharacters("dn=a%20b%2fc%C3%A9"), "dn=a%20b%2fc%C3%A9");
  EXPECT_EQ(EscapeUriCharacters("100%"), "100%25");
  EXPECT_EQ(EscapeUriCharacters("%4"), "%254");
  EXPECT_EQ(EscapeUriCharacters("%G1%1G%%41"), "%25G1%251G%25%41");
}

TEST(UriCharacters, OtherCharactersStayAsTheyAre) {
  const Text uriCharacters = "magnet:?xt=urn:btih:AB09&dn=x+y-z_.~&tr=udp://t:1/a;b,c'()*!$@[]#";
  EXPECT_EQ(EscapeUriCharacters(uriCharacters), uriCharacters);
  // 中文 whole; 運 (DF 5C), 瞸 (B2 7C) and 玚 (AB 60): a second byte that would be escaped alone.
  EXPECT_EQ(EscapeUriCharacters("dn=\xD6\xD0\xCE\xC4\xDF\x5C\xB2\x7C\xAB\x60"),
            "dn=\xD6\xD0\xCE\xC4\xDF\x5C\xB2\x7C\xAB\x60");
}

TEST(UriCharacters, AByteAfterALeadByteThatCannotBeItsSecondIsACharacterOfItsOwn) {
  // A second byte is 40 to 7E or 80 to FE: a quote or a space after a lead
  // byte would be taken on its own by a conversion that refuses the pair.
  EXPECT_EQ(EscapeUriCharacters("\x81\" \x81 "), "\x81%22%20\x81%20");
  EXPECT_EQ(EscapeUriCharacters("\xD6\x7F"), "\xD6%7F");
  // 80 (the euro sign) and FF are single bytes; a lead byte may end the link.
  EXPECT_EQ(EscapeUriCharacters("\x80\\\xFF\\x\xD6"), "\x80%5C\xFF%5Cx\xD6");
}

}  // namespace
