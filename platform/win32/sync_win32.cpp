// Events and critical sections straight through to kernel32. The
// CRITICAL_SECTION is built in the caller's opaque record, which is sized and
// aligned for it (checked below).
#include "platform/win32/sync_win32.h"

#include <windows.h>

namespace {

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(CriticalSectionRecord::opaque),
              "CriticalSectionRecord too small for CRITICAL_SECTION");
static_assert(alignof(CRITICAL_SECTION) <= alignof(CriticalSectionRecord),
              "CriticalSectionRecord under-aligned for CRITICAL_SECTION");

HANDLE AsHandle(std::uintptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

CRITICAL_SECTION* AsSection(CriticalSectionRecord* section) {
    return reinterpret_cast<CRITICAL_SECTION*>(section->opaque);
}

}  // namespace

std::uintptr_t Win32Sync::CreateEventA(bool manualReset, bool initialState, const char* name) {
    return reinterpret_cast<std::uintptr_t>(
        ::CreateEventA(nullptr, manualReset ? TRUE : FALSE, initialState ? TRUE : FALSE, name));
}

bool Win32Sync::SetEvent(std::uintptr_t event) {
    return ::SetEvent(AsHandle(event)) != FALSE;
}

bool Win32Sync::ResetEvent(std::uintptr_t event) {
    return ::ResetEvent(AsHandle(event)) != FALSE;
}

std::uint32_t Win32Sync::WaitForSingleObject(std::uintptr_t handle, std::uint32_t milliseconds) {
    return ::WaitForSingleObject(AsHandle(handle), milliseconds);
}

bool Win32Sync::CloseHandle(std::uintptr_t handle) {
    return ::CloseHandle(AsHandle(handle)) != FALSE;
}

std::uint32_t Win32Sync::GetLastError() {
    return ::GetLastError();
}

void Win32Sync::InitializeCriticalSection(CriticalSectionRecord* section) {
    ::InitializeCriticalSection(AsSection(section));
}

void Win32Sync::EnterCriticalSection(CriticalSectionRecord* section) {
    ::EnterCriticalSection(AsSection(section));
}

void Win32Sync::LeaveCriticalSection(CriticalSectionRecord* section) {
    ::LeaveCriticalSection(AsSection(section));
}

void Win32Sync::DeleteCriticalSection(CriticalSectionRecord* section) {
    ::DeleteCriticalSection(AsSection(section));
}
