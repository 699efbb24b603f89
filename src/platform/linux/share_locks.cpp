#include "platform/linux/share_locks.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "platform/linux/open_file_scan.h"

namespace rizarode {
namespace {

// Marker bytes at the top of the offset range, where no file has data.
constexpr off_t kMarkerBase = std::numeric_limits<off_t>::max() - 16;
constexpr off_t kHasRead = kMarkerBase + 0;
constexpr off_t kHasWrite = kMarkerBase + 1;
constexpr off_t kDeniesRead = kMarkerBase + 2;
constexpr off_t kDeniesWrite = kMarkerBase + 3;

enum class Announced { kYes, kConflict, kUnsupported };

Announced Announce(int fd, off_t marker) {
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = marker;
  lock.l_len = 1;
  if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return Announced::kYes;
  // Someone holds a write lock over the markers (a whole-file lock of a
  // program of its own): that file is taken.
  if (errno == EAGAIN || errno == EACCES) return Announced::kConflict;
  return Announced::kUnsupported;  // e.g. ENOLCK on a network file system
}

// True when another open file description announces the marker. A failing
// query counts as announced: an open must not succeed on a guess.
bool OthersAnnounce(int fd, off_t marker) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = marker;
  lock.l_len = 1;
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return true;
  return lock.l_type != F_UNLCK;
}

Announced AnnounceAll(int fd, const ShareClaim& claim) {
  const std::pair<bool, off_t> markers[] = {{claim.read, kHasRead},
                                            {claim.write, kHasWrite},
                                            {claim.denyRead, kDeniesRead},
                                            {claim.denyWrite, kDeniesWrite}};
  for (auto [wanted, marker] : markers) {
    if (!wanted) continue;
    Announced result = Announce(fd, marker);
    if (result != Announced::kYes) return result;
  }
  return Announced::kYes;
}

// Own markers are set before others are looked at: of two opens that race,
// at least one sees the other and fails, never both succeed. Where the file
// system has no byte-range locks, only the kernel's lease test is left.
bool CooperatingOpenersAllow(int fd, const ShareClaim& claim) {
  switch (AnnounceAll(fd, claim)) {
    case Announced::kYes: break;
    case Announced::kConflict: return false;
    case Announced::kUnsupported: return true;
  }
  if (claim.read && OthersAnnounce(fd, kDeniesRead)) return false;
  if (claim.write && OthersAnnounce(fd, kDeniesWrite)) return false;
  if (claim.denyRead && OthersAnnounce(fd, kHasRead)) return false;
  if (claim.denyWrite && OthersAnnounce(fd, kHasWrite)) return false;
  return true;
}

enum class LeaseAnswer { kGranted, kRefused, kUnavailable };

LeaseAnswer TryLease(int fd, int type) {
  // A lease broken while held signals its holder, with SIGIO by default,
  // which would end the program. SIGURG is ignored unless handled.
  if (::fcntl(fd, F_SETSIG, SIGURG) != 0) return LeaseAnswer::kUnavailable;
  if (::fcntl(fd, F_SETLEASE, type) == 0) {
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    return LeaseAnswer::kGranted;
  }
  return errno == EAGAIN ? LeaseAnswer::kRefused : LeaseAnswer::kUnavailable;
}

// No descriptor (ours included) has the file open for writing.
bool NoWriters(int fd) {
  switch (TryLease(fd, F_RDLCK)) {
    case LeaseAnswer::kGranted: return true;
    case LeaseAnswer::kRefused: return false;
    case LeaseAnswer::kUnavailable: break;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  return !FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kWriters, fd);
}

// No descriptor but fd has the file open at all.
bool NoOtherOpeners(int fd) {
  switch (TryLease(fd, F_WRLCK)) {
    case LeaseAnswer::kGranted: return true;
    case LeaseAnswer::kRefused: return false;
    case LeaseAnswer::kUnavailable: break;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  return !FindOpenDescriptor(st.st_dev, st.st_ino, OpenersWanted::kAny, fd);
}

}  // namespace

bool ClaimShare(int guardFd, const ShareClaim& claim) {
  if (!CooperatingOpenersAllow(guardFd, claim)) return false;
  // Nobody else can be reading without being open, so "no other opener"
  // is the nearest the kernel can answer "nobody reads".
  if (claim.denyRead) return NoOtherOpeners(guardFd);
  if (claim.denyWrite) return NoWriters(guardFd);
  return true;
}

}  // namespace rizarode
