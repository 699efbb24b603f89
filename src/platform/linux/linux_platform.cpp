#include "platform/linux/linux_platform.h"

#include <cstdio>

#include "platform/linux/bus_notifier.h"
#include "platform/linux/default_printer.h"
#include "platform/linux/file_registry_store.h"
#include "platform/linux/gtk_desktop.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/linux_font_system.h"
#include "platform/linux/linux_program_info.h"
#include "platform/linux/pdf_file_device.h"
#include "platform/linux/posix_launcher.h"
#include "platform/linux/process_window_list.h"
#include "platform/linux/system_clock.h"
#include "platform/linux/terminal_desktop.h"
#include "platform/linux/x11_window_list.h"

namespace rizarode {
namespace {

// A window system when a display can be opened, else the terminal.
std::unique_ptr<Desktop> MakeDesktop(ProgramInfo& info) {
  if (GtkDesktop::OpenDisplay()) return std::make_unique<GtkDesktop>(info.ExecutableName());
  return std::make_unique<TerminalDesktop>(stdin, stderr);
}

// The windows of the display when one opens; else the user's processes,
// among which the host's ends the moment it exits.
std::unique_ptr<WindowList> MakeWindowList(PosixLauncher& launcher) {
  if (auto x11 = X11WindowList::Open()) {
    x11->FollowStartedProcess([&launcher] { return launcher.StartedProcess(); });
    X11WindowList* list = x11.get();
    launcher.MeasureScreenWith([list] { return list->RoomForNewWindow(); });
    return x11;
  }
  launcher.UseDummyDisplay(true);
  return std::make_unique<ProcessWindowList>(
      [&launcher] { launcher.ReapEndedChildren(); }, "/proc",
      [&launcher](pid_t pid) { return launcher.TitleOf(pid); });
}

}  // namespace

struct LinuxPlatform::Machine {
  Machine(int argc, char** argv) : random(clock), info(argc, argv) {
    desktop = MakeDesktop(info);
    windows = MakeWindowList(launcher);
  }
  std::unique_ptr<Desktop> desktop;
  PosixLauncher launcher;
  std::unique_ptr<WindowList> windows;
  LinuxFileSystem files;
  std::unique_ptr<RegistryStore> registry = std::make_unique<FileRegistryStore>(DefaultRegistryRoot());
  std::unique_ptr<FontSystem> fonts = std::make_unique<LinuxFontSystem>(SystemRestartCommand());
  SystemClock clock;
  ClockSeededRandom random;
  LinuxProgramInfo info;
  std::unique_ptr<PageDevice> pages = MakeDefaultPageDevice();
  BusNotifier notifier;
};

LinuxPlatform::LinuxPlatform(int argc, char** argv)
    : machine_(std::make_unique<Machine>(argc, argv)),
      platform_{*machine_->desktop, *machine_->windows, machine_->launcher, machine_->files,
                *machine_->registry, *machine_->fonts,   machine_->clock,    machine_->random,
                machine_->info,     machine_->notifier} {
  ClearAbandonedPartialPdfFiles(DefaultPdfDirectory());
}

PageDevice& LinuxPlatform::Pages() { return *machine_->pages; }

LinuxPlatform::~LinuxPlatform() = default;

void LinuxPlatform::HangUpHost() { machine_->launcher.HangUpChildren(); }

}  // namespace rizarode
