#pragma once
// Table-driven checks of a conversion: one call with every (input, expected)
// pair instead of a column of EXPECT_EQs. A failure names the input and the
// line of the table's call.
#include <gtest/gtest.h>

#include <initializer_list>
#include <source_location>
#include <string>
#include <utility>

namespace kanata::test {

template <class Input = std::string, class Convert>
void ExpectEach(Convert convert,
                std::initializer_list<std::pair<Input, std::string>> inputsAndExpected,
                std::source_location where = std::source_location::current()) {
    const ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()),
                                       "table of conversions");
    for (const auto& [input, expected] : inputsAndExpected)
        EXPECT_EQ(convert(input), expected) << "input: " << input;
}

} // namespace kanata::test
