#include "platform/detached_box.h"

#include <cstdlib>

namespace rizarode {
namespace {

void RemoveVariable(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");  // an empty value removes the variable
#else
  ::unsetenv(name);
#endif
}

}  // namespace

std::vector<std::string> DetachedBoxEnvironment(const DetachedBox& box) {
  return {std::string(kDetachedBoxText) + "=" + box.text,
          std::string(kDetachedBoxTitle) + "=" + box.title};
}

std::optional<DetachedBox> TakeDetachedBoxRequest() {
  const char* text = std::getenv(kDetachedBoxText);
  if (!text) return std::nullopt;
  const char* title = std::getenv(kDetachedBoxTitle);
  DetachedBox box{text, title ? title : ""};
  RemoveVariable(kDetachedBoxText);
  RemoveVariable(kDetachedBoxTitle);
  return box;
}

int ShowDetachedBox(Desktop& desktop, const DetachedBox& box) {
  desktop.MessageBox(box.text, kMbOk + kMbIconExclamation, box.title);
  return 0;
}

}  // namespace rizarode
