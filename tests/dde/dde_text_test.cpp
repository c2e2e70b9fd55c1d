#include "dde/dde_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(DdeText, DataEndsAtTheFirstZeroButNeverPastTheReportedSize) {
    const std::uint8_t withZero[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(DdeDataText(withZero, 4), "ab");
    // No zero byte at all: exactly the reported bytes (ASan guards the rest).
    const std::vector<std::uint8_t> noZero = {'x', 'y', 'z'};
    EXPECT_EQ(DdeDataText(noZero.data(), 3), "xyz");
    EXPECT_EQ(DdeDataText(noZero.data(), 2), "xy");
    EXPECT_EQ(DdeDataText(nullptr, 5), "");
    // 8-bit characters pass through.
    const std::uint8_t latin[] = {0xE4, 0x80, 0xFF, 0};
    EXPECT_EQ(DdeDataText(latin, 4), "\xE4\x80\xFF");
}

TEST(DdeText, LinesEndAtCrLfOrCrLfAndATrailingBreakAddsNoLine) {
    EXPECT_EQ(SplitDdeLines(""), Lines{});
    EXPECT_EQ(SplitDdeLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitDdeLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(SplitDdeLines("\r\n"), Lines{""});
    EXPECT_EQ(SplitDdeLines("a\n\nb"), (Lines{"a", "", "b"}));
    // LF CR is two breaks; CR LF is one.
    EXPECT_EQ(SplitDdeLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitDdeLines("a\tb"), Lines{"a\tb"});
}

TEST(DdeText, ControlCharactersOneToThirtyOneBecomeBlanks) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::string blanked = BlankControlChars(all);
    ASSERT_EQ(blanked.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const int code = static_cast<unsigned char>(all[i]);
        EXPECT_EQ(static_cast<unsigned char>(blanked[i]), code <= 31 ? ' ' : code) << code;
    }
}

}  // namespace
