#include "base/text.h"

namespace rizarode {

// ASCII letters only: on Linux the argument text arrives as UTF-8,
// whose multi-byte letters must pass through untouched.
std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string Trimmed(std::string_view text, std::string_view blanks) {
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(blanks) + 1 - first));
}

}  // namespace rizarode
