#pragma once
// The status window frmAbout: title, version, printer name and one status
// text; it carries the timer that drives the polling cycle and refuses to be
// closed by the user.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/desktop.h"

namespace rizarode {

class Program;

class FrmAbout : public StatusWindowEvents {
 public:
  explicit FrmAbout(Program& program);
  ~FrmAbout() override;

  // Creates the platform window with the captions it was designed with and
  // runs Form_Load.
  void Load();
  void Form_Load();
  void Form_QueryUnload(bool& cancel, int unloadMode) override;
  void Form_Unload() override;
  void timClock_Timer() override;

  StatusWindowView& View() { return *view_; }
  int32_t& TickCounter() { return tickCounter_; }

 private:
  Program& program_;
  std::unique_ptr<StatusWindowView> view_;
  int32_t tickCounter_ = 0;
};

// The program's status window, created (and loaded) on first use.
FrmAbout& StatusWindow(Program& program);

// Shows a status text. flags bit 1 set: always shown, and the window caption
// becomes caption (or text when caption is empty). Clear: debug information,
// shown only with debug flag 1, caption unchanged.
void ShowStatus(Program& program, const std::string& text,
                const std::string& caption, int flags);

// Seconds as hh:mm:ss, two digits each (the hours wrap at 100).
std::string FormatElapsed(int32_t seconds);

// Moves a window in normal state to the centre of the screen.
void CenterForm(StatusWindowView& window);

}  // namespace rizarode
