// rizarode-render: prints a print file on the built-in PDF printer, to see
// what it would look like on paper.
//
//   rizarode-render PRINTFILE [OUT.pdf]
//
// Without OUT.pdf the document goes to ~/PDF/ under a new name. The font is
// the program's own face when it is installed, else "Courier New".

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "pdf_device/pdf_page_device.h"
#include "platform/linux/device_fonts.h"
#include "platform/linux/pdf_file_device.h"
#include "printer/page_printer.h"
#include "printing/render_print_file.h"
#include "program/module_state.h"
#include "base/text.h"

namespace {

constexpr char kTool[] = "rizarode-render";
constexpr char kPrivateFace[] = "RUZeruzaz Ori";
constexpr char kStandInFace[] = "Courier New";
constexpr float kStartPoints = 10.0f;

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "%s: %s\n", kTool, message.c_str());
  return code;
}

std::string ChooseFace(rizarode::Printer& printer) {
  printer.SetFontName(kPrivateFace);
  if (rizarode::UpperCase(printer.FontName()) == rizarode::UpperCase(kPrivateFace)) {
    return kPrivateFace;
  }
  return kStandInFace;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s PRINTFILE [OUT.pdf]\n", kTool);
    return 2;
  }
  const std::string input = argv[1];
  struct stat info {};
  if (::stat(input.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return Fail("cannot read " + input + ": it is a directory", 2);
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(input.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return Fail("cannot read " + input + ": " + std::strerror(errno), 2);

  auto device = argc == 3 ? rizarode::PdfFileDevice::WritingTo(argv[2])
                          : std::make_unique<rizarode::PdfFileDevice>();
  rizarode::PdfFileDevice& files = *device;
  rizarode::PdfPageDevice pages(std::move(device), std::make_unique<rizarode::FontCatalog>());
  rizarode::PagePrinter printer(pages, rizarode::kProductName);

  rizarode::ModuleState state;
  try {
    state.fontFaceName = ChooseFace(printer);
    printer.SetFontSize(kStartPoints);
    printer.SetFontName(state.fontFaceName);
    printer.SetFontSize(kStartPoints);

    rizarode::StreamPrintFileLines lines(file.get());
    rizarode::InterpretPrintFile(lines, printer, state);
    if (lines.Failed()) return Fail("cannot read " + input + ": read error", 2);
    printer.EndDoc();
  } catch (const rizarode::PrinterError& e) {
    return Fail(e.what(), 1);
  }

  if (files.Files().empty()) {
    std::fprintf(stderr, "%s: %s holds nothing to print\n", kTool, input.c_str());
  }
  for (const std::string& written : files.Files()) std::printf("%s\n", written.c_str());
  return 0;
}
