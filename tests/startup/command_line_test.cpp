#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <cmath>

#include "startup/numbers.h"
#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EndCodeOf;
using testing::TestPlatform;

TEST(ValTest, ReadsTheNumberAtTheStartAndStopsAtTheFirstOtherCharacter) {
  EXPECT_EQ(Val("16"), 16);
  EXPECT_EQ(Val("1 /TEMP=D:\\X"), 1);
  EXPECT_EQ(Val("1 6"), 16);  // blanks inside the number are skipped
  EXPECT_EQ(Val("  - 1"), -1);
  EXPECT_EQ(Val("+5"), 5);
  EXPECT_EQ(Val("2.5"), 2.5);
  EXPECT_EQ(Val("1.2.3"), 1.2);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("1E3"), 1000);
  EXPECT_EQ(Val("1D2"), 100);
  EXPECT_EQ(Val("2E"), 2);
  EXPECT_EQ(Val("25E-1X"), 2.5);
  EXPECT_EQ(Val("9#"), 9);
}

TEST(ValTest, ANumberTooSmallToHoldIsZeroAndOneTooLargeKeepsItsSign) {
  EXPECT_EQ(Val("1E-999"), 0);
  EXPECT_EQ(Val("-1E-999"), 0);
  EXPECT_EQ(Val("1E999"), HUGE_VAL);
  EXPECT_EQ(Val("-1E999"), -HUGE_VAL);
}

TEST(ValTest, NoDigitsGiveZero) {
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("ABC"), 0);
  EXPECT_EQ(Val("-"), 0);
  EXPECT_EQ(Val("."), 0);
  EXPECT_EQ(Val("/TEMP=X"), 0);
  EXPECT_EQ(Val("&X1"), 0);
}

TEST(ValTest, HexadecimalAndOctalAreSignedWords) {
  EXPECT_EQ(Val("&H10"), 16);
  EXPECT_EQ(Val("&hff"), 255);
  EXPECT_EQ(Val("&O17"), 15);
  EXPECT_EQ(Val("&HFFFF"), -1);
  EXPECT_EQ(Val("&H8000"), -32768);
  EXPECT_EQ(Val("&H10000"), 65536);
  EXPECT_EQ(Val("&H1G"), 1);
  EXPECT_EQ(Val("&O8"), 0);
}

TEST(RoundingTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(1012.5), 1012);
  EXPECT_EQ(RoundHalfEven(1037.5), 1038);
  EXPECT_EQ(RoundHalfEven(2.6), 3);
  EXPECT_EQ(ToInt16(32767.4).value(), 32767);
  EXPECT_EQ(ToInt16(-32768.5).value(), -32768);
  EXPECT_FALSE(ToInt16(32767.5));
  EXPECT_FALSE(ToInt16(-32769));
  EXPECT_FALSE(ToInt16(1e300 * 1e300));
}

TEST(HelpTest, OnlyTheWholeArgumentTextAsksForHelp) {
  EXPECT_TRUE(IsHelpRequest("/?"));
  EXPECT_FALSE(IsHelpRequest("/? /WDEBUG=1"));
  EXPECT_FALSE(IsHelpRequest(" /?"));
  EXPECT_FALSE(IsHelpRequest(""));
}

TEST(HelpTest, ShowsTheOptionsInAnInformationBoxAndEnds) {
  TestPlatform t;
  auto program = t.NewProgram();
  EXPECT_EQ(EndCodeOf([&] { ShowHelpAndEnd(*program); }), 0);
  ASSERT_EQ(t.desktop.boxes.size(), 1u);
  EXPECT_EQ(t.desktop.boxes[0].title, "Command line options");
  EXPECT_EQ(t.desktop.boxes[0].style, 64);
  EXPECT_EQ(t.desktop.boxes[0].text,
            "SYNTAX: RIZARODE.EXE /WDEBUG=x\r\r"
            "  x=1  Show debug info.\r  x=2  Use only A4 paper size.\r"
            "  x=4  Check also custom forms.\r  x=8  Put output in one print job.\r"
            "  x=16 Use Courier New font.\r\r");
}

struct FlagsCase {
  const char* argumentText;
  int16_t flags;
};

class DebugFlagsTest : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(DebugFlagsTest, ReadsTheWordAfterTheFirstOption) {
  TestPlatform t;
  auto program = t.NewProgram();
  EXPECT_EQ(ReadDebugFlags(*program, GetParam().argumentText), GetParam().flags);
  EXPECT_TRUE(t.desktop.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugFlagsTest,
    ::testing::Values(FlagsCase{"", 0}, FlagsCase{"/TEMP=X", 0},
                      FlagsCase{"/WDEBUG=16", 16},
                      FlagsCase{"/WDEBUG=1 /TEMP=D:\\X", 1},
                      FlagsCase{"/WDEBUG=1 6", 16}, FlagsCase{"/WDEBUG=2.5", 2},
                      FlagsCase{"/WDEBUG=3.5", 4}, FlagsCase{"/WDEBUG=-1", -1},
                      FlagsCase{"/WDEBUG=", 0}, FlagsCase{"/WDEBUG=X", 0},
                      FlagsCase{"/WDEBUG=&H11", 17},
                      FlagsCase{"/WDEBUG=&HFFFF", -1},
                      FlagsCase{"/WDEBUG=32767", 32767},
                      FlagsCase{"/WDEBUG=-32768", -32768},
                      // Two options: the first counts, and its number runs
                      // into the second after the skipped blank.
                      FlagsCase{"/WDEBUG=1 /WDEBUG=2", 1},
                      FlagsCase{"/X /WDEBUG=4", 4}));

TEST(DebugFlagsTest, AValueOutsideTheWordIsRefusedNotWrapped) {
  for (const char* text : {"/WDEBUG=99999", "/WDEBUG=32768", "/WDEBUG=-32769",
                           "/WDEBUG=32767.5", "/WDEBUG=1E400"}) {
    TestPlatform t;
    auto program = t.NewProgram();
    EXPECT_EQ(EndCodeOf([&] { ReadDebugFlags(*program, text); }), 2) << text;
    ASSERT_EQ(t.desktop.boxes.size(), 1u) << text;
    EXPECT_NE(t.desktop.boxes[0].text.find("-32768 to 32767"), std::string::npos);
    EXPECT_EQ(t.desktop.boxes[0].style, 16);
  }
  TestPlatform t;
  auto program = t.NewProgram();
  EndCodeOf([&] { ReadDebugFlags(*program, "/WDEBUG=99999"); });
  EXPECT_NE(t.desktop.boxes[0].text.find("99999"), std::string::npos);
}

}  // namespace
}  // namespace rizarode
