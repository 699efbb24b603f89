#include "driver/form_phase.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "driver/driver_fixture.h"

namespace rizarode {
namespace {

using testing::DriverFixture;

// The lines 60 and 61 of every block, as "name|code".
std::vector<std::string> Blocks(const std::vector<std::string>& lines) {
  std::vector<std::string> blocks;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].rfind("60 : ", 0) == 0) {
      blocks.push_back(lines[i].substr(5) + "|" + lines[i + 1].substr(5));
    }
  }
  return blocks;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(FormCandidatesTest, DebugFlagsChooseTheList) {
  EXPECT_EQ(FormCandidates(1 | 8 | 16), FormCandidates(0));
  EXPECT_EQ(FormCandidates(2 | 4), std::vector<int16_t>{9});
  std::vector<int16_t> custom = FormCandidates(4);
  // Every number the three-digit form code can carry, the position equal
  // to the number.
  ASSERT_EQ(custom.size(), 999u);
  for (std::size_t i = 0; i < custom.size(); ++i) EXPECT_EQ(custom[i], static_cast<int16_t>(i + 1));
}

TEST(FormNameTest, SizesWithoutANameOfTheirOwnAreNamedByPositionAndSize) {
  FormName legal = NameForm(5, 5, 12240, 20160);
  EXPECT_EQ(legal.base, "5 - 21.38 x 35.56 cm.");
  EXPECT_FALSE(legal.manualFeed);
  EXPECT_TRUE(legal.line65One);
  EXPECT_EQ(NameForm(300, 7, 1440 * 10 + 120, 1440 * 10).base, "7 - 25.4 x 25.4 cm.");
}

TEST(FormPhaseTest, SizeTextFollowsTheOrientationLeftByTheFormBefore) {
  DriverFixture f;
  f.program->state.debugFlags = 4 | 1;
  f.t.printer.papers = {{1, {12240, 15840}}, {5, {12240, 20160}}};
  std::vector<std::string> lines;
  int16_t count = f.RunPhase(RunFormPhase, lines);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(Blocks(lines), (std::vector<std::string>{
                               "Letter|#FORM-P001#",
                               "Letter landscape|#FORM-L001#",
                               "5 - 21.38 x 35.56 cm.|#FORM-P005#",
                               "5 - 21.38 x 35.56 cm. landscape|#FORM-L005#"}));
  const auto& status = f.Status();
  EXPECT_TRUE(Contains(status, "Form Letter installed."));
  EXPECT_TRUE(Contains(status, "Error 380 Form 2 Type 2 NOT installed."));
  EXPECT_TRUE(Contains(status, "Form 5 - 21.38 x 35.56 cm. installed."));
  EXPECT_TRUE(Contains(status, "Error 380 Form 999 Type 999 NOT installed."));
  EXPECT_FALSE(f.t.log.Has("printer.papersize:1000"));
}

TEST(FormPhaseTest, VariantNamesDependOnlyOnWhetherTheLanguageIsGerman) {
  for (const char* code : {"D", "NL", "GB", "F", "ORV"}) {
    DriverFixture f;
    f.program->state.debugFlags = 2;
    f.program->state.languageCode = code;
    std::vector<std::string> lines;
    EXPECT_EQ(f.RunPhase(RunFormPhase, lines), 4);
    std::vector<std::string> expected =
        std::string(code) == "D"
            ? std::vector<std::string>{"A4|#FORM-P009#", "A4 manuelle Zufuhr|#FORM-p009#",
                                       "A4 Querformat|#FORM-L009#",
                                       "A4 Querformat manuelle Zufuhr|#FORM-l009#"}
            : std::vector<std::string>{"A4|#FORM-P009#", "A4 handinvoer|#FORM-p009#",
                                       "A4 landscape|#FORM-L009#",
                                       "A4 landscape handinvoer|#FORM-l009#"};
    EXPECT_EQ(Blocks(lines), expected) << code;
  }
}

TEST(FormPhaseTest, EachBlockIsMeasuredAtManualFeedAndTheBinIsPutBack) {
  DriverFixture f;
  f.program->state.debugFlags = 2;
  f.t.printer.paperBin = 7;
  f.t.printer.orientation = 2;  // the printer's own orientation at the start
  std::vector<std::string> lines;
  f.RunPhase(RunFormPhase, lines);
  const auto& calls = f.t.printer.calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "bin:4"), 4);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "bin:7"), 4);
  EXPECT_EQ(f.t.printer.paperBin, 7);
  // Orientation is set only where it differs: portrait once, landscape once.
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "orientation:1"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "orientation:2"), 1);
  // Portrait blocks carry portrait sizes, landscape blocks landscape sizes.
  std::vector<std::string> sizes;
  for (const std::string& line : lines) {
    if (line.rfind("63 : ", 0) == 0 || line.rfind("64 : ", 0) == 0) sizes.push_back(line);
  }
  EXPECT_EQ(sizes, (std::vector<std::string>{"63 : 16718", "64 : 11906", "63 : 16718",
                                             "64 : 11906", "63 : 11786", "64 : 16838",
                                             "63 : 11786", "64 : 16838"}));
}

TEST(FormPhaseTest, RefusedAndTooSmallSizesGetNoBlock) {
  DriverFixture f;
  f.program->state.debugFlags = 1;
  f.t.printer.papers = {{11, {8391, 11906}}};  // A5 only: too narrow
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFormPhase, lines), 0);
  EXPECT_TRUE(lines.empty());
  std::vector<std::string> expected;
  int position = 0;
  for (int n : {9, 8, 11, 13, 1, 4, 7, 40, 263}) {
    ++position;
    if (n == 11) continue;  // too small: nothing is shown
    expected.push_back("Error 380 Form " + std::to_string(position) + " Type " +
                       std::to_string(n) + " NOT installed.");
  }
  EXPECT_EQ(f.Status(), expected);
}

TEST(FormPhaseTest, TheRefusalTextCarriesThePrintersErrorCode) {
  DriverFixture f;
  f.program->state.debugFlags = 2 | 1;
  f.t.printer.failing = {"SetPaperSize"};
  f.t.printer.failureCode = 482;
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFormPhase, lines), 0);
  EXPECT_EQ(f.Status(), std::vector<std::string>{"Error 482 Form 1 Type 9 NOT installed."});
}

TEST(FormPhaseTest, APageThatCannotBeMeasuredLeavesNoPartialBlock) {
  DriverFixture f;
  f.program->state.debugFlags = 2;
  // The page can be measured for the size test, but not at manual feed.
  f.t.printer.failIf = [&](const std::string& op) {
    return op == "Width" && f.t.printer.paperBin == kPaperBinManual;
  };
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFormPhase, lines), 0);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(f.t.printer.paperBin, 7);  // put back even so
}

TEST(FormPhaseTest, OtherFailingStepsAreSkipped) {
  DriverFixture f;
  f.program->state.debugFlags = 2;
  f.t.printer.failing = {"PaperBin", "Orientation"};  // the reads
  std::vector<std::string> lines;
  EXPECT_EQ(f.RunPhase(RunFormPhase, lines), 4);
  EXPECT_EQ(lines.size(), 4u * 7u);
  // Without a readable orientation it is set for every variant.
  const auto& calls = f.t.printer.calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "orientation:1"), 2);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "orientation:2"), 2);
  // Nothing remembered, nothing to put back.
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "bin:4"), 4);
  EXPECT_EQ(calls.size(), 1u + 4u * 2u);
  EXPECT_EQ(lines[18], "63 : 11786");  // the landscape block after turning
}

}  // namespace
}  // namespace rizarode
