// A speaker that reports a Windows NT system, so the tone generator takes the
// beep service, and whose beeps return at once: the benchmarks leave the
// tones' own time out of what they measure. Any thread; throws nothing.
#pragma once

#include <windows.h>

#include <cstring>

#include "platform/speaker.h"

class NullSpeaker : public ISpeaker {
  public:
    int beeps = 0;

    bool Beep(std::uint32_t, std::uint32_t) override {
        ++beeps;
        return true;
    }
    bool GetVersionExA(OsVersionInfoA* info) override {
        info->dwMajorVersion = 5;
        info->dwMinorVersion = 1;
        info->dwBuildNumber = 2600;
        info->dwPlatformId = kVerPlatformWin32Nt;
        std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
        return true;
    }
    std::uint32_t GetTickCount() override { return ::GetTickCount(); }
    std::uint8_t ReadPortByte(std::uint16_t) override { return 0; }
    void WritePortByte(std::uint16_t, std::uint8_t) override {}
};
