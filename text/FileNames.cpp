#include "text/FileNames.h"

namespace {

// A folder entry holds 255 UTF-16 units; room is left for a dot and an extension.
constexpr size_t kLongestName = 240;

bool IsForbidden(wchar_t character) {
  return character < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(character) != std::wstring_view::npos;
}

wchar_t AsciiUpper(wchar_t character) {
  return character >= L'a' && character <= L'z' ? wchar_t(character - L'a' + L'A') : character;
}

// The system takes CON or "con .txt" for the device: the part before the
// first dot counts, its trailing spaces dropped, in any letter case.
bool NamesADevice(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  std::wstring upper;
  for (wchar_t character : stem) upper += AsciiUpper(character);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
    if (upper == device) return true;
  return upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
         upper[3] >= L'1' && upper[3] <= L'9';
}

}  // namespace

std::wstring UsableFileName(std::wstring_view wanted, std::wstring_view fallback) {
  std::wstring name(wanted.substr(0, kLongestName));
  // A cut between the halves of a surrogate pair would leave half a character.
  if (wanted.size() > kLongestName && name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
  for (wchar_t& character : name)
    if (IsForbidden(character)) character = L'_';
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  if (name.empty()) return std::wstring(fallback);
  if (NamesADevice(name)) name.insert(0, 1, L'_');
  return name;
}
