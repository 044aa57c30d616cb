#include "app/MagnetLink.h"

bool IsMagnetLink(TextView address) {
  constexpr TextView kScheme = "magnet:?";
  if (address.size() < kScheme.size()) return false;
  for (size_t index = 0; index < kScheme.size(); ++index) {
    char letter = address[index];
    if (letter >= 'A' && letter <= 'Z') letter = char(letter - 'A' + 'a');
    if (letter != kScheme[index]) return false;
  }
  return address.find_first_of("\r\n") == TextView::npos;
}
