#include "web/Cookies.h"

namespace {

// Drops the trailing separator that the joining loops leave behind.
void DropLast(Text& text, size_t count) { text.resize(text.size() >= count ? text.size() - count : 0); }

bool EndsWith(TextView text, TextView ending) {
  return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

}  // namespace

Text MergeCookies(Text& cookieJar, Text& receivedCookies) {
  cookieJar = RemoveSpaces(cookieJar);
  receivedCookies = RemoveSpaces(receivedCookies);
  TextList items = SplitText(receivedCookies, ";");
  // Old items join the list as they survive, so of several old items with one
  // name only the first is kept.
  for (const Text& old : SplitText(cookieJar, ";")) {
    if (!HasCookieNamed(items, CookieName(old))) items.push_back(old);
  }
  Text jar;
  for (const Text& item : items) {
    if (!EndsWith(item, "=deleted")) jar.append(item).append("; ");
  }
  DropLast(jar, 2);
  cookieJar = RemoveDuplicateItems(jar, "; ");
  return cookieJar;
}

Text CookieName(TextView item) {
  int equals = FindText(item, "=");
  return TrimSpaces(equals == -1 ? item : item.substr(0, size_t(equals - 1)));
}

bool HasCookieNamed(const TextList& items, TextView name) {
  for (const Text& item : items) {
    if (CookieName(item) == name) return true;
  }
  return false;
}

Text RemoveDuplicateItems(TextView text, TextView separator) {
  TextList seen;
  Text result;
  for (Text& piece : SplitText(text, separator)) {
    if (IndexOfItem(seen, piece) != -1) continue;
    result.append(piece).append(separator);
    seen.push_back(std::move(piece));
  }
  DropLast(result, separator.size());
  return result;
}

int IndexOfItem(const TextList& items, TextView item) {
  for (size_t index = 0; index < items.size(); ++index) {
    if (items[index] == item) return int(index + 1);
  }
  return -1;
}
