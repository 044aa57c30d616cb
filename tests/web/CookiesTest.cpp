#include "web/Cookies.h"

#include <gtest/gtest.h>

namespace {

TEST(MergeCookies, ReceivedReplaceOldAndDeletedRemoves) {
  Text jar = "a=0; c=3", received = "a=1; b=deleted";
  EXPECT_EQ(MergeCookies(jar, received), "a=1; c=3");
  EXPECT_EQ(jar, "a=1; c=3");
  EXPECT_EQ(received, "a=1;b=deleted");
}

TEST(MergeCookies, ReceivedFirstThenSurvivingOldInTheirOrder) {
  Text jar = "x=1; y=2; z=3", received = "y=9";
  EXPECT_EQ(MergeCookies(jar, received), "y=9; x=1; z=3");
}

TEST(MergeCookies, OfOldItemsWithOneNameOnlyTheFirstSurvives) {
  Text jar = "a=1; a=2", received = "";
  EXPECT_EQ(MergeCookies(jar, received), "a=1");
}

TEST(MergeCookies, SpacesAreRemovedEvenInsideValues) {
  Text jar = "", received = "x=hello world";
  EXPECT_EQ(MergeCookies(jar, received), "x=helloworld");
  Text full = "", fullReceived = "k=\xA1\xA1v";  // \xA1\xA1 is the full-width space
  EXPECT_EQ(MergeCookies(full, fullReceived), "k=v");
}

TEST(MergeCookies, IdenticalReceivedItemsAppearOnce) {
  Text jar = "", received = "a=1; a=1";
  EXPECT_EQ(MergeCookies(jar, received), "a=1");
}

TEST(MergeCookies, EmptyJarAndNothingReceivedStayEmpty) {
  Text jar, received;
  EXPECT_EQ(MergeCookies(jar, received), "");
}

// Found by fuzzing: an empty piece can end the jar; a second merge drops it.
TEST(MergeCookies, StraySemicolonsLeaveAtMostOneEmptyItem) {
  Text jar = "", received = "a=1;;;";
  EXPECT_EQ(MergeCookies(jar, received), "a=1; ");
  Text nothing;
  EXPECT_EQ(MergeCookies(jar, nothing), "a=1");
}

// Found by fuzzing: scans step over a byte of 0x80 or more and the byte after
// it, so a value ending in a lone lead byte takes the next ";" along.
TEST(MergeCookies, LoneLeadByteTakesTheFollowingSeparatorAlong) {
  Text jar = "x=\xB1; k=v", received;  // "\xB1" alone: the lead byte of a character such as 悲
  EXPECT_EQ(MergeCookies(jar, received), "x=\xB1;k=v");
}

TEST(CookieName, IsTrimmedTextBeforeFirstEquals) {
  EXPECT_EQ(CookieName(" sid =a=b"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_TRUE(HasCookieNamed({"x=1", "Sid=2"}, "Sid"));
  EXPECT_FALSE(HasCookieNamed({"x=1", "Sid=2"}, "sid"));  // letter case matters
}

TEST(RemoveDuplicateItems, KeepsFirstOccurrencesInOrder) {
  EXPECT_EQ(RemoveDuplicateItems("b; a; b; c; a", "; "), "b; a; c");
  EXPECT_EQ(RemoveDuplicateItems("", "; "), "");
  EXPECT_EQ(IndexOfItem({"p", "q", "q"}, "q"), 2);
  EXPECT_EQ(IndexOfItem({"p"}, "P"), -1);
}

}  // namespace
