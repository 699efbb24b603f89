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

struct Win32Platform::Parts {
  Win32Desktop desktop;
  Win32WindowList windows;
  Win32Launcher launcher;
  Win32FileSystem files;
  Win32RegistryStore registry;
  Win32FontSystem fonts{true};
  Win32Clock clock;
  Win32Random random{clock};
  Win32ProgramInfo info;
  GdiPageDevice pages;
  Win32Notifier notifier{[this] { desktop.BringStatusWindowToUser(); }};
};

Win32Platform::Win32Platform() : parts_(std::make_unique<Parts>()) {}

PageDevice& Win32Platform::Pages() { return parts_->pages; }

Platform& Win32Platform::Get(Printer& printer) {
  Parts& p = *parts_;
  platform_ = std::unique_ptr<Platform>(new Platform{
      p.desktop, p.windows, p.launcher, p.files, p.registry, p.fonts,
      p.clock, p.random, p.info, printer, p.notifier});
  return *platform_;
}

Win32Platform::~Win32Platform() = default;

}  // namespace rizarode
