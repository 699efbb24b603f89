#pragma once
// One run of the program: the platform it runs on, the printer it prints
// on, its module-level state,
// its table of open files and its status window.

#include <memory>

#include "fileio/file_table.h"
#include "platform/platform.h"
#include "printer/printer.h"
#include "program/module_state.h"
#include "program/program_end.h"

namespace rizarode {

class FrmAbout;

class Program {
 public:
  Program(Platform& platform, Printer& printer);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Platform& platform;
  Printer& printer;
  ModuleState state;
  FileTable files;

  bool HasStatusWindow() const { return statusWindow != nullptr; }

  // The status window once it exists. The printing layer makes it on first
  // use (StatusWindow in printing/status_window.h); the program only holds
  // it, so that it lives exactly as long as the run.
  std::shared_ptr<FrmAbout> statusWindow;
};

}  // namespace rizarode
