#include "driver/driver_file.h"

#include "driver/driver_writer.h"
#include "driver/font_phase.h"
#include "driver/form_phase.h"
#include "driver/up_to_date.h"
#include "printer/printer.h"
#include "printing/status_window.h"
#include "program/numbers.h"
#include "program/program.h"
#include "program/run_lock.h"

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

// What the printer is set to before the probing; the print files that
// follow rely on it as on any other start.
struct PrinterSetup {
  int16_t paperSize = 0;
  int16_t orientation = 0;
  int16_t bin = 0;
  std::string face;
  float size = 0;
};

PrinterSetup SetupOf(Printer& printer) {
  PrinterSetup setup;
  IgnoringFailure([&] { setup.paperSize = printer.PaperSize(); });
  IgnoringFailure([&] { setup.orientation = printer.Orientation(); });
  IgnoringFailure([&] { setup.bin = printer.PaperBin(); });
  IgnoringFailure([&] { setup.face = printer.FontName(); });
  IgnoringFailure([&] { setup.size = printer.FontSize(); });
  return setup;
}

void Restore(Printer& printer, const PrinterSetup& setup) {
  if (setup.paperSize > 0) IgnoringFailure([&] { printer.SetPaperSize(setup.paperSize); });
  if (setup.orientation > 0) IgnoringFailure([&] { printer.SetOrientation(setup.orientation); });
  if (setup.bin > 0) IgnoringFailure([&] { printer.SetPaperBin(setup.bin); });
  if (setup.size > 0) IgnoringFailure([&] { printer.SetFontSize(setup.size); });
  if (!setup.face.empty()) IgnoringFailure([&] { printer.SetFontName(setup.face); });
  if (setup.size > 0) IgnoringFailure([&] { printer.SetFontSize(setup.size); });
}

// The name under which this run writes a new driver file before it puts it
// in place: its own, after its print file, so that two runs never write
// into one file.
std::string NewFilePath(const ModuleState& state, const std::string& path) {
  const std::string& printFile = state.printFilePath;
  std::string own = printFile.substr(printFile.find_last_of("/\\") + 1);
  own = own.substr(0, own.find('.'));
  return DriverFileInTheMaking(path, own.empty() ? std::string("NEW") : own);
}

std::string WhyNot(FileSystem& files) {
  std::string why = files.LastFailure();
  return why.empty() ? "the system gave no reason" : why;
}

// Written under a name of its own and put in place whole, and only when it
// lists forms and fonts: the host application and other runs that read the
// driver file meanwhile see the old file or the new one, never a part, and
// a file that start-up refuses never replaces one that others may use.
void WriteNewDriverFile(Program& program, const std::string& path,
                        int16_t& formsCount, int16_t& fontsCount) {
  FileSystem& files = program.platform.files;
  const std::string newPath = NewFilePath(program.state, path);
  int16_t fileNumber = program.files.OpenFileByMode(newPath, "O", "W", "RW", 0);
  if (fileNumber == 0) {
    program.state.driverFileFailure = WhyNot(files);
    return;
  }
  DriverWriter writer(program.files, fileNumber);
  ShowStatus(program, "Starting driver generation.", "", 0);
  Printer& printer = program.printer;
  PrinterSetup before = SetupOf(printer);
  ClearEmphasis(printer);
  WriteHeader(writer, DeviceNameOrEmpty(printer));
  WriteFieldBlocks(writer);
  int16_t forms = RunFormPhase(program, writer);
  int16_t fonts = RunFontPhase(program, writer);
  Restore(printer, before);
  const bool whole = writer.Close();
  const bool usable = forms != 0 && fonts != 0;
  if (whole && usable && files.ReplaceFile(newPath, path)) {
    program.state.driverFileWritten = true;
    formsCount = forms;
    fontsCount = fonts;
    return;
  }
  // A file that did not reach the disk whole must not be handed to the host
  // application as if it had.
  if (!whole) {
    program.state.driverFileFailure = "not all of it could be written (is the disk full?)";
  } else if (usable) {
    program.state.driverFileFailure = WhyNot(files);
  }
  files.DeleteFile(newPath);
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
    if (PrinterTakesFace(program.printer, program.state.fontFaceName)) {
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
