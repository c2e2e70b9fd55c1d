// The Win32 event and critical-section calls behind ISync.
#pragma once

#include "platform/sync.h"

class Win32Sync : public ISync {
  public:
    std::uintptr_t CreateEventA(bool manualReset, bool initialState, const char* name) override;
    bool SetEvent(std::uintptr_t event) override;
    bool ResetEvent(std::uintptr_t event) override;
    std::uint32_t WaitForSingleObject(std::uintptr_t handle, std::uint32_t milliseconds) override;
    bool CloseHandle(std::uintptr_t handle) override;
    std::uint32_t GetLastError() override;
    void InitializeCriticalSection(CriticalSectionRecord* section) override;
    void EnterCriticalSection(CriticalSectionRecord* section) override;
    void LeaveCriticalSection(CriticalSectionRecord* section) override;
    void DeleteCriticalSection(CriticalSectionRecord* section) override;
};
