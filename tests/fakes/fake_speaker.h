// A recording ISpeaker: the port 0x61 byte kept as the hardware keeps it, a
// tick counter that advances by a set step on every reading, and a log of the
// beeps and port accesses in their order ("Beep 1500 50", "in 61",
// "out 61 33", "out 43 b6", "out 42 1b"; port and byte in hexadecimal).
// A wait that never ends would hang the test, so the counter refuses to be
// read more than a million times.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/speaker.h"

class FakeSpeaker : public ISpeaker {
  public:
    std::uint32_t platformId = kVerPlatformWin32Nt;
    bool versionResult = true;
    std::uint32_t versionSizeSeen = 0;
    int versionCalls = 0;

    std::uint8_t port61 = 0x30;  // speaker silent; the other bits as a PC leaves them
    std::uint32_t ticks = 0;     // the next reading
    std::uint32_t tickStep = 1;
    int tickReads = 0;

    std::vector<std::string> log;

    bool Beep(std::uint32_t frequency, std::uint32_t duration) override {
        log.push_back("Beep " + std::to_string(frequency) + " " + std::to_string(duration));
        return true;
    }
    bool GetVersionExA(OsVersionInfoA* info) override {
        ++versionCalls;
        versionSizeSeen = info->dwOSVersionInfoSize;
        info->dwMajorVersion = 4;
        info->dwPlatformId = platformId;
        return versionResult;
    }
    std::uint32_t GetTickCount() override {
        if (++tickReads > 1000000) throw std::runtime_error("the tick counter is read for ever");
        const std::uint32_t now = ticks;
        ticks += tickStep;
        return now;
    }
    std::uint8_t ReadPortByte(std::uint16_t port) override {
        log.push_back("in " + Hex(port));
        return port == 0x61 ? port61 : 0xFF;
    }
    void WritePortByte(std::uint16_t port, std::uint8_t value) override {
        log.push_back("out " + Hex(port) + " " + Hex(value));
        if (port == 0x61) port61 = value;
    }

    bool Sounding() const { return (port61 & 0x03) == 0x03; }

  private:
    static std::string Hex(unsigned value) {
        char text[8];
        std::snprintf(text, sizeof text, "%x", value);
        return text;
    }
};
