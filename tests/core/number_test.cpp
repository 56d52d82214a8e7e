#include "protocol.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberInBody, PlainNumbers) {
    EXPECT_EQ(number_in_body("0"), 0);
    EXPECT_EQ(number_in_body("1"), 1);
    EXPECT_EQ(number_in_body("2"), 2);
    EXPECT_EQ(number_in_body("042"), 42);
}

TEST(NumberInBody, LeadingWhiteSpaceAndSign) {
    EXPECT_EQ(number_in_body(" 2"), 2);
    EXPECT_EQ(number_in_body("\t\n\v\f\r 7"), 7);
    EXPECT_EQ(number_in_body("+2"), 2);
    EXPECT_EQ(number_in_body("-3"), -3);
    EXPECT_EQ(number_in_body("  -0"), 0);
}

TEST(NumberInBody, StopsAtTheFirstNonDigit) {
    EXPECT_EQ(number_in_body("2abc"), 2);
    EXPECT_EQ(number_in_body("2\n"), 2);
    EXPECT_EQ(number_in_body("12 34"), 12);
    EXPECT_EQ(number_in_body("1.5"), 1);
}

TEST(NumberInBody, NoDigitsIsNoNumber) {
    EXPECT_FALSE(number_in_body(""));
    EXPECT_FALSE(number_in_body("abc"));
    EXPECT_FALSE(number_in_body("ok"));
    EXPECT_FALSE(number_in_body("-"));
    EXPECT_FALSE(number_in_body("+"));
    EXPECT_FALSE(number_in_body("   "));
    EXPECT_FALSE(number_in_body("- 2"));
    EXPECT_FALSE(number_in_body("+-2"));
    EXPECT_FALSE(number_in_body("x2"));
}

TEST(NumberInBody, OutsideIntIsNoNumber) {
    EXPECT_EQ(number_in_body("2147483647"), 2147483647);
    EXPECT_EQ(number_in_body("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(number_in_body("2147483648"));
    EXPECT_FALSE(number_in_body("-2147483649"));
    EXPECT_FALSE(number_in_body("99999999999999999999999999"));
    EXPECT_FALSE(number_in_body("-99999999999999999999999999x"));
}

TEST(NumberInBody, LeadingZerosDoNotOverflow) {
    EXPECT_EQ(number_in_body("00000000000000000000000001"), 1);
}

}  // namespace
