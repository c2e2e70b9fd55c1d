#include "Bleeper/bleep_int.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_speaker.h"

namespace {

using Log = std::vector<std::string>;

// The accesses that switch a silent speaker on at a divisor.
Log OnFromSilence(std::uint8_t control, const char* low, const char* high) {
    char mode[16];
    std::snprintf(mode, sizeof mode, "out 61 %x", control | 3);
    return {"in 61", mode, "out 43 b6", std::string("out 42 ") + low,
            std::string("out 42 ") + high};
}

Log Concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class DirectPath : public ::testing::Test {
  protected:
    FakeSpeaker speaker;
    int processed = 0;
    TToneGenerator tone{speaker, false, [this] { ++processed; }};
};

TEST(DetectPlatform, BeepServiceExactlyForTheNtFamily) {
    struct Case {
        std::uint32_t id;
        bool beep;
    };
    for (const Case c : {Case{2, true}, Case{1, false}, Case{0, false}, Case{3, false}}) {
        FakeSpeaker speaker;
        speaker.platformId = c.id;
        EXPECT_EQ(TToneGenerator::DetectPlatform(speaker), c.beep) << c.id;
        EXPECT_EQ(speaker.versionSizeSeen, 148u);
        EXPECT_EQ(speaker.versionCalls, 1);
    }
    FakeSpeaker failing;  // the call's result is not looked at
    failing.versionResult = false;
    EXPECT_TRUE(TToneGenerator::DetectPlatform(failing));
}

TEST_F(DirectPath, SilentSpeakerIsSwitchedOnTimedAndOff) {
    speaker.tickStep = 10;
    tone.PlayTone(1500, 50);  // divisor 795 = 0x31b
    EXPECT_EQ(speaker.log, Concat(OnFromSilence(0x30, "1b", "3"), {"in 61", "out 61 30"}));
    EXPECT_EQ(speaker.tickReads, 6);  // the start, then 10, 20, ..., 50
    EXPECT_FALSE(speaker.Sounding());
    EXPECT_EQ(processed, 0);
}

TEST_F(DirectPath, TheOtherSixBitsOfTheControlPortAreKept) {
    speaker.port61 = 0xFC;
    tone.PlayTone(2000, 0);  // divisor 596 = 0x254
    EXPECT_EQ(speaker.log, Concat(OnFromSilence(0xFC, "54", "2"), {"in 61", "out 61 fc"}));
}

TEST_F(DirectPath, DivisorsAcrossTheWindowAndNothingOutsideIt) {
    struct Case {
        std::uint16_t frequency;
        const char* low;
        const char* high;
    };
    // 1193181 / 20 = 59659 = 0xe90b; / 5000 = 238 = 0xee.
    for (const Case c : {Case{20, "b", "e9"}, Case{1500, "1b", "3"}, Case{2000, "54", "2"},
                         Case{5000, "ee", "0"}}) {
        speaker.log.clear();
        tone.PlayTone(c.frequency, 0);
        EXPECT_EQ(speaker.log, Concat(OnFromSilence(0x30, c.low, c.high), {"in 61", "out 61 30"}))
            << c.frequency;
    }
    static_assert(BleepInt::Divisor(1500) == 795 && BleepInt::Divisor(2000) == 596 &&
                  BleepInt::Divisor(5000) == 238 && BleepInt::Divisor(20) == 59659);
    for (const std::uint16_t frequency : {0, 19, 5001, 65535}) {
        speaker.log.clear();
        speaker.tickReads = 0;
        tone.PlayTone(frequency, 500);
        EXPECT_TRUE(speaker.log.empty()) << frequency;
        EXPECT_EQ(speaker.tickReads, 0) << frequency;
    }
}

TEST_F(DirectPath, ASoundingSpeakerOnlyChangesPitch) {
    tone.PlayTone(1500, -1);
    EXPECT_EQ(speaker.log, OnFromSilence(0x30, "1b", "3"));
    EXPECT_EQ(speaker.tickReads, 0);  // -1 returns at once
    EXPECT_TRUE(speaker.Sounding());

    speaker.log.clear();
    tone.PlayTone(2000, 0);  // a later tone takes over and ends it
    EXPECT_EQ(speaker.log, (Log{"in 61", "out 42 54", "out 42 2", "in 61", "out 61 30"}));
    EXPECT_FALSE(speaker.Sounding());
}

TEST_F(DirectPath, EitherSpeakerBitSetCountsAsSounding) {
    for (const std::uint8_t control : {0x31, 0x32}) {
        speaker.port61 = control;
        speaker.log.clear();
        tone.SpeakerOn(795);
        EXPECT_EQ(speaker.log, (Log{"in 61", "out 42 1b", "out 42 3"})) << int(control);
    }
}

TEST_F(DirectPath, DurationBelowMinusOneCountsAsZero) {
    tone.PlayTone(1500, -5);
    EXPECT_EQ(speaker.log, Concat(OnFromSilence(0x30, "1b", "3"), {"in 61", "out 61 30"}));
    EXPECT_EQ(speaker.tickReads, 2);  // a zero wait reads the counter once after the start
    speaker.tickReads = 0;
    tone.PlayTone(1500, -2147483647 - 1);
    EXPECT_EQ(speaker.tickReads, 2);
    EXPECT_FALSE(speaker.Sounding());
}

TEST_F(DirectPath, WaitAcrossTheWrapOfTheTickCounter) {
    speaker.ticks = 4294967290u;
    tone.WaitMilliseconds(20);
    EXPECT_EQ(speaker.tickReads, 21);  // the start and 20 readings, one per millisecond
    EXPECT_EQ(speaker.ticks, 15u);     // the last reading was 14: 4294967290 + 20 - 2^32
}

TEST_F(DirectPath, WaitEndsAtTheFirstReadingPastTheDuration) {
    speaker.ticks = 4294967295u;
    speaker.tickStep = 7;
    tone.WaitMilliseconds(20);
    EXPECT_EQ(speaker.tickReads, 4);  // elapsed 7, 14, 21
}

TEST_F(DirectPath, MessagesAreProcessedOnlyInWaitsAboveOneSecond) {
    speaker.tickStep = 100;
    tone.WaitMilliseconds(1000);
    EXPECT_EQ(processed, 0);
    tone.WaitMilliseconds(1001);
    EXPECT_EQ(processed, 11);  // once before each of the 11 readings after the start
    processed = 0;
    tone.PlayTone(1500, 1001);
    EXPECT_EQ(processed, 11);
}

TEST_F(DirectPath, ANestedToneTakesOverAndTheOuterWaitRunsOnInSilence) {
    bool nested = false;
    TToneGenerator outer(speaker, false, [&] {
        if (nested) return;
        nested = true;
        tone.PlayTone(2000, 150);
        EXPECT_FALSE(speaker.Sounding());
    });
    speaker.tickStep = 50;
    outer.PlayTone(1500, 2000);
    EXPECT_EQ(speaker.log,
              Concat(OnFromSilence(0x30, "1b", "3"), {"in 61", "out 42 54", "out 42 2", "in 61",
                                                      "out 61 30", "in 61", "out 61 30"}));
    // The outer start (0), the nested tone's start and three readings (50 ..
    // 200), then the outer readings 250, 300, ..., 2000: the nested time counts.
    EXPECT_EQ(speaker.tickReads, 1 + 4 + 36);
}

TEST_F(DirectPath, AFailingMessageHandlerLeavesTheSpeakerOff) {
    TToneGenerator failing(speaker, false, [] { throw std::runtime_error("handler"); });
    EXPECT_THROW(failing.PlayTone(1500, 2000), std::runtime_error);
    EXPECT_FALSE(speaker.Sounding());
}

TEST(BeepPath, PassesEverythingToBeepAndWaitsForNothing) {
    FakeSpeaker speaker;
    int processed = 0;
    TToneGenerator tone(speaker, true, [&] { ++processed; });
    tone.PlayTone(1500, 50);
    tone.PlayTone(10, 50);
    tone.PlayTone(10000, 50);
    tone.PlayTone(1500, -1);
    tone.PlayTone(1500, -5);
    tone.PlayTone(2000, 5000);
    EXPECT_EQ(speaker.log, (Log{"Beep 1500 50", "Beep 10 50", "Beep 10000 50",
                                "Beep 1500 4294967295", "Beep 1500 0", "Beep 2000 5000"}));
    EXPECT_EQ(speaker.tickReads, 0);
    EXPECT_EQ(processed, 0);
}

}  // namespace
