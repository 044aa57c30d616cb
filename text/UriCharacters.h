#pragma once
// A link as a command line may take it: what a URI may not hold unescaped is
// percent-encoded, so that no part of the link can end the argument it is
// given as or add another. Platform-free.
#include "text/Text.h"

// The space, '"', '<', '>', '\', '^', '`', '{', '|', '}' and the control
// bytes become %XX (upper-case hex), and so does a '%' that does not begin an
// escape (two hex digits after it); an escape already there, every other
// ASCII character and every character of 0x80 and above stay as they are,
// a double-byte character whole whatever its second byte. Decoding the
// escapes of the result gives what decoding the link's own gives.
[[nodiscard]] Text EscapeUriCharacters(TextView link);

// Appends "%" and the byte's two hex digits, in upper case.
void AppendPercentEscape(Text& text, unsigned char byte);
