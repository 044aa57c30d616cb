#include "web/ProxyScriptAnswer.h"

namespace {

bool IsSpace(wchar_t character) {
  return character == L' ' || character == L'\t' || character == L'\r' || character == L'\n';
}

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameLetters(std::wstring_view text, std::wstring_view upperCase) {
  if (text.size() != upperCase.size()) return false;
  for (size_t at = 0; at < text.size(); ++at) {
    wchar_t letter = text[at];
    if (letter >= L'a' && letter <= L'z') letter = wchar_t(letter - L'a' + L'A');
    if (letter != upperCase[at]) return false;
  }
  return true;
}

}  // namespace

bool ReadProxyScriptAnswer(std::wstring_view answer, std::wstring& proxyList) {
  proxyList.clear();
  while (!answer.empty()) {
    const size_t end = answer.find(L';');
    const std::wstring_view entry = Trimmed(answer.substr(0, end));
    answer = end == std::wstring_view::npos ? std::wstring_view() : answer.substr(end + 1);
    size_t kindEnd = 0;
    while (kindEnd < entry.size() && !IsSpace(entry[kindEnd])) ++kindEnd;
    const std::wstring_view kind = entry.substr(0, kindEnd);
    const std::wstring_view address = Trimmed(entry.substr(kindEnd));
    if (SameLetters(kind, L"DIRECT")) return true;
    // WinHttp reaches HTTP proxies only: others are passed over, as a browser
    // passes over one it cannot reach.
    if (!(SameLetters(kind, L"PROXY") || SameLetters(kind, L"HTTP")) || address.empty()) continue;
    if (!proxyList.empty()) proxyList += L';';
    proxyList.append(address);
  }
  return !proxyList.empty();
}
