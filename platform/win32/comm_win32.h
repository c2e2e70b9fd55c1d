// The Win32 communications calls behind IComm.
#pragma once

#include "platform/comm.h"

class Win32Comm : public IComm {
  public:
    std::uintptr_t CreateFileA(const char* fileName, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition,
                               std::uint32_t flagsAndAttributes) override;
    std::uint32_t GetFileType(std::uintptr_t file) override;
    bool CloseHandle(std::uintptr_t handle) override;
    bool SetupComm(std::uintptr_t file, std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool GetCommState(std::uintptr_t file, Dcb* dcb) override;
    bool SetCommState(std::uintptr_t file, const Dcb& dcb) override;
    bool SetCommTimeouts(std::uintptr_t file, const CommTimeouts& timeouts) override;
    bool SetCommMask(std::uintptr_t file, std::uint32_t eventMask) override;
    bool WaitCommEvent(std::uintptr_t file, std::uint32_t* eventMask,
                       std::uintptr_t overlapped) override;
    bool ClearCommError(std::uintptr_t file, std::uint32_t* errors, ComStat* stat) override;
    bool PurgeComm(std::uintptr_t file, std::uint32_t flags) override;
    bool WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t bytesToWrite,
                   std::uint32_t* bytesWritten, std::uintptr_t overlapped) override;
    bool GetOverlappedResult(std::uintptr_t file, std::uintptr_t overlapped,
                             std::uint32_t* bytesTransferred, bool wait) override;
    bool CancelIo(std::uintptr_t file) override;
    std::uint32_t GetLastError() override;
    std::uintptr_t CreateOverlapped(std::uintptr_t event) override;
    void FreeOverlapped(std::uintptr_t overlapped) override;
};
