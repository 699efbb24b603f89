#include "driver/driver_file.h"

#include "driver/driver_writer.h"
#include "driver/font_phase.h"
#include "driver/form_phase.h"
#include "driver/up_to_date.h"
#include "platform/printer.h"
#include "printing/status_window.h"
#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

template <typename Operation>
void IgnoringFailure(Operation&& operation) {
  try {
    operation();
  } catch (const PrinterError&) {
  }
}

// Probing measures the plain face; emphasis left over would widen the "0".
void ClearEmphasis(Printer& printer) {
  IgnoringFailure([&] { printer.SetFontBold(false); });
  IgnoringFailure([&] { printer.SetFontItalic(false); });
  IgnoringFailure([&] { printer.SetFontUnderline(false); });
}

// A printer that cannot tell its name gets a file that names none; the next
// start then writes a new one.
std::string DeviceNameOrEmpty(Printer& printer) {
  try {
    return printer.DeviceName();
  } catch (const PrinterError&) {
    return {};
  }
}

void WriteNewDriverFile(Program& program, const std::string& path,
                        int16_t& formsCount, int16_t& fontsCount) {
  int16_t fileNumber = program.files.OpenFileByMode(path, "O", "W", "RW", 0);
  if (fileNumber == 0) return;
  DriverWriter writer(program.files, fileNumber);
  ShowStatus(program, "Starting driver generation.", "", 0);
  Printer& printer = program.platform.printer;
  ClearEmphasis(printer);
  WriteHeader(writer, DeviceNameOrEmpty(printer));
  WriteFieldBlocks(writer);
  int16_t forms = RunFormPhase(program, writer);
  int16_t fonts = RunFontPhase(program, writer);
  // A file that did not reach the disk whole must not be handed to the host
  // application as if it had: start-up refuses it and deletes it.
  if (!writer.Close()) return;
  formsCount = forms;
  fontsCount = fonts;
}

}  // namespace

void GenerateDriverFile(Program& program, int16_t& formsCount,
                        int16_t& fontsCount) {
  formsCount = 0;
  fontsCount = 0;
  const std::string path = program.state.DriverFilePath();
  DriverFileSummary existing = ReadDriverFileSummary(program, path);
  if (existing.current) {
    // The file stays as it is; only the face is asked again, as fonts come
    // and go between runs.
    if (PrinterTakesFace(program.platform.printer, program.state.fontFaceName)) {
      formsCount = existing.forms;
      fontsCount = existing.fonts;
    }
  } else {
    WriteNewDriverFile(program, path, formsCount, fontsCount);
  }
  ShowStatus(program,
             "Installed " + Decimal(formsCount) + " forms and " +
                 Decimal(fontsCount) + " fonts",
             "", 0);
}

}  // namespace rizarode
