#include "printing/status_window.h"

#include "platform/status_window_design.h"
#include "printing/polling_cycle.h"
#include "program/messages.h"
#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {

FrmAbout::FrmAbout(Program& program) : program_(program) {}

FrmAbout::~FrmAbout() = default;

void FrmAbout::Load() {
  view_ = program_.platform.desktop.CreateStatusWindow(*this);
  for (const LabelDesign& design : kStatusWindowDesign) {
    if (*design.caption != '\0') view_->SetLabel(design.label, design.caption);
  }
  Form_Load();
}

void FrmAbout::Form_Load() {
  view_->SetLabel(StatusLabel::lblPrinter, program_.printer.DeviceName());
  std::string version = kVersionText;
  if (program_.state.Debug(kDebugInfo)) {
    FileVersion v = program_.platform.info.Version();
    version += "  (" + Decimal(v.major) + "." + Decimal(v.minor) + "." +
               Decimal(v.revision) + ")";
  }
  view_->SetLabel(StatusLabel::lblVersie, version);
  CenterForm(*view_);
}

void FrmAbout::Form_QueryUnload(bool& cancel, int unloadMode) {
  if (unloadMode != kUnloadControlMenu) return;
  std::optional<std::string> message =
      CloseRefusalMessage(program_.state.languageCode);
  if (message) {
    program_.platform.desktop.MessageBox(*message, kMbOk + kMbIconExclamation,
                                         program_.platform.info.ExecutableName());
  }
  cancel = true;
}

void FrmAbout::Form_Unload() {
  EndRunForSession(program_);
  EndProgram(ExitCode::kSessionEnded);
}

void FrmAbout::timClock_Timer() { RunPollingTick(program_); }

FrmAbout& StatusWindow(Program& program) {
  if (!program.statusWindow) {
    program.statusWindow = std::make_shared<FrmAbout>(program);
    program.statusWindow->Load();
  }
  return *program.statusWindow;
}

void ShowStatus(Program& program, const std::string& text,
                const std::string& caption, int flags) {
  bool always = (flags & 1) != 0;
  if (!program.state.Debug(kDebugInfo) && !always) return;
  StatusWindowView& view = StatusWindow(program).View();
  view.SetLabel(StatusLabel::lblStatus, text);
  view.Repaint();
  if (always) view.SetCaption(caption.empty() ? text : caption);
}

std::string FormatElapsed(int32_t seconds) {
  auto twoDigits = [](int32_t value) {
    std::string digits = "00" + Decimal(value);
    return digits.substr(digits.size() - 2);
  };
  return twoDigits(seconds / 3600) + ":" + twoDigits((seconds % 3600) / 60) +
         ":" + twoDigits(seconds % 60);
}

void CenterForm(StatusWindowView& window) {
  if (window.State() != WindowState::kNormal) return;
  double left = (window.ScreenWidth() - window.WindowWidth()) / 2.0;
  double top = (window.ScreenHeight() - window.WindowHeight()) / 2.0;
  window.Move(static_cast<int>(RoundHalfEven(left)),
              static_cast<int>(RoundHalfEven(top)));
}

}  // namespace rizarode
