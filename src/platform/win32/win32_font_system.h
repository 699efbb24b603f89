#pragma once
// Fonts the Windows way: the Windows directory holds the fonts directory, a
// font file is added to the session's font table, every top-level window is
// told of the change, and a restart goes through ExitWindowsEx.

#include "platform/font_system.h"

namespace rizarode {

class Win32FontSystem : public FontSystem {
 public:
  // allowRestart is false everywhere but in the real program, so that no
  // test can ever shut the machine down.
  explicit Win32FontSystem(bool allowRestart) : allowRestart_(allowRestart) {}

  std::string SystemDirectory() override;
  int AddFontResource(const std::string& path) override;
  void BroadcastFontChange() override;
  bool RequestRestart() override;

 private:
  bool allowRestart_;
};

}  // namespace rizarode
