#include "protocol.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace core;

namespace {

struct NumberCase {
    std::string body;
    std::optional<int> number;
};

const NumberCase number_cases[] = {
    // Plain numbers.
    {"0", 0}, {"1", 1}, {"2", 2}, {"042", 42},
    // Leading white space and a sign.
    {" 2", 2}, {"\t\n\v\f\r 7", 7}, {"+2", 2}, {"-3", -3}, {"  -0", 0},
    // The digits up to the first non-digit.
    {"2abc", 2}, {"2\n", 2}, {"12 34", 12}, {"1.5", 1},
    // No digits: no number.
    {"", std::nullopt}, {"abc", std::nullopt}, {"ok", std::nullopt}, {"-", std::nullopt},
    {"+", std::nullopt}, {"   ", std::nullopt}, {"- 2", std::nullopt}, {"+-2", std::nullopt},
    {"x2", std::nullopt},
    // Outside int: no number.
    {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"2147483648", std::nullopt},
    {"-2147483649", std::nullopt}, {"99999999999999999999999999", std::nullopt},
    {"-99999999999999999999999999x", std::nullopt},
    // Leading zeros do not overflow.
    {"00000000000000000000000001", 1},
};

TEST(NumberInBody, ReadsTheLeadingDecimalInt) {
    for (const NumberCase& c : number_cases) EXPECT_EQ(number_in_body(c.body), c.number) << '"' << c.body << '"';
}

}  // namespace
