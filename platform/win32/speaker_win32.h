// The tone generator's calls behind ISpeaker: kernel32's Beep, GetVersionExA
// and GetTickCount, and the x86 port instructions.
#pragma once

#include "platform/speaker.h"

class Win32Speaker : public ISpeaker {
  public:
    bool Beep(std::uint32_t frequency, std::uint32_t duration) override;
    bool GetVersionExA(OsVersionInfoA* info) override;
    std::uint32_t GetTickCount() override;
    std::uint8_t ReadPortByte(std::uint16_t port) override;
    void WritePortByte(std::uint16_t port, std::uint8_t value) override;
};
