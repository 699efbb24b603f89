#pragma once
// Stand-ins for the parts of the machine whose real implementations are not
// in place yet. Each is replaced by its own file as it lands.

#include "platform/font_system.h"
#include "platform/printer.h"
#include "platform/process_launcher.h"
#include "platform/registry_store.h"
#include "platform/window_list.h"

namespace rizarode {

class NoWindowList : public WindowList {
 public:
  WindowHandle First() override { return 0; }
  WindowHandle Next(WindowHandle) override { return 0; }
  std::string Title(WindowHandle) override { return {}; }
  void Show(WindowHandle, int) override {}
  void SetFocus(WindowHandle) override {}
};

class NoProcessLauncher : public ProcessLauncher {
 public:
  bool Start(const std::string&) override { return false; }
};

class EmptyRegistryStore : public RegistryStore {
 public:
  int32_t OpenKey(const std::string&, uint32_t, RegKey&) override { return kRegFileNotFound; }
  int32_t QueryValue(RegKey, const std::string&, uint32_t&, std::string*, uint32_t&) override {
    return kRegInvalidHandle;
  }
  int32_t SetValue(RegKey, const std::string&, uint32_t, const std::string&) override {
    return kRegInvalidHandle;
  }
  int32_t CloseKey(RegKey) override { return kRegInvalidHandle; }
};

class NoFontSystem : public FontSystem {
 public:
  std::string SystemDirectory() override { return "/nonexistent/"; }
  int AddFontResource(const std::string&) override { return 0; }
  void BroadcastFontChange() override {}
  bool RequestRestart() override { return false; }
};

class NoPrinter : public Printer {
 public:
  std::string DeviceName() override { return ""; }
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

 private:
  [[noreturn]] static void Fail() {
    throw PrinterError(kPrinterErrorNoPrinter, "no printer");
  }
};

}  // namespace rizarode
