// The tone generator on the real Win32 calls: under wine (an NT-family
// system) the beep service is chosen and a tone goes to Beep and returns. The
// port instructions would fault there, so the recorder never runs them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "Bleeper/bleep_int.h"
#include "Bleeper/bleeper.h"
#include "platform/seam.h"
#include "platform/win32/speaker_win32.h"

namespace {

class RecordingSpeaker : public ISpeaker {
  public:
    std::vector<std::string> log;

    bool Beep(std::uint32_t frequency, std::uint32_t duration) override {
        const bool ok = real_.Beep(frequency, duration);
        log.push_back("Beep " + std::to_string(frequency) + " " + std::to_string(duration) +
                      (ok ? " ok" : " failed"));
        return ok;
    }
    bool GetVersionExA(OsVersionInfoA* info) override {
        log.push_back("GetVersionExA " + std::to_string(info->dwOSVersionInfoSize));
        return real_.GetVersionExA(info);
    }
    std::uint32_t GetTickCount() override { return real_.GetTickCount(); }
    std::uint8_t ReadPortByte(std::uint16_t port) override {
        log.push_back("in " + std::to_string(port));
        return 0;
    }
    void WritePortByte(std::uint16_t port, std::uint8_t value) override {
        log.push_back("out " + std::to_string(port) + " " + std::to_string(value));
    }

  private:
    Win32Speaker real_;
};

TEST(ToneUnderWine, PlatformIsNtAndATonePlaysThroughBeep) {
    RecordingSpeaker speaker;
    ScopedSeam<ISpeaker> seam(&speaker);
    DetectPlatform();
    EXPECT_TRUE(UseBeepService());
    PlayTone(1500, 50);
    EXPECT_EQ(speaker.log, (std::vector<std::string>{"GetVersionExA 148", "Beep 1500 50 ok"}));
}

TEST(ToneUnderWine, VersionRecordAgreesWithTheSystem) {
    Win32Speaker speaker;
    OsVersionInfoA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(speaker.GetVersionExA(&info));
    OSVERSIONINFOA direct{};
    direct.dwOSVersionInfoSize = sizeof direct;
    ASSERT_TRUE(::GetVersionExA(&direct));
    EXPECT_EQ(info.dwPlatformId, static_cast<std::uint32_t>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, direct.dwMajorVersion);
    EXPECT_EQ(info.dwBuildNumber, direct.dwBuildNumber);
    EXPECT_TRUE(TToneGenerator::DetectPlatform(speaker));
}

TEST(ToneUnderWine, BusyWaitLastsAtLeastItsDurationOnTheTickCounter) {
    Win32Speaker speaker;
    TToneGenerator tone(speaker, false);
    const DWORD before = ::GetTickCount();
    tone.WaitMilliseconds(30);
    EXPECT_GE(::GetTickCount() - before, 30u);
}

}  // namespace
