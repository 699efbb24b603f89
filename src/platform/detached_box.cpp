#include "platform/detached_box.h"

namespace rizarode {

std::vector<std::string> DetachedBoxEnvironment(const DetachedBox& box) {
  return {std::string(kDetachedBoxText) + "=" + box.text,
          std::string(kDetachedBoxTitle) + "=" + box.title};
}

int ShowDetachedBox(Desktop& desktop, const DetachedBox& box) {
  desktop.MessageBox(box.text, kMbOk + kMbIconExclamation, box.title);
  return 0;
}

}  // namespace rizarode
