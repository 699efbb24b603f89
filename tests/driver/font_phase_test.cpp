#include "driver/font_phase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "driver/driver_fixture.h"

namespace rizarode {
namespace {

using testing::DriverFixture;
using testing::RecordingPrinter;

// The lines 80 and 81 of every block, as "name|code".
std::vector<std::string> Blocks(const std::vector<std::string>& lines) {
  std::vector<std::string> blocks;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].rfind("80 : ", 0) == 0) {
      blocks.push_back(lines[i].substr(5) + "|" + lines[i + 1].substr(5));
    }
  }
  return blocks;
}

TEST(FindFontSizeTest, IdealizedPrinterGivesTheWidestSizeNotWiderThanThePitch) {
  DriverFixture f;
  EXPECT_FLOAT_EQ(FindFontSizeForPitch(*f.program, 12), 10.0f);
  EXPECT_FLOAT_EQ(FindFontSizeForPitch(*f.program, 15), 8.0f);
  // 10.91 points would be 13092 hundredths of a twip wide, above 13091.
  EXPECT_FLOAT_EQ(FindFontSizeForPitch(*f.program, 11), 10.9f);
  EXPECT_FLOAT_EQ(FindFontSizeForPitch(*f.program, 13), 9.23f);
  EXPECT_FLOAT_EQ(FindFontSizeForPitch(*f.program, 30), 4.0f);
}

TEST(FindFontSizeTest, EverySizeIsSetAroundTheFaceAndTheResultLeftInEffect) {
  DriverFixture f;
  f.t.printer.calls.clear();
  float size = FindFontSizeForPitch(*f.program, 12);
  const auto& calls = f.t.printer.calls;
  ASSERT_EQ(calls.size() % 3, 0u);
  for (std::size_t i = 0; i < calls.size(); i += 3) {
    EXPECT_EQ(calls[i].rfind("fontsize:", 0), 0u);
    EXPECT_EQ(calls[i + 1], "fontname:RUZeruzaz Ori");
    EXPECT_EQ(calls[i + 2], calls[i]);
  }
  // About twelve halving steps, the check of the end point and the final
  // setting.
  EXPECT_LE(calls.size(), 3u * 15u);
  EXPECT_EQ(calls.back(), "fontsize:10");
  EXPECT_FLOAT_EQ(f.t.printer.CurrentFontSize(), size);
}

TEST(FindFontSizeTest, ReturnsTheSizeThePrinterReportsAfterAdjusting) {
  DriverFixture f;
  f.t.printer.sizeStep = 0.5f;
  // 13 cpi needs 9.23 points; on a half-point grid 9.0 is the widest that
  // is not too wide.
  EXPECT_FLOAT_EQ(FindFontSizeForPitch(*f.program, 13), 9.0f);
  EXPECT_FLOAT_EQ(FindFontSizeForPitch(*f.program, 12), 10.0f);
}

TEST(FontPhaseTest, WritesOneCompleteBlockPerPitchAndLetsEventsRunOncePerPitch) {
  DriverFixture f;
  f.program->state.debugFlags = 1;
  f.program->state.fontFaceName = "Courier New";
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFontPhase, lines), 13);
  EXPECT_EQ(f.t.desktop.doEvents, 13);
  ASSERT_EQ(lines.size(), 13u * 8u);
  // The face does not show in the block: it is always "VKCourier".
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8),
            (std::vector<std::string>{"", "80 : VKCourier 11 cpi", "81 : #FONT-1090#",
                                      "82 : #font#", "83 : 261.6", "84 : 130.8", "85 : 0",
                                      "86 : "}));
  const auto& status = f.Status();
  ASSERT_EQ(status.size(), 15u);
  EXPECT_EQ(status.front(), "Font Courier New correct installed.");
  EXPECT_EQ(status[1], "Font 11 cpi installed.");
  EXPECT_EQ(status.back(), "End of driver generation.");
}

TEST(FontPhaseTest, AFaceThePrinterDoesNotTakeEndsThePhaseSilently) {
  DriverFixture f;
  f.program->state.debugFlags = 1;
  f.t.printer.faces = {"Arial"};
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFontPhase, lines), 0);
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(f.Status().empty());  // not even "End of driver generation."
  EXPECT_EQ(f.t.desktop.doEvents, 0);
}

TEST(FontPhaseTest, TheFaceTestIgnoresAFailedSettingAndJudgesByTheNameReadBack) {
  RecordingPrinter printer;
  printer.failing = {"SetFontName"};
  EXPECT_FALSE(PrinterTakesFace(printer, "RUZeruzaz Ori"));  // reads "Arial"
  printer.failing.clear();
  EXPECT_TRUE(PrinterTakesFace(printer, "ruzeruzaz ori"));
  printer.failing = {"FontName"};
  EXPECT_FALSE(PrinterTakesFace(printer, "RUZeruzaz Ori"));
}

TEST(FontPhaseTest, NeighbouringPitchesOfTheSameSizeGetOneBlock) {
  DriverFixture f;
  f.program->state.debugFlags = 1;
  f.t.printer.sizeStep = 1.0f;  // whole points only
  std::vector<std::string> lines;
  f.RunPhase(RunFontPhase, lines);
  // 11 cpi: 10, 12: 10, 13: 9, 14: 8, 15: 8, 16: 7, 18: 6, 20: 6, 22: 5,
  // 24: 5, 26: 4, 28: 4, 30: 4.
  EXPECT_EQ(Blocks(lines), (std::vector<std::string>{
                               "VKCourier 11 cpi|#FONT-1000#", "VKCourier 13 cpi|#FONT-0900#",
                               "VKCourier 14 cpi|#FONT-0800#", "VKCourier 16 cpi|#FONT-0700#",
                               "VKCourier 18 cpi|#FONT-0600#", "VKCourier 22 cpi|#FONT-0500#",
                               "VKCourier 26 cpi|#FONT-0400#"}));
  const auto& status = f.Status();
  EXPECT_EQ(std::count(status.begin(), status.end(), "Font 12 cpi NOT installed."), 1);
  EXPECT_EQ(std::count(status.begin(), status.end(), "Font 30 cpi NOT installed."), 1);
}

// A printer that reports scripted sizes once the search has set them.
class ScriptedSizePrinter : public RecordingPrinter {
 public:
  std::deque<float> reported;
  float FontSize() override {
    float real = RecordingPrinter::FontSize();
    if (reported.empty()) return real;
    float next = reported.front();
    reported.pop_front();
    return next;
  }
};

TEST(FontPhaseTest, ASizeIsComparedWithTheLastBlockWrittenNotWithARefusedOne) {
  ScriptedSizePrinter printer;
  printer.reported = {10.0f, 0.0f, 10.0f, 9.0f};  // 11, 12, 13, 14 cpi
  DriverFixture f(&printer);
  f.program->state.debugFlags = 1;
  std::vector<std::string> lines;
  f.RunPhase(RunFontPhase, lines);
  std::vector<std::string> blocks = Blocks(lines);
  ASSERT_GE(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], "VKCourier 11 cpi|#FONT-1000#");
  EXPECT_EQ(blocks[1], "VKCourier 14 cpi|#FONT-0900#");
  const auto& status = f.Status();
  EXPECT_EQ(status[2], "Font 12 cpi NOT installed.");
  EXPECT_EQ(status[3], "Font 13 cpi NOT installed.");
}

TEST(FontPhaseTest, APrinterFailureMakesOnlyThatPitchNotInstalled) {
  DriverFixture f;
  f.program->state.debugFlags = 1;
  int sizeReadings = 0;
  f.t.printer.failIf = [&](const std::string& op) {
    // The search for 13 cpi fails at its end; the block of 12 cpi (the only
    // pitch at exactly 10 points) fails while it is measured.
    if (op == "FontSize") return ++sizeReadings == 3;
    return op == "TextHeight" && f.t.printer.CurrentFontSize() == 10.0f;
  };
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFontPhase, lines), 11);
  EXPECT_EQ(lines.size(), 11u * 8u);  // no partial block
  std::vector<std::string> blocks = Blocks(lines);
  ASSERT_EQ(blocks.size(), 11u);
  EXPECT_EQ(blocks[0], "VKCourier 11 cpi|#FONT-1090#");
  EXPECT_EQ(blocks[1], "VKCourier 14 cpi|#FONT-0857#");
  const auto& status = f.Status();
  EXPECT_EQ(status[2], "Font 12 cpi NOT installed.");
  EXPECT_EQ(status[3], "Font 13 cpi NOT installed.");
  EXPECT_EQ(status.back(), "End of driver generation.");
}

TEST(FontPhaseTest, AFailedMeasurementAtTheAcceptedSizeLeavesNoPartialBlock) {
  DriverFixture f;
  f.t.printer.failing = {"TextHeight"};
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFontPhase, lines), 0);
  EXPECT_TRUE(lines.empty());
}

}  // namespace
}  // namespace rizarode
