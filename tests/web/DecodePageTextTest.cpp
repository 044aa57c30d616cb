// Through the real bridge and, in the test prefixes, the stand-in data stream;
// one case with a stream of the test's own that refuses the charset's name.
#include "web/DecodePageText.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "tests/web/CharsetRefusingStream.h"

namespace {

// "\xE4\xB8\xAD\xE6\x96\x87" is 中文 in UTF-8; "\xD6\xD0\xCE\xC4" is 中文 in GBK.
constexpr char kUtf8Chinese[] = "\xE4\xB8\xAD\xE6\x96\x87";
constexpr char kGbkChinese[] = "\xD6\xD0\xCE\xC4";

// The body as WebRequest hands it over: the bytes, and the same bytes as text.
Text Decoded(const Text& bytes) {
  const ByteSet body(bytes.begin(), bytes.end());
  Text bodyText = bytes;
  EXPECT_TRUE(DecodePageText(body, bodyText));
  return bodyText;
}

TEST(DecodePageText, AUtf8DeclarationInAnyFormIsDecoded) {
  const Text httpEquiv = "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">";
  EXPECT_EQ(Decoded(httpEquiv + kUtf8Chinese), httpEquiv + kGbkChinese);
  const Text bare = "<html><head><meta charset=\"utf-8\"></head>";
  EXPECT_EQ(Decoded(bare + kUtf8Chinese + "</html>"), bare + kGbkChinese + "</html>");
}

TEST(DecodePageText, GbkAndGb2312InLowerCaseAreKeptAsRead) {
  // The UTF-8 bytes would change if they went through the stream.
  for (const char* meta : {"<meta charset=\"gb2312\">", "<meta charset=\"gbk\">", "<p>no declaration</p>"}) {
    const Text page = Text(meta) + kUtf8Chinese;
    EXPECT_EQ(Decoded(page), page) << meta;
  }
}

TEST(DecodePageText, Gb2312InCapitalsGoesThroughTheStream) {
  // A lone lead byte "\xD6" at the end is no character of code page 936, so
  // the stream's reading of it differs from the byte kept as read.
  const Text page = Text("<meta charset=\"GB2312\">") + kGbkChinese + "\xD6";
  const Text decoded = Decoded(page);
  EXPECT_NE(decoded, page);
  EXPECT_EQ(decoded.substr(0, page.size() - 1), page.substr(0, page.size() - 1));
}

TEST(DecodePageText, ADeclarationBeyondTheFirst1024BytesIsNotSeen) {
  const Text page = Text(1030, ' ') + "<meta charset=\"utf-8\">" + kUtf8Chinese;
  EXPECT_EQ(Decoded(page), page);
  const Text splitLine = "<meta\ncharset=\"utf-8\">" + Text(kUtf8Chinese);
  EXPECT_EQ(Decoded(splitLine), splitLine);
}

TEST(DecodePageText, ACharsetTheStreamCannotReadKeepsTheText) {
  const Text page = Text("<meta charset=\"x-no-such-charset\">") + kUtf8Chinese;
  EXPECT_EQ(Decoded(page), page);
}

TEST(DecodePageText, ACharsetTheStreamRefusesIsDecodedThroughItsCodePageAndTheStreamIsNotRead) {
  const bool comInitialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  {
    CharsetRefusingStreamRegistration refusing;
    ASSERT_TRUE(refusing.Registered());
    // A charset the stand-in would take and read (see above).
    const Text meta = "<meta charset=\"utf-8\">";
    EXPECT_EQ(Decoded(meta + kUtf8Chinese), meta + kGbkChinese);
    EXPECT_EQ(RefusingStreamCallsSoFar().charsetPuts, 1);
    EXPECT_EQ(RefusingStreamCallsSoFar().readTexts, 0);
    EXPECT_EQ(RefusingStreamCallsSoFar().closes, 1);
    // Its byte-order mark left out (before it is decoded, the page's text starts
    // with no whole character of code page 936).
    EXPECT_EQ(Decoded("\xEF\xBB\xBF<html>" + meta + kUtf8Chinese), "<html>" + meta + kGbkChinese);
    // Single-byte and double-byte code pages, and a name no code page serves.
    EXPECT_EQ(Decoded("<meta charset=\"koi8-r\">\xF2\xD5"), "<meta charset=\"koi8-r\">\xA7\xB2\xA7\xE5");  // Ру
    EXPECT_EQ(Decoded("<meta charset=\"Big5\">\xA4\xA4"), "<meta charset=\"Big5\">\xD6\xD0");  // 中
    EXPECT_EQ(Decoded("<meta charset=\"shift_jis\">\x82\xA0"), "<meta charset=\"shift_jis\">\xA4\xA2");  // あ
    const Text unknown = Text("<meta charset=\"x-no-such-charset\">") + kUtf8Chinese;
    EXPECT_EQ(Decoded(unknown), unknown);
  }
  if (comInitialised) CoUninitialize();
}

TEST(DecodePageText, AnEmptyBodyStaysEmpty) { EXPECT_EQ(Decoded(""), ""); }

// Heads of the declaration's own pieces, where near misses are common.
Text RandomHead(std::mt19937& random) {
  static const TextView pieces[] = {"<meta", "<META", " ", "charset=", "CharSet=", "charset", "=", "\"", "'", "-",
                                    "_", "utf-8", "x", "\n", "\r", ">", "\xD6\xD0" /* 中 */, "\xD6", "<meta charset="};
  std::uniform_int_distribution<size_t> piece(0, sizeof pieces / sizeof pieces[0] - 1);
  Text head;
  const size_t count = std::uniform_int_distribution<size_t>(0, 40)(random);
  for (size_t index = 0; index < count; ++index) head += pieces[piece(random)];
  return head;
}

TEST(DecodePageText, TheBuiltInMatcherFindsTheEnginesCharsetInRandomHeads) {
  const unsigned seed = std::random_device()();
  std::printf("seed %u\n", seed);
  std::mt19937 random(seed);
  PageDecoder engine, builtIn;
  builtIn.engineFirst = false;
  int declared = 0;
  for (int round = 0; round < 2000; ++round) {
    const Text head = RandomHead(random);
    const Text charset = DeclaredCharset(engine, head);
    EXPECT_EQ(DeclaredCharset(builtIn, head), charset) << head;
    declared += charset.empty() ? 0 : 1;
  }
  std::printf("2000 random heads, %d with a declared charset\n", declared);
  EXPECT_GT(declared, 200);
}

}  // namespace
