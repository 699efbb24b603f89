#include "system/private_fonts.h"

#include <optional>
#include <string>

#include "base/text.h"
#include "printer/printer.h"
#include "printing/status_window.h"
#include "program/messages.h"
#include "program/numbers.h"
#include "program/program.h"
#include "system/registry.h"

namespace rizarode {
namespace {

struct PrivateFont {
  const char* fileName;
  const char* registrationName;
  const char* installingStatus;
};

constexpr PrivateFont kPrivateFonts[] = {
    {"VKCOUR.TTF", "RUZeruzaz Ori Standaard (TrueType)", "Installing font 1"},
    {"VKCOURBD.TTF", "RUZeruzaz Ori Vet (TrueType)", "Installing font 2"},
};

// The Windows 95 family's key first, then the Windows NT family's.
constexpr const char* kFontRegistrationKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
};

constexpr float kFirstTestSize = 8;
constexpr float kSecondTestSize = 10;

std::string FontsDirectory(Program& program) {
  const char separator = program.platform.files.Separator();
  std::string dir = program.platform.fonts.SystemDirectory();
  if (dir.empty() || dir.back() != separator) dir += separator;
  return dir + "fonts" + separator;
}

// The font files of the host application's world are found without regard
// to case.
std::optional<std::string> FindFontFile(Program& program, const std::string& dir,
                                        const std::string& fileName) {
  return program.platform.files.FindNoCase(dir, fileName, false);
}

[[noreturn]] void EndWithBox(Program& program, const std::string& text, int style,
                             ExitCode code) {
  program.platform.desktop.MessageBox(text, style, program.platform.info.ExecutableName());
  EndProgram(code);
}

[[noreturn]] void EndForMissingPrinter(Program& program, const std::string& reason) {
  std::string text = NoPrinterMessage(program.state.languageCode);
  if (!reason.empty()) text += "\r" + reason;
  EndWithBox(program, text, kMbOk, ExitCode::kNoPrinter);
}

// Whether the printer takes the font face at the given size. Setting the size
// and the face may fail unnoticed; the name read back decides. A printer that
// cannot even say which face it has is no usable default printer at all.
bool PrinterTakesFace(Program& program, float size) {
  Printer& printer = program.printer;
  const std::string& face = program.state.fontFaceName;
  try {
    printer.SetFontSize(size);
  } catch (const PrinterError&) {
  }
  try {
    printer.SetFontName(face);
  } catch (const PrinterError&) {
  }
  std::string readBack;
  try {
    readBack = printer.FontName();
  } catch (const PrinterError& e) {
    EndForMissingPrinter(program, "Printer error " + Decimal(e.code()) + ": " + e.what());
  }
  return UpperCase(readBack) == UpperCase(face);
}

// Both files in the fonts directory and both registration values right in
// every key there is. Every test is made, whatever the others found.
bool FontsInstalled(Program& program, const std::string& fontsDirectory) {
  bool installed = true;
  for (const PrivateFont& font : kPrivateFonts) {
    if (!FindFontFile(program, fontsDirectory, font.fileName)) installed = false;
  }
  RegistryStore& registry = program.platform.registry;
  for (const char* key : kFontRegistrationKeys) {
    if (!RegKeyExists(registry, key)) continue;
    for (const PrivateFont& font : kPrivateFonts) {
      if (ReadRegString(registry, key, font.registrationName) != font.fileName) {
        installed = false;
      }
    }
  }
  return installed;
}

// Copies the font file from the start directory unless the fonts directory
// has it already; returns the path of the file in the fonts directory. A
// copy that fails ends start-up with a report naming the file.
std::string PlaceFontFile(Program& program, const PrivateFont& font,
                          const std::string& fontsDirectory) {
  FileSystem& files = program.platform.files;
  if (auto present = FindFontFile(program, fontsDirectory, font.fileName)) return *present;

  const std::string target = fontsDirectory + font.fileName;
  const std::string startDirectory = files.CurrentDirectory();
  std::string error;
  if (auto source = FindFontFile(program, startDirectory, font.fileName)) {
    if (files.CopyFile(*source, target, error)) return target;
    // Another start on the same account may have put its copy there since
    // the look above; copies are only ever put in place whole.
    if (auto present = FindFontFile(program, fontsDirectory, font.fileName)) return *present;
  } else {
    error = font.fileName + std::string(" is not in ") + startDirectory;
  }
  // The directories and the reason are the system's texts.
  ProgramInfo& info = program.platform.info;
  EndWithBox(program,
             "The font file " + std::string(font.fileName) + " could not be copied to " +
                 info.ProgramText(fontsDirectory) + ".\r" + info.ProgramText(error) +
                 "\r\rThe program ends.",
             kMbOk + kMbIconCritical, ExitCode::kUnexpected);
}

void InstallFont(Program& program, const PrivateFont& font, const std::string& fontsDirectory) {
  Platform& platform = program.platform;
  ShowStatus(program, font.installingStatus, "", 1);
  const std::string path = PlaceFontFile(program, font, fontsDirectory);
  platform.fonts.AddFontResource(path);
  for (const char* key : kFontRegistrationKeys) {
    if (RegKeyExists(platform.registry, key)) {
      WriteRegValue(platform.registry, key, font.registrationName, std::string(font.fileName),
                    kRegSz);
    }
  }
  platform.fonts.BroadcastFontChange();
  platform.desktop.DoEvents();
}

[[noreturn]] void OfferRestart(Program& program) {
  const std::string& language = program.state.languageCode;
  int answer = program.platform.desktop.MessageBox(
      RestartMessage(language), kMbYesNo + kMbIconQuestion, RestartTitle(language));
  if (answer == kIdYes) program.platform.fonts.RequestRestart();
  EndProgram(ExitCode::kRestartNeeded);
}

}  // namespace

void CheckPrivateFonts(Program& program) {
  const std::string fontsDirectory = FontsDirectory(program);
  if (program.state.Debug(kDebugCourierNew)) {
    program.state.fontFaceName = kCourierNewFaceName;
    return;
  }
  program.state.fontFaceName = kPrivateFaceName;
  if (PrinterTakesFace(program, kFirstTestSize)) return;

  // The fonts are in place, yet the printer does not take the face: there
  // is no default printer to take it.
  if (FontsInstalled(program, fontsDirectory)) EndForMissingPrinter(program, "");

  for (const PrivateFont& font : kPrivateFonts) InstallFont(program, font, fontsDirectory);

  ShowStatus(program, "checking font", "", 1);
  if (PrinterTakesFace(program, kSecondTestSize)) return;
  OfferRestart(program);
}

}  // namespace rizarode
