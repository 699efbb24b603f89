#pragma once
// The windows of one listing, walked with First and Next. A walk asks for
// the window after the one it was last given, so that answer is found
// without a search; any other window is looked up.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/window_list.h"

namespace rizarode {

class WindowWalk {
 public:
  // Starts a new listing; returns its first window, or 0.
  WindowHandle Start(std::vector<WindowHandle> windows) {
    listed_ = std::move(windows);
    nextIndex_ = 1;
    return listed_.empty() ? 0 : listed_.front();
  }

  WindowHandle Next(WindowHandle window) {
    std::size_t at = nextIndex_ > 0 && nextIndex_ <= listed_.size() &&
                             listed_[nextIndex_ - 1] == window
                         ? nextIndex_ - 1
                         : static_cast<std::size_t>(
                               std::find(listed_.begin(), listed_.end(), window) -
                               listed_.begin());
    if (at + 1 >= listed_.size()) return 0;
    nextIndex_ = at + 2;
    return listed_[at + 1];
  }

 private:
  std::vector<WindowHandle> listed_;  // as of the last Start()
  std::size_t nextIndex_ = 0;         // one past the window Next() last gave
};

}  // namespace rizarode
