#pragma once
// Which processes have a file open, read from /proc. This is the slow and
// partial answer (only processes whose descriptors this user may inspect are
// seen); file leases give the exact one where the file system offers them.

#include <sys/types.h>

namespace rizarode {

enum class OpenersWanted {
  kWriters,  // descriptors open for writing (write-only or read-write)
  kAny,      // any descriptor
};

// True when some descriptor of a process, other than ignoredFd of this
// process, refers to the file with this device and inode number.
bool FindOpenDescriptor(dev_t device, ino_t inode, OpenersWanted wanted,
                        int ignoredFd);

}  // namespace rizarode
