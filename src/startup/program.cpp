#include "startup/program.h"

#include "printing/status_window.h"

namespace rizarode {

Program::Program(Platform& p) : platform(p), files(p.files) {}

Program::~Program() = default;

FrmAbout& Program::StatusWindow() {
  if (!statusWindow_) {
    statusWindow_ = std::make_unique<FrmAbout>(*this);
    statusWindow_->Load();
  }
  return *statusWindow_;
}

}  // namespace rizarode
