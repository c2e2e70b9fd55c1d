// Seam for the kernel's communications calls the serial port component and its
// watcher make. One method per Win32 call, same arguments and results, handles
// as opaque integers, the DCB, COMMTIMEOUTS and COMSTAT records as portable
// structs (the DCB's bit fields as one flag word, bit 0 fBinary upwards).
//
// OVERLAPPED records are owned by the backend: CreateOverlapped makes a zeroed
// record whose hEvent is the given event, and it stays where it is until
// FreeOverlapped. A record handed to a pending WaitCommEvent or WriteFile is
// written by the system until that operation has completed (or been cancelled
// and waited for), so the caller frees it only then; the record never moves or
// gets copied, which a portable struct converted per call could not promise.
// The event mask of WaitCommEvent is the caller's 32-bit field, written in
// place by the system, and the same rule holds for it.
//
// Any thread may call any method; nothing here throws.
#pragma once

#include <cstdint>

constexpr std::uintptr_t kInvalidHandleValue = ~static_cast<std::uintptr_t>(0);

// CreateFileA
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kFileFlagOverlapped = 0x40000000;
// GetFileType
constexpr std::uint32_t kFileTypeDisk = 1;
constexpr std::uint32_t kFileTypeChar = 2;
// GetLastError
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotSupported = 50;
constexpr std::uint32_t kErrorOperationAborted = 995;
constexpr std::uint32_t kErrorIoIncomplete = 996;
constexpr std::uint32_t kErrorIoPending = 997;
// PurgeComm
constexpr std::uint32_t kPurgeTxAbort = 0x0001;
constexpr std::uint32_t kPurgeRxAbort = 0x0002;
constexpr std::uint32_t kPurgeTxClear = 0x0004;
constexpr std::uint32_t kPurgeRxClear = 0x0008;
// Event mask bits (SetCommMask, WaitCommEvent)
constexpr std::uint32_t kEvRxChar = 0x0001;
constexpr std::uint32_t kEvRxFlag = 0x0002;
constexpr std::uint32_t kEvTxEmpty = 0x0004;
constexpr std::uint32_t kEvCts = 0x0008;
constexpr std::uint32_t kEvDsr = 0x0010;
constexpr std::uint32_t kEvRlsd = 0x0020;
constexpr std::uint32_t kEvBreak = 0x0040;
constexpr std::uint32_t kEvErr = 0x0080;
constexpr std::uint32_t kEvRing = 0x0100;
// The DCB's flag word
constexpr std::uint32_t kDcbBinary = 0x0001;
constexpr std::uint32_t kDcbParity = 0x0002;
constexpr std::uint32_t kDcbOutxCtsFlow = 0x0004;
constexpr std::uint32_t kDcbOutxDsrFlow = 0x0008;
constexpr std::uint32_t kDcbDtrControlMask = 0x0030;  // two bits, shift 4
constexpr std::uint32_t kDcbDtrControlHandshake = 0x0020;
constexpr std::uint32_t kDcbDsrSensitivity = 0x0040;
constexpr std::uint32_t kDcbTxContinueOnXoff = 0x0080;
constexpr std::uint32_t kDcbOutX = 0x0100;
constexpr std::uint32_t kDcbInX = 0x0200;
constexpr std::uint32_t kDcbErrorChar = 0x0400;
constexpr std::uint32_t kDcbNull = 0x0800;
constexpr std::uint32_t kDcbRtsControlMask = 0x3000;  // two bits, shift 12
constexpr std::uint32_t kDcbRtsControlHandshake = 0x2000;
constexpr std::uint32_t kDcbAbortOnError = 0x4000;

// DCB, field for field; Flags holds fBinary (bit 0) to fAbortOnError (bit 14)
// and the reserved bits above them.
struct Dcb {
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t Reserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t Reserved1 = 0;
};

struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// COMSTAT; Flags holds fCtsHold (bit 0) to fTxim (bit 6).
struct ComStat {
    std::uint32_t Flags = 0;
    std::uint32_t cbInQue = 0;
    std::uint32_t cbOutQue = 0;
};

class IComm {
  public:
    virtual ~IComm() = default;

    // No security attributes, no template. kInvalidHandleValue on failure.
    virtual std::uintptr_t CreateFileA(const char* fileName, std::uint32_t desiredAccess,
                                       std::uint32_t shareMode, std::uint32_t creationDisposition,
                                       std::uint32_t flagsAndAttributes) = 0;
    virtual std::uint32_t GetFileType(std::uintptr_t file) = 0;
    virtual bool CloseHandle(std::uintptr_t handle) = 0;

    virtual bool SetupComm(std::uintptr_t file, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    virtual bool GetCommState(std::uintptr_t file, Dcb* dcb) = 0;
    virtual bool SetCommState(std::uintptr_t file, const Dcb& dcb) = 0;
    virtual bool SetCommTimeouts(std::uintptr_t file, const CommTimeouts& timeouts) = 0;
    virtual bool SetCommMask(std::uintptr_t file, std::uint32_t eventMask) = 0;
    // eventMask and overlapped must stay valid while the wait is pending.
    virtual bool WaitCommEvent(std::uintptr_t file, std::uint32_t* eventMask,
                               std::uintptr_t overlapped) = 0;
    virtual bool ClearCommError(std::uintptr_t file, std::uint32_t* errors, ComStat* stat) = 0;
    virtual bool PurgeComm(std::uintptr_t file, std::uint32_t flags) = 0;

    // Overlapped write; bytesWritten may be null (it is, for overlapped use).
    virtual bool WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t bytesToWrite,
                           std::uint32_t* bytesWritten, std::uintptr_t overlapped) = 0;
    virtual bool GetOverlappedResult(std::uintptr_t file, std::uintptr_t overlapped,
                                     std::uint32_t* bytesTransferred, bool wait) = 0;
    // Cancels the calling thread's pending I/O on the file.
    virtual bool CancelIo(std::uintptr_t file) = 0;

    // The calling thread's last error.
    virtual std::uint32_t GetLastError() = 0;

    // The OVERLAPPED record (see above). CreateOverlapped returns 0 when out
    // of memory.
    virtual std::uintptr_t CreateOverlapped(std::uintptr_t event) = 0;
    virtual void FreeOverlapped(std::uintptr_t overlapped) = 0;
};
