#include "printer/face_provider.h"

#include <algorithm>
#include <cctype>

namespace rizarode {

bool SameFaceName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace rizarode
