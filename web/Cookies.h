#pragma once
// The caller-held cookie text: items "name=value" joined by "; ". Cookies
// pass from one request to the next only through this text.
#include "text/Text.h"

// Merges the received items into the jar: received items first, in their
// order, then the old items whose names were not received. An item whose value
// is the word deleted removes the cookie. Both texts are written back without
// spaces (received items then joined by ";" only); returns the new jar.
Text MergeCookies(Text& cookieJar, Text& receivedCookies);

// The part before the first "=" (all of it when there is none), trimmed.
[[nodiscard]] Text CookieName(TextView item);
// True when some item's name equals `name` byte for byte.
[[nodiscard]] bool HasCookieNamed(const TextList& items, TextView name);

// The pieces of `text` between `separator`s, first occurrences only, in order.
[[nodiscard]] Text RemoveDuplicateItems(TextView text, TextView separator);
// 1-based index of the first element equal to `item`, or -1.
[[nodiscard]] int IndexOfItem(const TextList& items, TextView item);
