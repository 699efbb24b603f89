#include "fileio/open_mode.h"

#include "fileio/file_table.h"

namespace rizarode {
namespace {

constexpr int kDefaultReadBuffer = 4096;

std::optional<ShareLock> LockFromCode(const std::string& lock) {
  if (lock.empty()) return ShareLock::kDefault;
  if (lock == "S") return ShareLock::kShared;
  if (lock == "R") return ShareLock::kDenyRead;
  if (lock == "W") return ShareLock::kDenyWrite;
  if (lock == "RW") return ShareLock::kDenyReadWrite;
  return std::nullopt;
}

std::optional<char> ModeLetter(const std::string& mode) {
  if (mode.size() != 1) return std::nullopt;
  char letter = mode[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  switch (letter) {
    case 'A': case 'B': case 'I': case 'O': case 'R': return letter;
    default: return std::nullopt;
  }
}

// Sequential text output: appending or replacing. No read access.
bool PlanTextOutput(const std::string& access, OpenPlan& plan) {
  if (!access.empty() && access != "W") return false;
  plan.request.write = true;
  plan.request.create = true;
  plan.lineWidth = kDefaultLineWidth;
  return true;
}

// Binary and random files: bytes anywhere. Without an access code they are
// opened for reading and writing; a read-only open must not create the file.
bool PlanByteAccess(const std::string& access, OpenPlan& plan) {
  if (access.empty() || access == "RW") {
    plan.request.read = plan.request.write = true;
  } else if (access == "R") {
    plan.request.read = true;
    plan.existenceTest = true;
  } else if (access == "W") {
    plan.request.write = true;
  } else {
    return false;
  }
  plan.request.create = plan.request.write;
  if (plan.request.read) plan.readBufferSize = kDefaultReadBuffer;
  return true;
}

bool PlanAccess(const std::string& access, int recordLength, OpenPlan& plan) {
  switch (plan.mode) {
    case 'A':
      plan.positionAtEnd = true;
      return PlanTextOutput(access, plan);
    case 'O':
      plan.request.truncate = true;
      return PlanTextOutput(access, plan);
    case 'I':
      if (!access.empty() && access != "R") return false;
      if (recordLength < 0) return false;
      plan.request.read = true;
      plan.readBufferSize = recordLength == 0 ? kDefaultReadBuffer : recordLength;
      return true;
    case 'B':
      return PlanByteAccess(access, plan);
    case 'R':
      if (recordLength < 0) return false;
      plan.recordLength = recordLength;
      return PlanByteAccess(access, plan);
  }
  return false;
}

}  // namespace

std::optional<OpenPlan> PlanOpen(const std::string& mode, const std::string& access,
                                 const std::string& lock, int recordLength) {
  std::optional<char> letter = ModeLetter(mode);
  std::optional<ShareLock> shareLock = LockFromCode(lock);
  if (!letter || !shareLock) return std::nullopt;
  OpenPlan plan;
  plan.mode = *letter;
  plan.request.lock = *shareLock;
  if (!PlanAccess(access, recordLength, plan)) return std::nullopt;
  return plan;
}

}  // namespace rizarode
