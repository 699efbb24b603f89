#pragma once
// Windows-style sharing (what others may do while a file is open) on a
// system without mandatory sharing modes. Two mechanisms work together:
//
// - Open-file-description locks between cooperating processes, i.e. every
//   process that opens files through LinuxFileSystem: each open holds read
//   locks on marker bytes far beyond any real data, one byte per access it
//   has (read, write) and one per access it denies (read, write). An open
//   that wants an access some holder denies, or that denies an access some
//   holder has, fails. Read locks never block each other, so holders only
//   announce; nobody waits. On a file system without byte-range locks this
//   part is left out.
// - File leases for every other process: the kernel grants a read lease
//   only while no descriptor anywhere has the file open for writing, and a
//   write lease only while no other descriptor has it open at all. The lease
//   is released again at once; it is a question, never a lasting claim.
//   Where leases are refused (file systems without them, EINVAL; files
//   owned by another user without CAP_LEASE, EACCES) the descriptors listed
//   in /proc are searched instead.
//
// A process that opens the file without this protocol cannot be stopped by
// it (Linux has no mandatory locks); it is only seen by the lease test.

namespace rizarode {

struct ShareClaim {
  bool read = false;
  bool write = false;
  bool denyRead = false;
  bool denyWrite = false;
};

// Announces the claim on guardFd (a read-only descriptor of a regular file
// that stays open as long as the claim holds) and checks it against every
// other open of the file. False when the open must fail.
bool ClaimShare(int guardFd, const ShareClaim& claim);

}  // namespace rizarode
