#include "rtl/int_reading.h"

#include <gtest/gtest.h>

#include <string>

#include "rtl/sysutils.h"

namespace {

struct Good {
    const char* text;
    std::int32_t value;
};

// Texts both kinds accept, with their values.
const Good kGood[] = {
    {"0", 0},
    {"7025", 7025},
    {"432000", 432000},
    {"  7025", 7025},  // a frequency field: blanks first
    {" 12", 12},
    {"+12", 12},
    {"-12", -12},
    {"   -7", -7},
    {"-0", 0},
    {"000000000000000000000012", 12},  // leading zeros never overflow
    {"2147483647", 2147483647},
    {"-2147483648", -2147483647 - 1},
    {"$7FFFFFFF", 2147483647},
    {"$7fffffff", 2147483647},
    {"$ff", 255},
    {"x1F", 31},
    {"X1f", 31},
    {"0x1f", 31},
    {"0X1F", 31},
    {"-$10", -16},  // the sign stands before the hexadecimal mark
    {"+x10", 16},
    {" 0x10", 16},
    {"-$80000000", -2147483647 - 1},
    {"$0000000000000001", 1},
    {"0x0", 0},
};

// Texts both kinds refuse.
const char* const kBad[] = {
    "",
    " ",
    "      ",  // an all-blank frequency field
    "+",
    "-",
    "$",
    "x",
    "0x",
    "-0x",
    "12 ",  // nothing may follow the digits
    "70250 ",
    "1 2",
    "12a",
    "abc",
    "1e3",
    "2147483648",  // one past each end
    "-2147483649",
    "99999999999999999999",
    "$80000000",  // hexadecimal is a number like any other, not a bit pattern
    "$FFFFFFFF",
    "-$80000001",
    "$G",
    "0x1g",
    "$-5",  // the sign cannot follow the mark
    "--5",
    "+-5",
    "\t12",  // only the space counts as a blank
    "0xx1",
    "00x1",
    "1.5",
    "1,000",
};

TEST(IntReading, AcceptsTheGrammarWithItsRangeEdges) {
    for (const Good& g : kGood) {
        bool ok = false;
        EXPECT_EQ(ReadInteger(g.text, &ok), g.value) << "'" << g.text << "'";
        EXPECT_TRUE(ok) << "'" << g.text << "'";
        EXPECT_EQ(StrToInt(g.text), g.value) << "'" << g.text << "'";
    }
}

TEST(IntReading, LenientReadingGivesZeroForWhatItRefuses) {
    for (const char* text : kBad) {
        bool ok = true;
        EXPECT_EQ(ReadInteger(text, &ok), 0) << "'" << text << "'";
        EXPECT_FALSE(ok) << "'" << text << "'";
    }
    EXPECT_EQ(ReadInteger("12 "), 0);  // the flag is optional
}

TEST(IntReading, StrictConversionRaisesWithTheTextInTheMessage) {
    for (const char* text : kBad) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + text + "' is not a valid integer value");
        }
    }
}

TEST(IntReading, TextWithAZeroByteIsRefusedAndQuotedWhole) {
    const std::string text(
        "12\0"
        "3",
        4);
    bool ok = true;
    EXPECT_EQ(ReadInteger(text, &ok), 0);
    EXPECT_FALSE(ok);
    try {
        StrToInt(text);
        ADD_FAILURE() << "accepted a zero byte";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
    }
}

TEST(IntReading, SixDigitFrequencyFieldWithoutLeadingBlank) {
    EXPECT_EQ(ReadInteger("144300"), 144300);
    EXPECT_EQ(ReadInteger(std::string("144300 Q1AAA").substr(0, 6)), 144300);
}

}  // namespace
