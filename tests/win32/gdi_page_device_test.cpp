#include "platform/win32/gdi_page_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "printer/page_printer.h"

#include <winspool.h>

namespace rizarode {
namespace {

// The printer over the pages of a GDI printer, as the program composes it.
struct GdiPrinter {
  explicit GdiPrinter(const std::string& name = {})
      : pages(name.empty() ? std::make_unique<GdiPageDevice>()
                           : std::make_unique<GdiPageDevice>(name)),
        printer(*pages, "VELDRAK") {}
  int Resolution() const { return pages->Resolution(); }
  PagePrinter* operator->() { return &printer; }
  std::unique_ptr<GdiPageDevice> pages;
  PagePrinter printer;
};

// The default printer of the machine (under Wine: the CUPS default queue).
class GdiPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    printer_ = std::make_unique<GdiPrinter>();
    if ((*printer_)->DeviceName().empty()) GTEST_SKIP() << "no default printer";
  }
  std::unique_ptr<GdiPrinter> printer_;
};

// Replaces every occurrence of from by to (same length), in 8-bit and in
// UTF-16 big-endian form, as a font's name table holds its names.
void Rename(std::string& bytes, const std::string& from, const std::string& to) {
  auto wide = [](const std::string& s) {
    std::string w;
    for (char c : s) w += std::string{'\0', c};
    return w;
  };
  for (auto [a, b] : {std::pair{from, to}, std::pair{wide(from), wide(to)}}) {
    for (std::size_t at = bytes.find(a); at != std::string::npos; at = bytes.find(a, at)) {
      bytes.replace(at, a.size(), b);
    }
  }
}

// A private face installed while the printer is in use: GDI (Wine, at
// least) remembers the stand-in it gave for a face it did not find, for
// the very same request; the printer must find the face all the same. The
// face is the program's own under a name of this run, so no earlier run or
// other test can have installed it.
TEST_F(GdiPrinterTest, AFaceInstalledWhileRunningIsTakenForTheSameRequest) {
  std::ifstream in(RIZARODE_BINARY_DIR "\\VKCOUR.TTF", std::ios::binary);
  ASSERT_TRUE(in) << "the build makes VKCOUR.TTF";
  std::string font{std::istreambuf_iterator<char>(in), {}};
  char tag[4];
  std::snprintf(tag, sizeof tag, "%03X", static_cast<unsigned>(GetCurrentProcessId() & 0xFFF));
  const std::string face = std::string("RUZeruzaz ") + tag;
  Rename(font, "RUZeruzaz Ori", face);
  Rename(font, "RUZeruzazOri", std::string("RUZeruzaz") + tag);

  PagePrinter& printer = printer_->printer;
  printer.SetFontSize(8);
  printer.SetFontName(face);
  ASSERT_NE(printer.FontName(), face) << "a face that is not installed reads back its stand-in";

  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string path = std::string(windows) + "\\Fonts\\RZT" + tag + ".TTF";
  std::ofstream(path, std::ios::binary) << font;
  ASSERT_GT(AddFontResourceA(path.c_str()), 0);

  printer.SetFontSize(8);
  printer.SetFontName(face);
  EXPECT_EQ(printer.FontName(), face);
  // Realised in whole device pixels; "0" is 12 twips wide per point at 10.
  const int dpi = printer_->Resolution();
  const int em = static_cast<int>(std::lround(8.0 * dpi / 72.0));
  EXPECT_FLOAT_EQ(printer.FontSize(), static_cast<float>(em * 72.0 / dpi));
  printer.SetFontSize(10);
  EXPECT_EQ(printer.FontName(), face);
  EXPECT_EQ(printer.TextWidth("0"), 120.0f);
  EXPECT_EQ(printer.TextWidth("000"), 360.0f);
  printer.SetFontBold(true);  // made bold by GDI: the face has no bold of its own
  EXPECT_FLOAT_EQ(printer.TextWidth("000"), static_cast<float>(360.0 + 3 * 1440.0 / dpi))
      << "a made bold advances a pixel more, as on Linux";
  printer.SetFontBold(false);

  RemoveFontResourceA(path.c_str());
  printer_.reset();
  DeleteFileA(path.c_str());
}

TEST_F(GdiPrinterTest, PaperSizesAreThoseOfferedAndTurnWithTheOrientation) {
  PagePrinter& p = printer_->printer;
  p.SetPaperSize(9);  // A4: every driver has it
  const float width = p.Width(), height = p.Height();
  EXPECT_NEAR(width, 11906, 10);
  EXPECT_NEAR(height, 16838, 10);
  p.SetOrientation(kOrientationLandscape);
  EXPECT_EQ(p.Orientation(), kOrientationLandscape);
  EXPECT_EQ(p.Width(), height);
  EXPECT_EQ(p.Height(), width);

  try {
    p.SetPaperSize(1023);
    ADD_FAILURE() << "paper size 1023 was taken";
  } catch (const PrinterError& e) {
    EXPECT_EQ(e.code(), kPrinterErrorBadPaperSize);
  }
  EXPECT_EQ(p.Width(), height) << "a refused size leaves the paper as it was";
  EXPECT_THROW(p.SetOrientation(3), PrinterError);
  p.SetPaperBin(kPaperBinManual);
  EXPECT_EQ(p.PaperBin(), kPaperBinManual);
  EXPECT_THROW(p.SetPaperBin(0), PrinterError);
}

// The printer's own settings as its user left them: landscape, from the
// manual feed. They are what the program reads until it sets its own, so
// that a setting read and set back later leaves them as they were.
TEST_F(GdiPrinterTest, OrientationAndBinStartAsThePrinterHasThem) {
  const std::string name = (*printer_)->DeviceName();
  printer_.reset();
  PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE handle = nullptr;
  ASSERT_TRUE(OpenPrinterA(const_cast<char*>(name.c_str()), &handle, &access));
  DWORD needed = 0;
  GetPrinterA(handle, 2, nullptr, 0, &needed);
  std::vector<BYTE> info(needed), original;
  ASSERT_TRUE(GetPrinterA(handle, 2, info.data(), needed, &needed));
  auto* info2 = reinterpret_cast<PRINTER_INFO_2A*>(info.data());
  ASSERT_NE(info2->pDevMode, nullptr);
  DEVMODEA* dm = info2->pDevMode;
  const DEVMODEA before = *dm;
  dm->dmOrientation = DMORIENT_LANDSCAPE;
  dm->dmDefaultSource = DMBIN_MANUAL;
  dm->dmFields |= DM_ORIENTATION | DM_DEFAULTSOURCE;
  ASSERT_TRUE(SetPrinterA(handle, 2, info.data(), 0));

  GdiPrinter p;
  const int16_t orientation = p->Orientation(), bin = p->PaperBin();
  *dm = before;
  SetPrinterA(handle, 2, info.data(), 0);
  ClosePrinter(handle);
  EXPECT_EQ(orientation, kOrientationLandscape);
  EXPECT_EQ(bin, kPaperBinManual);
}

TEST(GdiPrinterWithoutDeviceTest, EveryFontQueryFailsAsNoPrinter) {
  GdiPrinter g("RIZARODE no such printer");
  PagePrinter& p = g.printer;
  p.SetFontSize(10);
  p.SetFontName("Arial");
  try {
    p.FontName();
    ADD_FAILURE() << "a printer that cannot be reached named a face";
  } catch (const PrinterError& e) {
    EXPECT_EQ(e.code(), kPrinterErrorNoPrinter);
  }
  EXPECT_THROW(p.PrintText("x"), PrinterError);
  EXPECT_NO_THROW(p.EndDoc());
}

}  // namespace
}  // namespace rizarode
