#pragma once
// The last step of a web request: may replace the body text by the body bytes
// re-decoded from the character set the page declares.
#include "text/Text.h"

void DecodePageText(const ByteSet& body, Text& bodyText);
