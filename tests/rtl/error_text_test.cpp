#include "rtl/error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorText, FullStopAfterACharacterThatSortsAfterTheFullStop) {
    EXPECT_EQ(ErrorReportText("File not found"), "File not found.");
    EXPECT_EQ(ErrorReportText("I/O error 32"), "I/O error 32.");
    EXPECT_EQ(ErrorReportText("'12 ' is not a valid integer value"),
              "'12 ' is not a valid integer value.");
    EXPECT_EQ(ErrorReportText("Really?"), "Really?.");  // "?" is 0x3F
    EXPECT_EQ(ErrorReportText("a/"), "a/.");            // "/" is 0x2F, just after "."
    EXPECT_EQ(ErrorReportText("x"), "x.");
    EXPECT_EQ(ErrorReportText("Z"), "Z.");
    EXPECT_EQ(ErrorReportText("~"), "~.");
}

TEST(ErrorText, BytesFromTheUpperHalfCountAsSortingAfter) {
    EXPECT_EQ(ErrorReportText("vihjett\xE4"), "vihjett\xE4.");
    EXPECT_EQ(ErrorReportText("\x80"), "\x80.");
    EXPECT_EQ(ErrorReportText("\xFF"), "\xFF.");
}

TEST(ErrorText, NoFullStopAfterTheFullStopOrWhatSortsBeforeIt) {
    EXPECT_EQ(ErrorReportText(""), "");
    EXPECT_EQ(ErrorReportText("Done."), "Done.");
    EXPECT_EQ(ErrorReportText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorReportText("Com port (Error: 5) "), "Com port (Error: 5) ");
    EXPECT_EQ(ErrorReportText("(Error: -1)"), "(Error: -1)");
    EXPECT_EQ(ErrorReportText("one, two,"), "one, two,");
    EXPECT_EQ(ErrorReportText("a-"), "a-");  // "-" is 0x2D, just before "."
    EXPECT_EQ(ErrorReportText(std::string("a\0", 2)), std::string("a\0", 2));
}

}  // namespace
