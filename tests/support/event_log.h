#pragma once
// One ordered record of what the program asked of the test platform, shared
// by all doubles, so a test can pin the order of steps across interfaces.

#include <algorithm>
#include <string>
#include <vector>

namespace rizarode::testing {

struct EventLog {
  std::vector<std::string> events;
  void Add(std::string event) { events.push_back(std::move(event)); }
  // Position of the first event that starts with prefix, or -1.
  int IndexOf(const std::string& prefix) const {
    for (std::size_t i = 0; i < events.size(); ++i) {
      if (events[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
  }
  bool Has(const std::string& prefix) const { return IndexOf(prefix) >= 0; }
  int Count(const std::string& prefix) const {
    return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const std::string& e) {
      return e.rfind(prefix, 0) == 0;
    }));
  }
};

}  // namespace rizarode::testing
