#pragma once
// The last step of a web request: may replace the body text by the body bytes
// re-decoded from the character set the page declares.
#include "automation/RegexObject.h"
#include "text/Text.h"

// What decoding keeps from one page to the next of a thread's requests: the
// charset pattern's engine, and with it COM for the thread.
struct PageDecoder {
  RegexObject charsetPattern;
  bool engineFirst = true;  // false leaves the engine out, to set it beside the built-in matcher
};

// The page is re-read from the charset it declares through "Adodb.Stream",
// else, where the stream is missing or refuses the charset, through the code
// page that charset names; a charset no code page serves keeps the text.
// `decoder`, when given, is used and kept; without one, one is made for the
// call. False when the page's bytes could not be given room for the
// re-decoding: the text is then no page's.
[[nodiscard]] bool DecodePageText(const ByteSet& body, Text& bodyText, PageDecoder* decoder = nullptr);

// The charset the page's head declares: the engine's match, or where the
// engine cannot be created or fails, the built-in matcher's (the same).
[[nodiscard]] Text DeclaredCharset(PageDecoder& decoder, TextView bodyText);
