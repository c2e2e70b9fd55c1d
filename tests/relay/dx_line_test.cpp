// The DX-cluster line of spot rows: column layout, fields read from the row,
// and the rows that give no line.
#include "relay/dx_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

// A 42-character row with each field in its columns.
std::string Row(const std::string& frequency, const std::string& dxCall, const std::string& comment,
                const std::string& spotter, const std::string& time) {
    return std::string(6 - frequency.size(), ' ') + frequency + " " + Padded(dxCall, 6) + " " +
           Padded(comment, 14) + " " + Padded(spotter, 6) + " " + Padded(time, 4) + "  ";
}

const std::string kUtc = "0942";

TEST(DxLine, TheExampleSpot) {
    EXPECT_EQ(DxLine(Row("7025", "Q1AAA", "cq dx", "Q9ZZZ", "1305"), kUtc),
              "DX de Q9ZZZ:      7025.0  Q1AAA        cq dx                          1305Z\r\n");
}

// The frequency ends at column 24 however wide it and the spotter are, with
// at least one blank before it; the comment is cut at 30 characters. A
// spotter that pushes the frequency on takes as much from the comment, and
// the time stays in columns 71-75.
TEST(DxLine, FrequencyColumnAndLongFields) {
    EXPECT_EQ(DxLine(Row("144300", "OH1AB", "tnx qso 73", "OH2XYZ", "0007"), kUtc),
              "DX de OH2XYZ:   144300.0  OH1AB        " + Padded("tnx qso 73", 30) + " 0007Z\r\n");
    const DxSpot spot{14025, "Q1AAA", std::string(35, 'c'), "VERYLONG/SPOTTER", "2359"};
    EXPECT_EQ(FormatDxLine(spot), "DX de VERYLONG/SPOTTER: 14025.0  Q1AAA        " +
                                      std::string(23, 'c') + " 2359Z\r\n");
}

// A call longer than its six columns runs on until its first blank; the
// comment is what follows it up to column 28. A call longer than 12 takes
// its extra characters from the comment's 30. 8-bit characters pass
// unchanged.
TEST(DxLine, LongDxCallRunsIntoTheComment) {
    const std::string row = Padded("  7025 3B8/OH1AB p\xe4\xe4 5", 29) + "Q9ZZZ  1305  ";
    EXPECT_EQ(DxLine(row, kUtc),
              "DX de Q9ZZZ:      7025.0  3B8/OH1AB    " + Padded("p\xe4\xe4 5", 30) + " 1305Z\r\n");
    const std::string longer = Padded("  7025 VP8/OH1ABC/MM cw", 29) + "Q9ZZZ  1305  ";
    EXPECT_EQ(DxLine(longer, kUtc),
              "DX de Q9ZZZ:      7025.0  VP8/OH1ABC/MM " + Padded("cw", 29) + " 1305Z\r\n");
}

// Logging programs read the time from columns 71-75 (from 1), so it stays
// there whatever the DX call's length: a 12-, 13- and 20-character call cut
// the comment to 30, 29 and 22 characters. Only a call that leaves no column
// for the comment and none for the blank before the time pushes the time on.
TEST(DxLine, TheTimeStaysInColumns71To75WhateverTheCallsLength) {
    const std::string comment = "0123456789abcdefghijklmnopqrstuvwxyz";  // 36 characters
    const std::string head = "DX de Q9ZZZ:      7025.0  ";               // up to column 26
    struct Case {
        std::size_t callLength;
        std::size_t commentKept;
    };
    for (const Case c : {Case{12, 30}, Case{13, 29}, Case{20, 22}}) {
        const std::string call = "VP8/" + std::string(c.callLength - 4, 'X');
        const std::string line = FormatDxLine({7025, call, comment, "Q9ZZZ", "1305"});
        EXPECT_EQ(line, head + call + " " + comment.substr(0, c.commentKept) + " 1305Z\r\n")
            << c.callLength;
    }
    // A call ending in column 68 or 69 leaves no room for the comment; the
    // time keeps its columns.
    for (const std::size_t length : {42u, 43u}) {
        const std::string call(length, 'X');
        EXPECT_EQ(FormatDxLine({7025, call, comment, "Q9ZZZ", "1305"}),
                  head + call + std::string(70 - 26 - length, ' ') + "1305Z\r\n")
            << length;
    }
    // A call that ends in column 70 or later: the time follows one blank on.
    for (const std::size_t length : {44u, 50u}) {
        const std::string call(length, 'X');
        EXPECT_EQ(FormatDxLine({7025, call, comment, "Q9ZZZ", "1305"}), head + call + " 1305Z\r\n")
            << length;
    }
}

// No spotter gives the program's own name; no time (blanks, or columns cut
// off in a short last unit) gives the current UTC time.
TEST(DxLine, MissingSpotterAndTime) {
    LocalTime utc;
    utc.hour = 9;
    utc.minute = 5;
    EXPECT_EQ(DxLine(Row("3510", "Q1AAA", "", "", ""), HhmmOf(utc)),
              "DX de VARELI:     3510.0  Q1AAA        " + Padded("", 30) + " 0905Z\r\n");
    EXPECT_EQ(DxLine("  7025 Q1AAA  cq dx  ", kUtc),
              "DX de VARELI:     7025.0  Q1AAA        " + Padded("cq dx", 30) + " 0942Z\r\n");
    const std::optional<DxSpot> cut = ParseSpotRow("  7025 Q1", kUtc);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->dxCall, "Q1");
}

TEST(DxLine, RowsThatGiveNone) {
    for (const char* frequency : {"0", "-7025", "70x5", ""}) {
        EXPECT_FALSE(DxLine(Row(frequency, "Q1AAA", "cq", "Q9ZZZ", "1305"), kUtc)) << frequency;
    }
    EXPECT_FALSE(DxLine(Row("7025", "", "cq dx", "Q9ZZZ", "1305"), kUtc));
    EXPECT_FALSE(DxLine("  7025 ", kUtc));
}

}  // namespace
