#include "program/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rizarode {
namespace {

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

}  // namespace
}  // namespace rizarode
