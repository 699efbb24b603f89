#include "driver/up_to_date.h"

#include <optional>

#include "base/text.h"
#include "printer/printer.h"
#include "program/numbers.h"
#include "program/program.h"
#include "program/take_token.h"

namespace rizarode {
namespace {

// A printer that cannot tell its name cannot be shown to be the one the
// file was written for.
bool NamesThisPrinter(Printer& printer, const std::string& rest) {
  try {
    return rest == "Windows printer (" + printer.DeviceName() + ")";
  } catch (const PrinterError&) {
    return false;
  }
}

// Line 01 after its number: version, then ": ", then the printer.
bool IsCurrentLineOne(Printer& printer, std::string line) {
  line = Trimmed(line, " ");
  std::string version = Trimmed(TakeToken(line, ": "), " ");
  return version == kVersionText && NamesThisPrinter(printer, line);
}

bool CountLine(int16_t& count) {
  if (count == INT16_MAX) return false;
  ++count;
  return true;
}

// Handles one line; false when the file cannot be taken as current.
bool ReadLine(Printer& printer, std::string line, DriverFileSummary& summary) {
  std::optional<int16_t> number = ToInt16(Val(TakeToken(line, " ")));
  if (!number) return false;
  switch (*number) {
    case 1:
      if (IsCurrentLineOne(printer, line)) summary.current = true;
      return true;
    case 60:
      return CountLine(summary.forms);
    case 80:
      return CountLine(summary.fonts);
    default:
      return true;
  }
}

}  // namespace

DriverFileSummary ReadDriverFileSummary(Program& program, const std::string& path) {
  if (!program.platform.files.FileExists(path)) return {};
  int16_t fileNumber = program.files.OpenFileByMode(path, "I", "R", "W", 0);
  if (fileNumber == 0) return {};
  DriverFileSummary summary;
  bool readable = true;
  while (readable && !program.files.Eof(fileNumber)) {
    std::string line;
    readable = program.files.LineInput(fileNumber, line) &&
               ReadLine(program.printer, line, summary);
  }
  program.files.Close(fileNumber);
  if (!readable) return {};
  return summary;
}

}  // namespace rizarode
