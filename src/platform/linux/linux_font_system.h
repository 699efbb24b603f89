#pragma once
// Fonts through fontconfig: the user's data directory stands for the system
// directory (fontconfig scans its "fonts" subdirectory), a font added here is
// usable by this process at once, a font change makes fontconfig rescan, and
// a restart is asked of the service manager.

#include <string>
#include <vector>

#include "platform/font_system.h"

namespace rizarode {

// The command that asks the machine to restart.
std::vector<std::string> SystemRestartCommand();

class LinuxFontSystem : public FontSystem {
 public:
  // restartCommand is run (searched on PATH) by RequestRestart; it is given
  // explicitly so that nothing but the real platform ever restarts the
  // machine.
  explicit LinuxFontSystem(std::vector<std::string> restartCommand);

  // $XDG_DATA_HOME, or ~/.local/share when it is unset or not absolute. Its
  // "fonts" subdirectory is made when missing: the program copies fonts into
  // it, and on a fresh account it does not exist yet.
  std::string SystemDirectory() override;
  int AddFontResource(const std::string& path) override;
  // Reloads fontconfig's configuration and rescans its directories (which
  // refreshes the shared caches other programs read), then adds this
  // process's own fonts again, since the reload forgets them.
  void BroadcastFontChange() override;
  // True when the command ran and succeeded.
  bool RequestRestart() override;

 private:
  std::vector<std::string> restartCommand_;
  std::vector<std::string> addedFonts_;
};

}  // namespace rizarode
