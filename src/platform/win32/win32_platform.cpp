#include "platform/win32/win32_platform.h"

#include "platform/win32/gdi_page_device.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_font_system.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_notifier.h"
#include "platform/win32/win32_program_info.h"
#include "platform/win32/win32_registry_store.h"
#include "platform/win32/win32_window_list.h"

namespace rizarode {

struct Win32Platform::Machine {
  Win32Desktop desktop;
  Win32WindowList windows;
  Win32Launcher launcher;
  Win32FileSystem files;
  Win32RegistryStore registry;
  Win32FontSystem fonts{true};
  Win32Clock clock;
  ClockSeededRandom random{clock};
  Win32ProgramInfo info;
  GdiPageDevice pages;
  Win32Notifier notifier{[this] { desktop.BringStatusWindowToUser(); }};
};

Win32Platform::Win32Platform()
    : machine_(std::make_unique<Machine>()),
      platform_{machine_->desktop, machine_->windows, machine_->launcher, machine_->files,
                machine_->registry, machine_->fonts,   machine_->clock,    machine_->random,
                machine_->info,     machine_->notifier} {}

PageDevice& Win32Platform::Pages() { return machine_->pages; }

Win32Platform::~Win32Platform() = default;

}  // namespace rizarode
