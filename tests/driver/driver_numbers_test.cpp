#include "driver/driver_numbers.h"

#include <gtest/gtest.h>

#include "driver/driver_fixture.h"
#include "driver/font_phase.h"
#include "driver/form_phase.h"

namespace rizarode {
namespace {

using testing::DecimalCommaLocales;
using testing::NumericLocaleGuard;

TEST(SingleTextTest, SevenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(SingleText(16718.0f), "16718");
  EXPECT_EQ(SingleText(16838.4f - 120.0f), "16718.4");
  EXPECT_EQ(SingleText(24.0f * 9.23f), "221.52");   // 221.5199966... in single
  EXPECT_EQ(SingleText(12.0f * 10.91f), "130.92");
  EXPECT_EQ(SingleText(1234567.0f), "1234567");
  EXPECT_EQ(SingleText(123.456789f), "123.4568");
  EXPECT_EQ(SingleText(0.5f), "0.5");
  EXPECT_EQ(SingleText(0.0f), "0");
  EXPECT_EQ(SingleText(-120.5f), "-120.5");
  EXPECT_EQ(SingleText(9999999.0f), "9999999");
}

TEST(SingleTextTest, ExponentOnlyForValuesFarOutsideLengthsAndSizes) {
  EXPECT_EQ(SingleText(10000000.0f), "1E+07");
  EXPECT_EQ(SingleText(15000000.0f), "1.5E+07");
  EXPECT_EQ(SingleText(0.000001f), "1E-06");
  EXPECT_EQ(SingleText(0.00001f), "0.00001");
}

TEST(PatternTextTest, IntegerPartWithoutZeroSeparatorAlwaysAtMostTwoDecimals) {
  EXPECT_EQ(PatternText(20.7866), "20.79");
  EXPECT_EQ(PatternText(21.0), "21.");
  EXPECT_EQ(PatternText(21.001), "21.");
  EXPECT_EQ(PatternText(0.5), ".5");
  EXPECT_EQ(PatternText(0.0), ".");
  EXPECT_EQ(PatternText(35.56), "35.56");
  EXPECT_EQ(PatternText(29.7), "29.7");
  EXPECT_EQ(PatternText(0.125), ".13");  // halves away from zero
  EXPECT_EQ(PatternText(1234.5), "1234.5");
}

TEST(CodeTest, FormAndFontCodes) {
  EXPECT_EQ(FormCode('P', 9), "#FORM-P009#");
  EXPECT_EQ(FormCode('l', 263), "#FORM-l263#");
  EXPECT_EQ(FormCode('P', 1263), "#FORM-P263#");
  EXPECT_EQ(FontCode(10.5f), "#FONT-1050#");
  EXPECT_EQ(FontCode(10.125f), "#FONT-1012#");  // halves to the even neighbour
  EXPECT_EQ(FontCode(10.375f), "#FONT-1038#");
  EXPECT_EQ(FontCode(9.23f), "#FONT-0923#");
  EXPECT_EQ(FontCode(123.45f), "#FONT-2345#");
}

TEST(LocaleTest, NumbersUseTheDecimalCommaOfADutchOrGermanLocale) {
  NumericLocaleGuard locale(DecimalCommaLocales());
  if (!locale.active()) GTEST_SKIP() << "no Dutch or German locale installed";
  EXPECT_EQ(LocaleDecimalSeparator(), ",");
  EXPECT_EQ(SingleText(16838.4f - 120.0f), "16718,4");
  EXPECT_EQ(SingleText(16718.0f), "16718");
  EXPECT_EQ(SingleText(15000000.0f), "1,5E+07");
  EXPECT_EQ(PatternText(21.3783), "21,38");
  EXPECT_EQ(PatternText(21.0), "21,");
  EXPECT_EQ(PatternText(0.5), ",5");
}

}  // namespace
}  // namespace rizarode
