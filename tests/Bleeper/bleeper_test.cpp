#include "Bleeper/bleeper.h"

#include <gtest/gtest.h>

#include "fakes/fake_speaker.h"
#include "platform/seam.h"

namespace {

// The unit's choice is made once per process, so this is its only test.
TEST(Bleeper, PathIsChosenOnceAndEachToneUsesTheInstalledSeam) {
    FakeSpeaker nt;
    {
        ScopedSeam<ISpeaker> seam(&nt);
        PlayTone(1500, 50);  // before DetectPlatform: the first tone chooses
        DetectPlatform();
        EXPECT_EQ(nt.versionCalls, 1);
        EXPECT_TRUE(UseBeepService());
    }
    FakeSpeaker old;
    old.platformId = 1;
    int processed = 0;
    SetProcessMessages([&] { ++processed; });
    {
        ScopedSeam<ISpeaker> seam(&old);
        DetectPlatform();
        PlayTone(2000, 150);
    }
    EXPECT_EQ(old.versionCalls, 0);  // never asked again
    EXPECT_TRUE(UseBeepService());
    EXPECT_EQ(nt.log, (std::vector<std::string>{"Beep 1500 50"}));
    EXPECT_EQ(old.log, (std::vector<std::string>{"Beep 2000 150"}));
    EXPECT_EQ(processed, 0);
    EXPECT_TRUE(static_cast<bool>(SetProcessMessages(nullptr)));
}

}  // namespace
