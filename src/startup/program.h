#pragma once
// One run of the program: the platform it runs on, its module-level state,
// its table of open files and its status window.

#include <memory>

#include "fileio/file_table.h"
#include "platform/platform.h"
#include "startup/module_state.h"
#include "startup/program_end.h"

namespace rizarode {

class FrmAbout;

class Program {
 public:
  explicit Program(Platform& platform);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Platform& platform;
  ModuleState state;
  FileTable files;

  // The status window, created (and loaded) on first use.
  FrmAbout& StatusWindow();
  bool HasStatusWindow() const { return statusWindow_ != nullptr; }

 private:
  std::unique_ptr<FrmAbout> statusWindow_;
};

}  // namespace rizarode
