#pragma once
// Files and directories. Paths are the program's 8-bit texts, passed to the
// operating system unchanged.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rizarode {

// What others may do while a file is open. An open that denies an access
// fails while another open has it; an open that wants an access fails while
// another open denies it. Other opens include the program's own.
enum class ShareLock {
  kDefault,    // the platform's default for the open mode (on Linux: shared)
  kShared,     // others may read and write
  kDenyRead,   // others may not read
  kDenyWrite,  // others may not write; the open fails while another
               // process has the file open for writing
  kDenyReadWrite,
};

struct OpenRequest {
  bool read = false;
  bool write = false;
  bool create = false;    // create a missing file
  bool truncate = false;  // empty an existing file
  ShareLock lock = ShareLock::kDefault;
};

// An open file: raw bytes at a position.
class FileHandle {
 public:
  virtual ~FileHandle() = default;
  // Reads up to size bytes at the position; 0 at the end, -1 on failure.
  virtual long Read(char* buffer, std::size_t size) = 0;
  virtual bool Write(const char* data, std::size_t size) = 0;
  virtual int64_t Length() = 0;  // -1 on failure
  // Position from 0.
  virtual int64_t Position() = 0;
  virtual bool Seek(int64_t offset) = 0;
  virtual bool Close() = 0;
  // The system's own handle of the open file (a descriptor, a HANDLE), for
  // handing it to a started process; -1 when closed, or where there is none.
  virtual std::intptr_t SystemHandle() const { return -1; }
};

// A file as a directory listing shows it.
struct DirectoryEntry {
  std::string name;
  // Time of the last write, in the system's own units: only compared.
  int64_t modified = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens a regular file; nullptr when it cannot be opened as asked or the
  // sharing lock conflicts with another open. Never follows a symbolic link
  // at the file's own name when it may create or write, and empties a file
  // (truncate) only once the open has been granted.
  virtual std::unique_ptr<FileHandle> Open(const std::string& path,
                                           const OpenRequest& request) = 0;

  // A normal file (not a directory, not hidden) of that name exists.
  virtual bool FileExists(const std::string& path) = 0;
  // The name itself is a symbolic link (whatever it points to). A platform
  // without links has none.
  virtual bool IsSymbolicLink(const std::string& path) {
    (void)path;
    return false;
  }
  // Finds a normal file or a directory entry in dir whose name matches name
  // without regard to case; the exact name wins. Returns the path as found.
  virtual std::optional<std::string> FindNoCase(const std::string& dir,
                                                const std::string& name,
                                                bool wantDirectory) = 0;
  // The normal files of a directory (no links, no directories, none
  // hidden), in no particular order; empty when it cannot be read.
  virtual std::vector<DirectoryEntry> ListDirectory(const std::string& dir) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Gives a file a new name in the same directory. Never replaces a file
  // that has the new name already; a symbolic link is moved as the link.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // Puts the file from at the name to in one step, replacing what is there
  // (a symbolic link as the link): a reader of to sees the old file or the
  // new one, never a part of either.
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Why the last Open or ReplaceFile that failed did, in words for the user
  // (8-bit text); empty when the system did not say.
  virtual std::string LastFailure() const { return {}; }
  // Copies a file to a name not yet taken, on failure saying why in error.
  // The copy is written under a name of its own beside to and given the
  // name only once it is whole, never replacing a file there: whoever looks
  // at to, another copy of the program too, finds no file or a whole one.
  virtual bool CopyFile(const std::string& from, const std::string& to,
                        std::string& error) = 0;

  virtual std::string CurrentDirectory() = 0;
  virtual bool SetCurrentDirectory(const std::string& path) = 0;

  virtual std::optional<std::string> GetEnv(const std::string& name) = 0;

  // How this system names directories, which the work directory's candidates
  // follow: the separator between names; the directories it keeps for
  // temporary files, tried after TEMP and TMP (an unset variable among them
  // as empty text); and the root, tried last.
  virtual char Separator() const = 0;
  virtual std::vector<std::string> TemporaryDirectories() = 0;
  virtual std::string RootDirectory() const = 0;

  // A directory that other users may write in too is no place for one
  // user's files, which the others could read, replace or block. For such a
  // directory, the user's own directory inside it, made when missing, and
  // only when it is a directory (not a link) that the user owns and nobody
  // else may enter; empty when that cannot be had. Any other directory comes
  // back as it was given.
  // A directory that others may write in without the sticky bit gives
  // nothing: any of them could move the user's directory away and put one
  // of their own in its place.
  virtual std::string OwnDirectoryIn(const std::string& directory) = 0;

  // A directory of the program's own that only this user can enter, made
  // when missing, for when every temporary directory fails: better than the
  // current directory, which others may read. Empty where there is none.
  virtual std::string PrivateDirectory() { return {}; }

  // Whether the files of a directory outlive the user's session: not kept
  // in memory, nor in a directory that the system removes at log-out. Jobs
  // kept for the next start wait in the work directory. A directory that
  // cannot be looked at counts as lasting: its probe tells the rest.
  virtual bool OutlivesSession(const std::string& directory) {
    (void)directory;
    return true;
  }

  // Whether the directories of TemporaryDirectories and the root are
  // shared by all accounts as they are: OwnDirectoryIn has no directory of
  // the user's own to give inside them.
  virtual bool SharesSystemDirectories() const { return false; }
  // Where the user's running copies of the program leave word for each
  // other: a directory only this user can enter, the same for every start
  // of the user's, ending with the separator and made when missing. Empty
  // where there is none.
  virtual std::string InstanceDirectory() { return {}; }
  // One text for the directory itself, whatever name reached it (a link,
  // another case of letters where names have none): equal for two paths
  // only when they name one directory. Empty when it cannot be told.
  virtual std::string DirectoryIdentity(const std::string& path) {
    (void)path;
    return {};
  }
  // Takes the lock on a file of the user's (made when missing, and emptied
  // once taken), held until the handle closes or the process ends however
  // it ends, a kill included; a process the handle is handed down to
  // (ProcessLauncher::HandDownToHost) holds it as well, as long as it lives. Of any number of takers at once exactly one
  // gets it. The holder may write the file; others may read it meanwhile
  // (Open with kShared) but not take it. kNoLock: no lock can be had there
  // at all (no such directory, a file system without locks).
  enum class LockTaken { kTaken, kHeld, kNoLock };
  virtual LockTaken TakeLock(const std::string& path, std::unique_ptr<FileHandle>& lock) {
    (void)path;
    lock.reset();
    return LockTaken::kNoLock;
  }
};

}  // namespace rizarode
