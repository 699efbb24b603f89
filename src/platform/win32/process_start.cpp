#include "platform/win32/process_start.h"

#include <vector>

namespace rizarode {
namespace {

// The attribute list that names the one handle the new process inherits:
// without it, it would inherit every inheritable handle of this program's.
class InheritOnly {
 public:
  explicit InheritOnly(HANDLE handle) : handle_(handle) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    buffer_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    initialized_ = true;
    if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_,
                                  sizeof handle_, nullptr, nullptr)) {
      list_ = list;
    }
  }
  ~InheritOnly() {
    if (initialized_) {
      DeleteProcThreadAttributeList(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data()));
    }
  }
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;
  // Null when the list could not be made.
  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

 private:
  HANDLE handle_;
  std::vector<char> buffer_;
  bool initialized_ = false;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// An inheritable copy of the handle, only for the creation: the handle
// itself stays out of every other process this program starts.
class InheritableCopy {
 public:
  explicit InheritableCopy(HANDLE handle) {
    if (handle && !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy_, 0,
                                   TRUE, DUPLICATE_SAME_ACCESS)) {
      copy_ = nullptr;
    }
  }
  ~InheritableCopy() {
    if (copy_) CloseHandle(copy_);
  }
  InheritableCopy(const InheritableCopy&) = delete;
  InheritableCopy& operator=(const InheritableCopy&) = delete;
  HANDLE get() const { return copy_; }

 private:
  HANDLE copy_ = nullptr;
};

}  // namespace

bool CreateProcessHandingDown(const std::string& program, std::string commandLine,
                              const char* currentDirectory, HANDLE handedDown,
                              PROCESS_INFORMATION& process) {
  STARTUPINFOEXA startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_SHOWNORMAL;
  const InheritableCopy copy(handedDown);
  const InheritOnly only(copy.get());
  const bool handsDown = copy.get() && only.get();
  DWORD flags = 0;
  if (handsDown) {
    startup.lpAttributeList = only.get();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  // CreateProcessA may write into the command line it is given.
  return CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, handsDown ? TRUE : FALSE,
                        flags, nullptr, currentDirectory, &startup.StartupInfo, &process) != 0;
}

}  // namespace rizarode
