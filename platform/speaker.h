// Seam for the tone generator's system calls: Beep, GetVersionExA (named with
// its A: windows.h makes the bare names macros), GetTickCount, and a byte
// read from and a byte write to an x86 I/O port (the "in" and "out"
// instructions, which the PC speaker and its timer answer to).
//
// Implementations: platform/win32/speaker_win32 (the real calls; the port
// instructions are privileged on Windows NT and only the non-NT path reaches
// them) and tests/fakes/fake_speaker.h. Main thread only; nothing throws.
#pragma once

#include <cstdint>

// OSVERSIONINFOA, field for field: 148 bytes.
struct OsVersionInfoA {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OsVersionInfoA) == 148, "the version record is 148 bytes");

constexpr std::uint32_t kVerPlatformWin32Nt = 2;  // VER_PLATFORM_WIN32_NT

class ISpeaker {
  public:
    virtual ~ISpeaker() = default;
    virtual bool Beep(std::uint32_t frequency, std::uint32_t duration) = 0;
    // The caller sets info->dwOSVersionInfoSize.
    virtual bool GetVersionExA(OsVersionInfoA* info) = 0;
    virtual std::uint32_t GetTickCount() = 0;
    virtual std::uint8_t ReadPortByte(std::uint16_t port) = 0;
    virtual void WritePortByte(std::uint16_t port, std::uint8_t value) = 0;
};
