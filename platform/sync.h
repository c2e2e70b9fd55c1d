// Seam for the kernel's event and critical-section calls the serial driver's
// lock and event objects make. One method per Win32 call, same arguments and
// results, handles as opaque integers.
//
// The CRITICAL_SECTION record lives inside the object that uses it (the
// caller owns the storage), so the seam hands a portable record of opaque
// bytes that the Win32 backend reinterprets; it is big enough for the record
// on 32- and 64-bit Windows.
//
// Any thread may call any method; nothing here throws.
#pragma once

#include <cstdint>

// WaitForSingleObject's results and its "no time limit".
constexpr std::uint32_t kWaitObject0 = 0x00000000;
constexpr std::uint32_t kWaitAbandoned = 0x00000080;
constexpr std::uint32_t kWaitTimeout = 0x00000102;
constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;
constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

// Storage for a CRITICAL_SECTION (24 bytes on 32-bit, 40 on 64-bit Windows).
struct CriticalSectionRecord {
    alignas(8) unsigned char opaque[64];
};

class ISync {
  public:
    virtual ~ISync() = default;

    // No security attributes. Returns 0 on failure (the last error set).
    virtual std::uintptr_t CreateEventA(bool manualReset, bool initialState, const char* name) = 0;
    virtual bool SetEvent(std::uintptr_t event) = 0;
    virtual bool ResetEvent(std::uintptr_t event) = 0;
    // kWaitObject0, kWaitTimeout, kWaitAbandoned or kWaitFailed.
    virtual std::uint32_t WaitForSingleObject(std::uintptr_t handle,
                                              std::uint32_t milliseconds) = 0;
    virtual bool CloseHandle(std::uintptr_t handle) = 0;
    // The calling thread's last error.
    virtual std::uint32_t GetLastError() = 0;

    virtual void InitializeCriticalSection(CriticalSectionRecord* section) = 0;
    virtual void EnterCriticalSection(CriticalSectionRecord* section) = 0;
    virtual void LeaveCriticalSection(CriticalSectionRecord* section) = 0;
    virtual void DeleteCriticalSection(CriticalSectionRecord* section) = 0;
};
