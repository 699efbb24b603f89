#include "program/take_token.h"

#include <gtest/gtest.h>

namespace rizarode {
namespace {

TEST(TakeTokenTest, CutsAtTheFirstDelimiter) {
  std::string text = "12 : A4";
  EXPECT_EQ(TakeToken(text, " "), "12");
  EXPECT_EQ(text, ": A4");

  text = "ABC";
  EXPECT_EQ(TakeToken(text, " "), "ABC");
  EXPECT_EQ(text, "");

  text = "a::b::c";
  EXPECT_EQ(TakeToken(text, "::"), "a");
  EXPECT_EQ(text, "b::c");

  text = " lead";
  EXPECT_EQ(TakeToken(text, " "), "");
  EXPECT_EQ(text, "lead");
}

}  // namespace
}  // namespace rizarode
