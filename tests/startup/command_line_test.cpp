#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/test_platform.h"

namespace rizarode {
namespace {

using testing::EndCodeOf;
using testing::TestPlatform;

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
  const char* name;
  const char* argumentText;
  int16_t flags;
};

// Failure output shows the argument text, not the struct's bytes.
void PrintTo(const FlagsCase& flagsCase, std::ostream* out) {
  *out << '"' << flagsCase.argumentText << "\" gives " << flagsCase.flags;
}

class DebugFlagsTest : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(DebugFlagsTest, ReadsTheWordAfterTheFirstOption) {
  TestPlatform t;
  auto program = t.NewProgram();
  EXPECT_EQ(ReadDebugFlags(*program, GetParam().argumentText), GetParam().flags);
  EXPECT_TRUE(t.desktop.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugFlagsTest,
    ::testing::Values(FlagsCase{"Empty", "", 0},
                      FlagsCase{"OtherOptionOnly", "/TEMP=X", 0},
                      FlagsCase{"Sixteen", "/WDEBUG=16", 16},
                      FlagsCase{"OneThenTemp", "/WDEBUG=1 /TEMP=D:\\X", 1},
                      FlagsCase{"BlankInsideNumber", "/WDEBUG=1 6", 16},
                      FlagsCase{"HalfRoundsDownToEven", "/WDEBUG=2.5", 2},
                      FlagsCase{"HalfRoundsUpToEven", "/WDEBUG=3.5", 4},
                      FlagsCase{"MinusOne", "/WDEBUG=-1", -1},
                      FlagsCase{"NoValue", "/WDEBUG=", 0},
                      FlagsCase{"NotANumber", "/WDEBUG=X", 0},
                      FlagsCase{"Hexadecimal", "/WDEBUG=&H11", 17},
                      FlagsCase{"HexadecimalAllBits", "/WDEBUG=&HFFFF", -1},
                      FlagsCase{"Largest", "/WDEBUG=32767", 32767},
                      FlagsCase{"Smallest", "/WDEBUG=-32768", -32768},
                      // Two options: the first counts, and its number runs
                      // into the second after the skipped blank.
                      FlagsCase{"FirstOfTwoOptions", "/WDEBUG=1 /WDEBUG=2", 1},
                      FlagsCase{"AfterAnotherOption", "/X /WDEBUG=4", 4}),
    [](const ::testing::TestParamInfo<FlagsCase>& testCase) { return std::string(testCase.param.name); });

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
