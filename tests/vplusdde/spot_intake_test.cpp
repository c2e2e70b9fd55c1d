#include "vplusdde/spot_intake.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "fakes/fake_spot_lines.h"
#include "rtl/sysutils.h"

namespace {

// A spot row in the decoder's column layout, 42 characters.
std::string Row(const std::string& freq, const std::string& dx, const std::string& spotter,
                const std::string& time = "1305", const std::string& comment = "cq dx") {
    auto field = [](std::string s, size_t width, bool right) {
        if (s.size() > width) s.resize(width);
        const std::string pad(width - s.size(), ' ');
        return right ? pad + s : s + pad;
    };
    return field(freq, 6, true) + " " + field(dx, 6, false) + " " + field(comment, 14, false) +
           " " + field(spotter, 6, false) + " " + field(time, 4, false) + "  ";
}

class Host : public ISpotIntakeHost {
  public:
    std::string lower = "1800";
    std::string upper = "432000";
    bool forwarding = false;
    std::vector<std::string> events;  // tones, forwards and label writes in order
    std::string label1;
    std::string label4 = "Label4";
    int limitReads = 0;
    std::function<void(const std::string&)> onForward;
    std::function<void()> onTone;

    std::string UpperLimitText() override {
        ++limitReads;
        return upper;
    }
    std::string LowerLimitText() override {
        ++limitReads;
        return lower;
    }
    bool ForwardingOn() override { return forwarding; }
    void PlayTone(std::uint16_t f, std::int32_t ms) override {
        events.push_back("tone " + std::to_string(f) + " " + std::to_string(ms));
        if (onTone) onTone();
    }
    void Relay(const std::string& row) override { events.push_back("relay " + row); }
    void Forward(const std::string& row) override {
        events.push_back("forward " + row);
        if (onForward) onForward(row);
    }
    std::string TodayText() override { return "7.12.2026"; }
    std::string NowText() override { return "9.41.07"; }
    void SetLastSpotTime(const std::string& c) override {
        label1 = c;
        events.push_back("label1 " + c);
    }
    void SetSpotCount(const std::string& c) override { label4 = c; }
    std::string watchedCall;  // a DX call taken for a watched one
    bool IsWatched(const std::string& row) override {
        return !watchedCall.empty() && row.compare(7, watchedCall.size(), watchedCall) == 0;
    }
    // Marks by the row's frequency column; rows not listed are marked as
    // the default host marks them (watched or not).
    std::map<std::string, SpotMarks> marksByFrequency;
    SpotMarks Marks(const std::string& row) override {
        const auto found = marksByFrequency.find(row.substr(0, 6));
        return found == marksByFrequency.end() ? ISpotIntakeHost::Marks(row) : found->second;
    }
    std::string LineTail(const SpotMarks& marks) override {
        return marks.dxcc ? "  Country " + std::to_string(*marks.dxcc) : "";
    }
    int flashes = 0;
    void WatchedSpotShown() override { ++flashes; }
};

class SpotIntakeTest : public ::testing::Test {
  protected:
    FakeSpotLines lines;
    SpotView view{lines};
    Host host;
    SpotIntake intake{host, view};

    int Tones() const {
        int n = 0;
        for (const auto& e : host.events) n += e.rfind("tone", 0) == 0;
        return n;
    }
};

TEST_F(SpotIntakeTest, AFullBlockOfNewRowsIsShownInOrderAndCounted) {
    std::string block;
    for (int i = 0; i < 19; ++i)
        block += Row(std::to_string(7000 + i), "Q1A" + std::to_string(i), "Q9Z");
    ASSERT_EQ(block.size(), 798u);
    intake.Run(block);
    ASSERT_EQ(lines.lines.size(), 19u);
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(lines.lines[i].first,
                  block.substr(static_cast<size_t>(i) * 42, 42) + "7.12.2026");
        EXPECT_EQ(lines.lines[i].second, kSpotNavy);
    }
    EXPECT_EQ(intake.Counter(), 19);
    EXPECT_EQ(host.label4, "19 vihjett\xE4");
    EXPECT_EQ(host.label1, "9.41.07");
    EXPECT_EQ(Tones(), 19);
}

// Spots of an earlier run come back quietly and in one go, with their own
// dates and colours; a row shown already, or twice in the files, once.
TEST_F(SpotIntakeTest, RestoredSpotsComeBackQuietlyInOneGo) {
    const std::string shown = Row("7000", "Q1AAA", "Q9ZZZ");
    intake.Run(shown);
    host.events.clear();
    host.watchedCall = "VP8";
    const std::string oh = Row("7001", "OH2AB", "Q9ZZZ");
    const std::string watched = Row("7002", "VP8XX", "Q9ZZZ");
    const std::string plain = Row("7003", "Q2BBB", "Q9ZZZ");
    intake.Restore({{shown, "6.12.2026"},
                    {oh, "6.12.2026"},
                    {watched, "7.12.2026"},
                    {oh, "7.12.2026"},
                    {plain, "7.12.2026"}});
    using Line = std::pair<std::string, std::uint32_t>;
    EXPECT_EQ(lines.lines, (std::vector<Line>{{shown + "7.12.2026", kSpotNavy},
                                              {oh + "6.12.2026", kSpotRed},
                                              {watched + "7.12.2026", kSpotGreen},
                                              {plain + "7.12.2026", kSpotNavy}}));
    EXPECT_EQ(lines.batches, 1);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(intake.Counter(), 1);
    EXPECT_TRUE(view.IsShown(plain));
}

// A restored row whose line the view refused is still one taken before the
// restart: the page that repeats it brings no tone for it, while the other
// restored lines are shown and a new row is taken.
TEST_F(SpotIntakeTest, ARestoredRowIsTakenAlsoWhenTheViewRefusedItsLine) {
    const std::string before = Row("7001", "Q1AAA", "Q9ZZZ");
    std::string refused = Row("7002", "Q2BBB", "Q9ZZZ");
    refused[20] = '\0';
    const std::string after = Row("7003", "Q3CCC", "Q9ZZZ");
    EXPECT_THROW(
        intake.Restore({{before, "7.12.2026"}, {refused, "7.12.2026"}, {after, "7.12.2026"}}),
        EOutOfResources);
    using Line = std::pair<std::string, std::uint32_t>;
    EXPECT_EQ(lines.lines, (std::vector<Line>{{before + "7.12.2026", kSpotNavy},
                                              {after + "7.12.2026", kSpotNavy}}));
    const std::string fresh = Row("7004", "Q4DDD", "Q9ZZZ");
    intake.Run(before + refused + after + fresh);
    EXPECT_EQ(Tones(), 1);
    EXPECT_EQ(intake.Counter(), 1);
    EXPECT_EQ(lines.lines.back(), (Line{fresh + "7.12.2026", kSpotNavy}));
    EXPECT_EQ(lines.lines.size(), 3u);
}

TEST_F(SpotIntakeTest, TheSameTextAgainAddsNothingButRewritesTheCount) {
    const std::string text = Row("14025", "Q1AAA", "Q9ZZZ") + Row("7010", "Q2BBB", "Q8YYY");
    intake.Run(text);
    host.events.clear();
    host.label4 = "stale";
    host.limitReads = 0;
    intake.Run(text);
    EXPECT_EQ(lines.lines.size(), 2u);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(host.limitReads, 0);  // only new rows read the limits
    EXPECT_EQ(host.label4, "2 vihjett\xE4");
}

TEST_F(SpotIntakeTest, LimitsAreInclusiveAndCheckedUpperThenLower) {
    host.lower = "7000";
    host.upper = "14000";
    intake.Run(Row("7000", "LOW", "X") + Row("14000", "HIGH", "X") + Row("6999", "UNDER", "X") +
               Row("14001", "OVER", "X"));
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(lines.lines[0].first.substr(7, 3), "LOW");
    EXPECT_EQ(lines.lines[1].first.substr(7, 4), "HIGH");
    // Two reads for each of the three rows under the upper limit, one for the row above it.
    EXPECT_EQ(host.limitReads, 2 * 3 + 1);
}

TEST_F(SpotIntakeTest, ALowerLimitAboveTheUpperRejectsEverything) {
    host.lower = "20000";
    host.upper = "10000";
    intake.Run(Row("14000", "A", "B") + Row("20000", "C", "D") + Row("10000", "E", "F"));
    EXPECT_TRUE(lines.lines.empty());
    EXPECT_EQ(host.label4, "0 vihjett\xE4");
}

TEST_F(SpotIntakeTest, AnUnreadableFrequencyCountsAsZero) {
    const std::string text = Row("", "BLANK", "X") + Row("14O00", "LETTER", "X");
    intake.Run(text);
    EXPECT_TRUE(lines.lines.empty());
    host.lower = "0";
    intake.Run(text);
    EXPECT_EQ(lines.lines.size(), 2u);
}

TEST_F(SpotIntakeTest, OhInEitherCallIsRedWithASecondTone) {
    intake.Run(Row("7000", "OH2AB", "Q9ZZZ") + Row("7001", "Q1AAA", "OH6XY") +
               Row("7002", "oh2ab", "oh6xy") + Row("7003", "Q1OH", "Q9Z", "1305", "OH2AB cq") +
               Row("7004", "9OH2AB", "Q9Z"));
    ASSERT_EQ(lines.lines.size(), 5u);
    EXPECT_EQ(lines.lines[0].second, kSpotRed);
    EXPECT_EQ(lines.lines[1].second, kSpotRed);
    EXPECT_EQ(lines.lines[2].second, kSpotNavy);
    EXPECT_EQ(lines.lines[3].second, kSpotNavy);
    EXPECT_EQ(lines.lines[4].second, kSpotNavy);
    EXPECT_EQ(Tones(), 7);
    // The second tone follows the first, and both come before the label.
    EXPECT_EQ(host.events[0], "tone 1500 50");
    EXPECT_EQ(host.events[1], "tone 2000 150");
    EXPECT_EQ(host.events[3], "label1 9.41.07");
}

TEST_F(SpotIntakeTest, EveryToneOfARowEndsBeforeItsLineIsAppended) {
    std::vector<size_t> shownAtTone;
    host.onTone = [&] { shownAtTone.push_back(lines.lines.size()); };
    intake.Run(Row("7000", "OH2AB", "Q9ZZZ") + Row("7001", "Q1AAA", "Q9ZZZ"));
    EXPECT_EQ(shownAtTone, (std::vector<size_t>{0, 0, 1}));
}

TEST_F(SpotIntakeTest, ARowDifferingOnlyInTimeIsANewSpot) {
    intake.Run(Row("7025", "Q1AAA", "Q9ZZZ", "1305"));
    intake.Run(Row("7025", "Q1AAA", "Q9ZZZ", "1306"));
    EXPECT_EQ(lines.lines.size(), 2u);
}

TEST_F(SpotIntakeTest, ABadLimitFailsAtTheFirstNewRowAndKeepsWhatWasDone) {
    const std::string shown = Row("7000", "OLD", "X");
    intake.Run(shown);
    host.upper = "14000 ";
    host.label4 = "kept";
    // Only shown rows: the bad limit goes unnoticed.
    intake.Run(shown);
    EXPECT_EQ(host.label4, "1 vihjett\xE4");
    host.label4 = "kept";
    try {
        intake.Run(shown + Row("7001", "NEW", "X") + Row("7002", "NEXT", "X"));
        FAIL() << "the limit was taken";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'14000 ' is not a valid integer value");
    }
    EXPECT_EQ(lines.lines.size(), 1u);
    EXPECT_EQ(host.label4, "kept");
    // Put right, the rows come at the next update.
    host.upper = "14000";
    intake.Run(shown + Row("7001", "NEW", "X") + Row("7002", "NEXT", "X"));
    EXPECT_EQ(lines.lines.size(), 3u);
}

TEST_F(SpotIntakeTest, ForwardingSendsTheRowWithoutTheDateOnlyWhenOn) {
    const std::string row = Row("7025", "Q1AAA", "Q9ZZZ");
    intake.Run(row);
    for (const auto& e : host.events) EXPECT_NE(e.rfind("forward", 0), 0u) << e;
    host.forwarding = true;
    const std::string next = Row("7026", "Q1AAA", "Q9ZZZ");
    host.events.clear();
    intake.Run(next);
    // Relayed (to the spot file) once shown, and before forwarding, which may fail.
    EXPECT_EQ(host.events, (std::vector<std::string>{"tone 1500 50", "relay " + next,
                                                     "forward " + next, "label1 9.41.07"}));
}

TEST_F(SpotIntakeTest, AForwardingFailureEndsTheRunAfterTheLineIsShown) {
    host.forwarding = true;
    host.onForward = [](const std::string&) {
        throw Exception("Error accessing specified device");
    };
    EXPECT_THROW(intake.Run(Row("7000", "A", "X") + Row("7001", "B", "X")), Exception);
    ASSERT_EQ(lines.lines.size(), 1u);
    EXPECT_TRUE(host.label1.empty());
    EXPECT_EQ(intake.Counter(), 1);
    // The shown row is not forwarded again; the next one is handled next time.
    host.onForward = nullptr;
    host.events.clear();
    intake.Run(Row("7000", "A", "X") + Row("7001", "B", "X"));
    EXPECT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(std::count_if(host.events.begin(), host.events.end(),
                            [](const std::string& e) { return e.rfind("forward", 0) == 0; }),
              1);
}

TEST_F(SpotIntakeTest, ARunNestedInsideForwardingShowsNoSpotTwice) {
    host.forwarding = true;
    const std::string first = Row("7000", "A", "X");
    const std::string second = Row("7001", "B", "X");
    const std::string third = Row("7002", "C", "X");
    bool nested = false;
    // While the first row's write-error box is open, a newer block arrives.
    host.onForward = [&](const std::string&) {
        if (nested) return;
        nested = true;
        intake.Run(first + second + third);
    };
    intake.Run(first + second);
    ASSERT_EQ(lines.lines.size(), 3u);
    EXPECT_EQ(lines.lines[1].first.substr(0, 42), second);
    EXPECT_EQ(lines.lines[2].first.substr(0, 42), third);
    EXPECT_EQ(intake.Counter(), 3);
}

TEST_F(SpotIntakeTest, AShortLastUnitIsHandledLikeARowAndALoneCharacterIsDropped) {
    host.forwarding = true;
    intake.Run(Row("7000", "A", "X") + "  7001 B");
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(lines.lines[1].first, "  7001 B7.12.2026");
    intake.Run(std::string("x"));
    intake.Run(std::string());
    EXPECT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(host.label4, "2 vihjett\xE4");
}

}  // namespace

namespace {

SpotMarks Marked(bool watched, bool newCountry, bool newBand) {
    SpotMarks marks;
    marks.watched = watched;
    marks.newCountry = newCountry;
    marks.newBand = newBand;
    return marks;
}

}  // namespace

// One line has one colour: a new country over a watched station over a new
// band over "OH" over navy; each pair decided alone.
TEST_F(SpotIntakeTest, TheRarerNewsColoursTheLine) {
    host.marksByFrequency = {{"  7001", Marked(true, true, false)},
                             {"  7002", Marked(true, false, true)},
                             {"  7003", Marked(false, false, true)},
                             {"  7004", Marked(false, true, true)},
                             {"  7005", Marked(false, false, false)}};
    intake.Run(Row("7001", "OH1AA", "Q9ZZZ") + Row("7002", "OH1AA", "Q9ZZZ") +
               Row("7003", "OH1AA", "Q9ZZZ") + Row("7004", "Q1AAA", "Q9ZZZ") +
               Row("7005", "OH1AA", "Q9ZZZ") + Row("7006", "Q1AAA", "Q9ZZZ"));
    std::vector<std::uint32_t> colors;
    for (const auto& line : lines.lines) colors.push_back(line.second);
    EXPECT_EQ(colors, (std::vector<std::uint32_t>{kSpotPurple, kSpotGreen, kSpotTeal, kSpotPurple,
                                                  kSpotRed, kSpotNavy}));
}

// Each mark has its tone after the usual ones and flashes the window; a new
// country does not also sound as a new band.
TEST_F(SpotIntakeTest, EachMarkSoundsItsOwnToneAndFlashes) {
    int frequency = 14000;
    const auto tonesOf = [&](const SpotMarks& marks) {
        const std::string khz = std::to_string(++frequency);  // a new spot each time
        host.marksByFrequency = {{" " + khz, marks}};
        host.events.clear();
        const int flashesBefore = host.flashes;
        intake.Run(Row(khz, "Q1AAA", "Q9ZZZ"));
        std::vector<std::string> tones;
        for (const auto& e : host.events)
            if (e.rfind("tone", 0) == 0) tones.push_back(e);
        tones.push_back(host.flashes > flashesBefore ? "flash" : "no flash");
        return tones;
    };
    using Tones = std::vector<std::string>;
    EXPECT_EQ(tonesOf(Marked(false, false, false)), (Tones{"tone 1500 50", "no flash"}));
    EXPECT_EQ(tonesOf(Marked(true, false, false)),
              (Tones{"tone 1500 50", "tone 2500 300", "flash"}));
    EXPECT_EQ(tonesOf(Marked(false, true, true)),
              (Tones{"tone 1500 50", "tone 3000 450", "flash"}));
    EXPECT_EQ(tonesOf(Marked(false, false, true)),
              (Tones{"tone 1500 50", "tone 1000 350", "flash"}));
    EXPECT_EQ(tonesOf(Marked(true, true, false)),
              (Tones{"tone 1500 50", "tone 2500 300", "tone 3000 450", "flash"}));
}

// The country goes after the date, so the duplicate test's first 42
// characters stay the row; restored lines get theirs too.
TEST_F(SpotIntakeTest, TheCountryFollowsTheDateInNewAndRestoredLines) {
    SpotMarks finland;
    finland.dxcc = 224;
    host.marksByFrequency = {{"  7001", finland}, {"  7002", finland}};
    const std::string restored = Row("7001", "OH1AA", "Q9ZZZ");
    const std::string fresh = Row("7002", "OH2BB", "Q9ZZZ");
    intake.Restore({{restored, "6.12.2026"}});
    intake.Run(restored + fresh);
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(lines.lines[0].first, restored + "6.12.2026  Country 224");
    EXPECT_EQ(lines.lines[1].first, fresh + "7.12.2026  Country 224");
    EXPECT_EQ(intake.Counter(), 1);
}
