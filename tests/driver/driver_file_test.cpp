#include "driver/driver_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "driver/driver_fixture.h"
#include "startup/startup.h"

namespace rizarode {
namespace {

using testing::DecimalCommaLocales;
using testing::DriverFixture;
using testing::EndCodeOf;
using testing::NumericLocaleGuard;

std::string ExpectedFile(const std::string& name) {
  std::ifstream in(std::string(RIZARODE_SOURCE_DIR) + "/tests/driver/data/" + name,
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int CountLines(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.rfind(prefix, 0) == 0;
  }));
}

// The header and the field blocks: the first 87 lines of every driver file.
constexpr std::size_t kFixedLines = 19 + 17 * 4;

// The idealized printer measures in single precision, as real ones do: the
// "0" of 5.45 points is 65.39999 twips wide there, not 65.4, and the file
// says so.
TEST(DriverFileTest, TheIdealizedPrinterGivesTheExpectedFileLineForLine) {
  DriverFixture f;
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 20);
  EXPECT_EQ(counts.fonts, 13);
  std::vector<std::string> expected = DriverFixture::SplitCrLf(ExpectedFile("expected_idealized.txt"));
  ASSERT_EQ(expected.size(), 331u) << "expected file damaged (CR LF line ends lost?)";
  std::vector<std::string> actual = f.Lines();
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
    ASSERT_EQ(actual[i], expected[i]) << "line " << i + 1;
  }
  EXPECT_EQ(actual.size(), expected.size());
  // Byte for byte, too: CR LF after every line, the last one included.
  EXPECT_EQ(f.File(), ExpectedFile("expected_idealized.txt"));
}

TEST(DriverFileTest, DebugTextsOfAFirstStart) {
  DriverFixture f;
  f.program->state.debugFlags = 1 | 2;
  f.Generate();
  const auto& status = f.Status();
  ASSERT_EQ(status.size(), 1u + 1u + 1u + 13u + 1u + 1u);
  EXPECT_EQ(status[0], "Starting driver generation.");
  EXPECT_EQ(status[1], "Form A4 installed.");
  EXPECT_EQ(status[2], "Font RUZeruzaz Ori correct installed.");
  EXPECT_EQ(status[3], "Font 11 cpi installed.");
  EXPECT_EQ(status[status.size() - 2], "End of driver generation.");
  EXPECT_EQ(status.back(), "Installed 4 forms and 13 fonts");
  // Debug information only: the caption is never touched.
  EXPECT_TRUE(f.t.desktop.view->captionHistory.empty());
}

TEST(DriverFileTest, WithoutDebugFlagOneNothingIsShown) {
  DriverFixture f;
  f.Generate();
  EXPECT_TRUE(f.Status().empty());
}

TEST(DriverFileTest, EmphasisIsSwitchedOffBeforeTheFileIsWritten) {
  DriverFixture f;
  f.t.printer.bold = f.t.printer.italic = f.t.printer.underline = true;
  f.Generate();
  const auto& events = f.t.log.events;
  int bold = f.t.log.IndexOf("printer.bold:0");
  ASSERT_GE(bold, 0);
  EXPECT_EQ(events[bold + 1], "printer.italic:0");
  EXPECT_EQ(events[bold + 2], "printer.underline:0");
  EXPECT_LT(bold, f.t.log.IndexOf("printer.papersize:"));
}

// Print files without form and font tags print on the first start as on
// any later one: generation leaves the printer as it found it.
TEST(DriverFileTest, GenerationGivesThePrinterBackItsPaperOrientationAndFont) {
  DriverFixture f;
  Printer& printer = f.t.printer;
  printer.SetPaperSize(1);
  printer.SetOrientation(kOrientationPortrait);
  printer.SetPaperBin(kPaperBinAuto);
  printer.SetFontName("RUZeruzaz Ori");
  printer.SetFontSize(12);
  f.Generate();
  ASSERT_NE(f.t.printer.calls.size(), 0u);
  EXPECT_EQ(printer.PaperSize(), 1);
  EXPECT_EQ(printer.Orientation(), kOrientationPortrait);
  EXPECT_EQ(printer.PaperBin(), kPaperBinAuto);
  EXPECT_EQ(printer.FontName(), "RUZeruzaz Ori");
  EXPECT_EQ(printer.FontSize(), 12.0f);
}

// A file without forms or fonts is refused by start-up: it never takes the
// place of the file there, which another run's host may be reading, and
// leaves nothing behind.
TEST(DriverFileTest, AFileThatListsNoFormOrFontNeverReplacesTheOneThere) {
  DriverFixture f;
  f.t.printer.papers.clear();
  f.t.printer.faces = {"Arial"};
  const std::string old = "01 2.9 : Windows printer (Test Printer)\r\n";
  f.dir.Write("RIZARODE.TMP", old);
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 0);
  EXPECT_EQ(counts.fonts, 0);
  EXPECT_EQ(f.File(), old);
  EXPECT_FALSE(f.program->state.driverFileWritten);
  EXPECT_TRUE(f.program->state.driverFileFailure.empty());
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(f.dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

TEST(DriverFileTest, OnlyA4AndEveryPaperCodeShapeTheFormList) {
  DriverFixture onlyA4;
  onlyA4.program->state.debugFlags = 2 | 4;
  EXPECT_EQ(onlyA4.Generate().forms, 4);
  DriverFixture everyCode;
  everyCode.program->state.debugFlags = 4;
  EXPECT_EQ(everyCode.Generate().forms, 20);  // the nine sizes the printer has
  EXPECT_EQ(CountLines(everyCode.Lines(), "61 : #FORM-P001#"), 1);
  DriverFixture courier;
  courier.program->state.debugFlags = 16;
  courier.program->state.fontFaceName = "Courier New";
  EXPECT_EQ(courier.Generate().fonts, 13);
  EXPECT_EQ(CountLines(courier.Lines(), "80 : VKCourier "), 13);
}

TEST(DriverFileTest, GermanFormNames) {
  DriverFixture f;
  f.program->state.languageCode = "D";
  f.Generate();
  std::vector<std::string> lines = f.Lines();
  EXPECT_EQ(lines[kFixedLines + 1], "60 : A4");
  EXPECT_EQ(lines[kFixedLines + 22], "60 : A4 Querformat manuelle Zufuhr");
}

TEST(DriverFileTest, NumbersCarryTheDecimalCommaOfTheLocale) {
  NumericLocaleGuard locale(DecimalCommaLocales());
  if (!locale.active()) GTEST_SKIP() << "no Dutch or German locale installed";
  DriverFixture f;
  f.t.printer.papers = {{9, {11906.4f, 16838.4f}}};
  f.Generate();
  std::vector<std::string> lines = f.Lines();
  EXPECT_EQ(lines[kFixedLines + 4], "63 : 16718,4");
  EXPECT_EQ(lines[kFixedLines + 5], "64 : 11906,4");
  EXPECT_EQ(CountLines(lines, "83 : 261,6"), 1);
  EXPECT_EQ(CountLines(lines, "84 : 130,8"), 1);
  EXPECT_EQ(CountLines(lines, "84 : 65,39999"), 1);
}

TEST(DriverFileTest, ADeviceNameOutsideAsciiIsWrittenAsItsEightBitText) {
  DriverFixture f;
  f.t.printer.deviceName = "Imprimante \xE9tage 2";  // Windows-1252
  f.Generate();
  EXPECT_EQ(f.Lines()[0], "01 3.0b : Windows printer (Imprimante \xE9tage 2)");
  // And is recognised again at the next start.
  f.t.printer.calls.clear();
  f.Generate();
  EXPECT_EQ(f.t.printer.calls, std::vector<std::string>{"fontname:RUZeruzaz Ori"});
}

TEST(DriverFileTest, ACurrentFileIsKeptByteForByteAndCountedFromItsLines) {
  DriverFixture f;
  f.program->state.debugFlags = 1;
  // A current file that lists other forms than the printer has.
  std::string current =
      "01 3.0b : Windows printer (Test Printer)\r\n\r\n60 : X\r\n60 : Y\r\n"
      "80 : Z\r\n60 : W\r\n 60 : not counted, no number at the start\r\n";
  f.dir.Write("RIZARODE.TMP", current);
  auto before = std::filesystem::last_write_time(f.DriverPath());
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 3);
  EXPECT_EQ(counts.fonts, 1);
  EXPECT_EQ(f.File(), current);
  EXPECT_EQ(std::filesystem::last_write_time(f.DriverPath()), before);
  // Only the face is asked; no paper size, no search.
  EXPECT_EQ(f.t.printer.calls, std::vector<std::string>{"fontname:RUZeruzaz Ori"});
  EXPECT_EQ(f.Status(), std::vector<std::string>{"Installed 3 forms and 1 fonts"});
}

TEST(DriverFileTest, ASecondStartReusesTheFileOfTheFirst) {
  DriverFixture f;
  f.Generate();
  std::string first = f.File();
  f.t.printer.calls.clear();
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 20);
  EXPECT_EQ(counts.fonts, 13);
  EXPECT_EQ(f.File(), first);
  EXPECT_EQ(f.t.printer.calls.size(), 1u);
}

TEST(DriverFileTest, ACurrentFileIsRefusedWhenThePrinterNoLongerTakesTheFace) {
  DriverFixture f;
  f.Generate();
  std::string first = f.File();
  f.t.printer.faces = {"Arial"};
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 0);
  EXPECT_EQ(counts.fonts, 0);
  EXPECT_EQ(f.File(), first);  // start-up deletes it, not the generation
}

TEST(DriverFileTest, AFileOfAnotherVersionPrinterOrLetterCaseIsWrittenAnew) {
  for (const char* lineOne : {"01 3.0a : Windows printer (Test Printer)",
                              "01 3.0b : Windows printer (Other Printer)",
                              "01 3.0b : Windows printer (TEST PRINTER)",
                              "01 3.0b : windows printer (Test Printer)",
                              "01 3.0b Windows printer (Test Printer)",
                              "02 3.0b : Windows printer (Test Printer)", ""}) {
    DriverFixture f;
    f.program->state.debugFlags = 1;
    // The old file had more of everything; its counts must not carry over.
    std::string old = std::string(lineOne) + "\r\n";
    for (int i = 0; i < 30; ++i) old += "60 : old\r\n80 : old\r\n";
    f.dir.Write("RIZARODE.TMP", old);
    f.t.printer.papers.erase(8);
    auto counts = f.Generate();
    EXPECT_EQ(counts.forms, 16) << lineOne;
    EXPECT_EQ(counts.fonts, 13) << lineOne;
    EXPECT_EQ(f.Lines()[0], "01 3.0b : Windows printer (Test Printer)");
    EXPECT_EQ(CountLines(f.Lines(), "60 : "), 16);
    EXPECT_EQ(f.Status().front(), "Starting driver generation.") << lineOne;
  }
}

TEST(DriverFileTest, BlanksAroundTheVersionDoNotMatter) {
  DriverFixture f;
  f.dir.Write("RIZARODE.TMP", "01   3.0b   : Windows printer (Test Printer)  \r\n60 : A\r\n80 : B\r\n");
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 1);
  EXPECT_EQ(counts.fonts, 1);
}

TEST(DriverFileTest, NumbersOrCountsBeyondSixteenBitsMakeTheFileNotCurrent) {
  const std::string lineOne = "01 3.0b : Windows printer (Test Printer)\r\n";
  std::string manyForms = lineOne;
  for (int i = 0; i < 32768; ++i) manyForms += "60 : A\r\n80 : B\r\n";
  for (const std::string& content :
       {lineOne + "60 : A\r\n80 : B\r\n32768 : too large\r\n",
        lineOne + "60 : A\r\n80 : B\r\n-32769 : too small\r\n", manyForms}) {
    DriverFixture f;
    f.dir.Write("RIZARODE.TMP", content);
    auto counts = f.Generate();
    EXPECT_EQ(counts.forms, 20);
    EXPECT_EQ(counts.fonts, 13);
    EXPECT_NE(f.File(), content);
  }
  // The largest count that fits is still taken.
  std::string fits = lineOne;
  for (int i = 0; i < 32767; ++i) fits += "60 : A\r\n";
  fits += "80 : B\r\n32767 : fits\r\n";
  DriverFixture f;
  f.dir.Write("RIZARODE.TMP", fits);
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 32767);
  EXPECT_EQ(counts.fonts, 1);
}

TEST(DriverFileTest, ACurrentFileWithoutFontBlocksCountsNoFonts) {
  DriverFixture f;
  f.dir.Write("RIZARODE.TMP", "01 3.0b : Windows printer (Test Printer)\r\n60 : A\r\n");
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 1);
  EXPECT_EQ(counts.fonts, 0);
}

TEST(DriverFileTest, ADriverFilePathThatIsADirectoryGivesNoCounts) {
  DriverFixture f;
  ASSERT_TRUE(std::filesystem::create_directory(f.DriverPath()));
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 0);
  EXPECT_EQ(counts.fonts, 0);
}

TEST(DriverFileTest, AFileThatCouldNotBeWrittenWholeGivesNoCounts) {
  testing::FailingWriteFileSystem files;
  files.writesLeft = 0;  // a full disk
  DriverFixture f(nullptr, &files);
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 0);
  EXPECT_EQ(counts.fonts, 0);
}

TEST(DriverFileTest, AnEmptyWorkDirectoryMeansTheCurrentDirectory) {
  DriverFixture f;
  testing::CurrentDirectoryGuard cwd(f.dir.path());
  f.program->state.workDirectory.clear();
  auto counts = f.Generate();
  EXPECT_EQ(counts.forms, 20);
  EXPECT_EQ(f.File(), ExpectedFile("expected_idealized.txt"));
}

// Start-up with a printer that takes no face: the refusal report, the file
// deleted, the host application never started.
TEST(DriverRefusalTest, StartupEndsWhenThePrinterTakesNoFace) {
  DriverFixture f;
  testing::CurrentDirectoryGuard cwd(f.dir.path());
  // Named, so that no directory shared with other runs (and their driver
  // files) is taken instead. Debug flag 16: no face test of its own.
  f.t.info.argumentText = "/WDEBUG=16 /TEMP=" + f.dir.path();
  f.t.printer.faces = {"Arial"};
  int code = EndCodeOf([&] { RunStartup(*f.program); });
  EXPECT_EQ(code, static_cast<int>(ExitCode::kDriverRefused));
  ASSERT_EQ(f.t.desktop.boxes.size(), 1u);
  EXPECT_EQ(f.t.desktop.boxes[0].style, 0);
  EXPECT_FALSE(f.t.files.FileExists(f.program->state.DriverFilePath()));
  EXPECT_FALSE(f.t.files.FileExists(f.DriverPath()));
  EXPECT_TRUE(f.t.launcher.commandLines.empty());
}

}  // namespace
}  // namespace rizarode
