// A second process for sharing tests. Reads one command per line from
// standard input and answers each with one line, so that the test knows
// exactly when a file is held and when it has been let go:
//
//   raw-write PATH            open PATH for writing the plain way -> ok|fail
//   raw-read PATH             open PATH for reading the plain way -> ok|fail
//   raw-close                 close the plain descriptors        -> ok
//   open MODE ACCESS LOCK PATH  through the file table ("-" for an empty
//                             code)                              -> file number
//   close NUMBER              close a file-table file            -> ok|fail
//   drop-lease-capability     give up CAP_LEASE, so that leases on files of
//                             other users are refused (Linux)      -> ok|fail
//   lease PATH                try a read lease on PATH, release it (Linux)
//                                                                 -> ok|errno
//
// The end of standard input ends the process. A plain open is what a program
// that knows nothing of sharing does: on Windows it lets others read and
// write.

#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#include "platform/win32/windows_api.h"
#else
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/linux/linux_file_system.h"
#endif

#include <cerrno>
#include <cstring>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "fileio/file_table.h"

namespace {

std::string Code(const std::string& word) { return word == "-" ? "" : word; }

std::string RestOfLine(std::istringstream& in) {
  std::string rest;
  std::getline(in >> std::ws, rest);
  return rest;
}

#ifdef _WIN32
using NativeFileSystem = rizarode::Win32FileSystem;
using RawFile = HANDLE;

bool RawOpen(const std::string& path, bool write, RawFile& file) {
  file = CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  return file != INVALID_HANDLE_VALUE;
}
void RawClose(RawFile file) { CloseHandle(file); }
bool DropLeaseCapability() { return false; }
std::string TryLease(const std::string&) { return "no leases here"; }
#else
using NativeFileSystem = rizarode::LinuxFileSystem;
using RawFile = int;

bool RawOpen(const std::string& path, bool write, RawFile& file) {
  file = ::open(path.c_str(), write ? O_WRONLY : O_RDONLY);
  return file >= 0;
}
void RawClose(RawFile file) { ::close(file); }

bool DropLeaseCapability() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (::syscall(SYS_capget, &header, data) != 0) return false;
  data[0].effective &= ~(1u << CAP_LEASE);
  data[0].permitted &= ~(1u << CAP_LEASE);
  data[0].inheritable &= ~(1u << CAP_LEASE);
  return ::syscall(SYS_capset, &header, data) == 0;
}

std::string TryLease(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return std::strerror(errno);
  std::string answer = "ok";
  if (::fcntl(fd, F_SETLEASE, F_RDLCK) != 0) answer = std::strerror(errno);
  else ::fcntl(fd, F_SETLEASE, F_UNLCK);
  ::close(fd);
  return answer;
}
#endif

}  // namespace

int main() {
  NativeFileSystem files;
  rizarode::FileTable table(files);
  std::vector<RawFile> raw;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    std::string answer = "fail";
    if (command == "raw-write" || command == "raw-read") {
      std::string path = RestOfLine(in);
      RawFile file;
      if (RawOpen(path, command == "raw-write", file)) raw.push_back(file), answer = "ok";
    } else if (command == "raw-close") {
      for (RawFile file : raw) RawClose(file);
      raw.clear();
      answer = "ok";
    } else if (command == "open") {
      std::string mode, access, lock;
      in >> mode >> access >> lock;
      std::string path = RestOfLine(in);
      answer = std::to_string(table.OpenFileByMode(path, Code(mode), Code(access), Code(lock), 0));
    } else if (command == "drop-lease-capability") {
      if (DropLeaseCapability()) answer = "ok";
    } else if (command == "lease") {
      answer = TryLease(RestOfLine(in));
    } else if (command == "close") {
      int number = 0;
      in >> number;
      if (table.Close(static_cast<int16_t>(number))) answer = "ok";
    }
    std::cout << answer << std::endl;
  }
  for (RawFile file : raw) RawClose(file);
  return 0;
}
