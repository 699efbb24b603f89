#include "program/take_token.h"

#include <utility>

namespace rizarode {

std::string TakeToken(std::string& text, const std::string& delimiter) {
  std::size_t at = text.find(delimiter);
  if (at == std::string::npos) {
    std::string all = std::move(text);
    text.clear();
    return all;
  }
  std::string head = text.substr(0, at);
  text.erase(0, at + delimiter.size());
  return head;
}

}  // namespace rizarode
