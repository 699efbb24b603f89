#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_font_system.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_program_info.h"
#include "platform/win32/win32_registry_store.h"
#include "platform/win32/win32_window_list.h"

// Until the GDI printer and the Win32 desktop land, stand-ins keep the
// program linkable.
#if __has_include("platform/win32/gdi_printer.h")
#include "platform/win32/gdi_printer.h"
#define RIZARODE_HAVE_GDI_PRINTER 1
#endif
#if __has_include("platform/win32/win32_desktop.h")
#include "platform/win32/win32_desktop.h"
#define RIZARODE_HAVE_WIN32_DESKTOP 1
#endif

namespace rizarode {
namespace {

#ifndef RIZARODE_HAVE_GDI_PRINTER
class GdiPrinter : public Printer {
 public:
  [[noreturn]] static void Fail() { throw PrinterError(kPrinterErrorNoPrinter, "no printer yet"); }
  std::string DeviceName() override { Fail(); }
  std::string FontName() override { Fail(); }
  void SetFontName(const std::string&) override { Fail(); }
  float FontSize() override { Fail(); }
  void SetFontSize(float) override { Fail(); }
  void SetFontBold(bool) override { Fail(); }
  void SetFontItalic(bool) override { Fail(); }
  void SetFontUnderline(bool) override { Fail(); }
  void SetPaperSize(int16_t) override { Fail(); }
  int16_t Orientation() override { Fail(); }
  void SetOrientation(int16_t) override { Fail(); }
  int16_t PaperBin() override { Fail(); }
  void SetPaperBin(int16_t) override { Fail(); }
  float Width() override { Fail(); }
  float Height() override { Fail(); }
  float TextWidth(std::string_view) override { Fail(); }
  float TextHeight(std::string_view) override { Fail(); }
  void PrintText(std::string_view) override { Fail(); }
  void LineEnd() override { Fail(); }
  void NewPage() override { Fail(); }
  void EndDoc() override { Fail(); }
};
#endif

#ifndef RIZARODE_HAVE_WIN32_DESKTOP
class Win32Desktop : public Desktop {
 public:
  int MessageBox(const std::string& text, int style, const std::string& title) override {
    return MessageBoxA(nullptr, text.c_str(), title.c_str(), static_cast<UINT>(style));
  }
  void DoEvents() override {}
  std::unique_ptr<StatusWindowView> CreateStatusWindow(StatusWindowEvents&) override {
    return nullptr;
  }
  [[noreturn]] void RunEventLoop() override { ExitProcess(1); }
};
#endif

}  // namespace

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
  GdiPrinter printer;
};

Win32Platform::Win32Platform() : parts_(std::make_unique<Parts>()) {
  Parts& p = *parts_;
  platform_ = std::unique_ptr<Platform>(new Platform{
      p.desktop, p.windows, p.launcher, p.files, p.registry, p.fonts,
      p.clock, p.random, p.info, p.printer});
}

Win32Platform::~Win32Platform() = default;

}  // namespace rizarode
