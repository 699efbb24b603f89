#include "startup/run.h"

#include <exception>

#include "program/program.h"
#include "startup/startup.h"

namespace rizarode {
namespace {

int Unexpected(Platform& platform, const std::string& what) {
  platform.desktop.MessageBox(
      "Unexpected error: " + what + "\r\rThe program ends.",
      kMbOk + kMbIconCritical, platform.info.ExecutableName());
  return static_cast<int>(ExitCode::kUnexpected);
}

}  // namespace

int RunProgram(Platform& platform, Printer& printer) {
  try {
    Program program(platform, printer);
    try {
      RunStartup(program);
      platform.desktop.RunEventLoop();
    } catch (const ProgramEnded& end) {
      return static_cast<int>(end.code);
    } catch (const PrinterError& e) {
      return Unexpected(platform, "printer error " + std::to_string(e.code()) +
                                      " (" + e.what() + ")");
    } catch (const std::exception& e) {
      return Unexpected(platform, e.what());
    }
  } catch (const ProgramEnded& end) {
    return static_cast<int>(end.code);
  }
  return static_cast<int>(ExitCode::kUnexpected);
}

}  // namespace rizarode
