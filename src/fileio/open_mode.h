#pragma once
// The combinations of mode letter, access code and lock code that files are
// opened with, and what each one asks of the file system.

#include <optional>
#include <string>

#include "platform/file_system.h"

namespace rizarode {

struct OpenPlan {
  char mode = 0;                // "A", "B", "I", "O" or "R"
  OpenRequest request;          // how the file system opens the file
  bool existenceTest = false;   // first see that the file is there, creating nothing
  bool positionAtEnd = false;   // append after the existing content
  int lineWidth = 0;            // characters per written line; 0 for no limit
  int readBufferSize = 0;       // bytes read from the file at a time
  int recordLength = 0;         // mode "R" only
};

// The plan for a combination, or nothing when it is not accepted. The mode
// letter may be in either case; access and lock codes are compared exactly.
std::optional<OpenPlan> PlanOpen(const std::string& mode, const std::string& access,
                                 const std::string& lock, int recordLength);

}  // namespace rizarode
