// Beep, GetVersionExA and GetTickCount go straight to kernel32. The port
// accesses are the "in"/"out" instructions themselves: Windows 95, 98 and ME
// let a program run them; on the NT family they raise a privileged-
// instruction fault, which is why the tone generator takes the Beep path
// there and never comes here. Under wine the platform is NT too.
#include "platform/win32/speaker_win32.h"

#include <intrin.h>
#include <windows.h>

#include <cstring>

#if !defined(__i386__) && !defined(_M_IX86)
#error "the port instructions are written for 32-bit x86"
#endif

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfoA), "version record layout");
static_assert(kVerPlatformWin32Nt == VER_PLATFORM_WIN32_NT, "platform id");

bool Win32Speaker::Beep(std::uint32_t frequency, std::uint32_t duration) {
    return ::Beep(frequency, duration) != FALSE;
}

bool Win32Speaker::GetVersionExA(OsVersionInfoA* info) {
    OSVERSIONINFOA record;
    std::memcpy(&record, info, sizeof record);
    const BOOL ok = ::GetVersionExA(&record);
    std::memcpy(info, &record, sizeof record);
    return ok != FALSE;
}

std::uint32_t Win32Speaker::GetTickCount() {
    return ::GetTickCount();
}

// The compiler intrinsics for "in" and "out" exist in MinGW-w64 and MSVC alike.
std::uint8_t Win32Speaker::ReadPortByte(std::uint16_t port) {
    return __inbyte(port);
}

void Win32Speaker::WritePortByte(std::uint16_t port, std::uint8_t value) {
    __outbyte(port, value);
}
