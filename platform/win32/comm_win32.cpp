// The communications calls straight through to kernel32. The DCB's bit fields
// are copied one by one into and out of the portable flag word (their layout
// inside the DWORD is the compiler's business). OVERLAPPED records are heap
// objects handed out as opaque integers, so they stay put for as long as the
// system may write into them.
#include "platform/win32/comm_win32.h"

#include <windows.h>

#include <new>

namespace {

static_assert(sizeof(DWORD) == sizeof(std::uint32_t), "an event mask is written in place");

HANDLE AsHandle(std::uintptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED* AsOverlapped(std::uintptr_t overlapped) {
    return reinterpret_cast<OVERLAPPED*>(overlapped);
}

std::uint32_t FlagWord(const DCB& dcb) {
    return static_cast<std::uint32_t>(dcb.fBinary) | static_cast<std::uint32_t>(dcb.fParity) << 1 |
           static_cast<std::uint32_t>(dcb.fOutxCtsFlow) << 2 |
           static_cast<std::uint32_t>(dcb.fOutxDsrFlow) << 3 |
           static_cast<std::uint32_t>(dcb.fDtrControl) << 4 |
           static_cast<std::uint32_t>(dcb.fDsrSensitivity) << 6 |
           static_cast<std::uint32_t>(dcb.fTXContinueOnXoff) << 7 |
           static_cast<std::uint32_t>(dcb.fOutX) << 8 | static_cast<std::uint32_t>(dcb.fInX) << 9 |
           static_cast<std::uint32_t>(dcb.fErrorChar) << 10 |
           static_cast<std::uint32_t>(dcb.fNull) << 11 |
           static_cast<std::uint32_t>(dcb.fRtsControl) << 12 |
           static_cast<std::uint32_t>(dcb.fAbortOnError) << 14 |
           static_cast<std::uint32_t>(dcb.fDummy2) << 15;
}

void SetFlagWord(DCB* dcb, std::uint32_t flags) {
    dcb->fBinary = flags & 1;
    dcb->fParity = (flags >> 1) & 1;
    dcb->fOutxCtsFlow = (flags >> 2) & 1;
    dcb->fOutxDsrFlow = (flags >> 3) & 1;
    dcb->fDtrControl = (flags >> 4) & 3;
    dcb->fDsrSensitivity = (flags >> 6) & 1;
    dcb->fTXContinueOnXoff = (flags >> 7) & 1;
    dcb->fOutX = (flags >> 8) & 1;
    dcb->fInX = (flags >> 9) & 1;
    dcb->fErrorChar = (flags >> 10) & 1;
    dcb->fNull = (flags >> 11) & 1;
    dcb->fRtsControl = (flags >> 12) & 3;
    dcb->fAbortOnError = (flags >> 14) & 1;
    dcb->fDummy2 = flags >> 15;
}

}  // namespace

std::uintptr_t Win32Comm::CreateFileA(const char* fileName, std::uint32_t desiredAccess,
                                      std::uint32_t shareMode, std::uint32_t creationDisposition,
                                      std::uint32_t flagsAndAttributes) {
    return reinterpret_cast<std::uintptr_t>(::CreateFileA(fileName, desiredAccess, shareMode,
                                                          nullptr, creationDisposition,
                                                          flagsAndAttributes, nullptr));
}

std::uint32_t Win32Comm::GetFileType(std::uintptr_t file) {
    return ::GetFileType(AsHandle(file));
}

bool Win32Comm::CloseHandle(std::uintptr_t handle) {
    return ::CloseHandle(AsHandle(handle)) != FALSE;
}

bool Win32Comm::SetupComm(std::uintptr_t file, std::uint32_t inQueue, std::uint32_t outQueue) {
    return ::SetupComm(AsHandle(file), inQueue, outQueue) != FALSE;
}

bool Win32Comm::GetCommState(std::uintptr_t file, Dcb* dcb) {
    DCB state = {};
    state.DCBlength = sizeof state;
    if (!::GetCommState(AsHandle(file), &state)) return false;
    dcb->BaudRate = state.BaudRate;
    dcb->Flags = FlagWord(state);
    dcb->Reserved = state.wReserved;
    dcb->XonLim = state.XonLim;
    dcb->XoffLim = state.XoffLim;
    dcb->ByteSize = state.ByteSize;
    dcb->Parity = state.Parity;
    dcb->StopBits = state.StopBits;
    dcb->XonChar = state.XonChar;
    dcb->XoffChar = state.XoffChar;
    dcb->ErrorChar = state.ErrorChar;
    dcb->EofChar = state.EofChar;
    dcb->EvtChar = state.EvtChar;
    dcb->Reserved1 = state.wReserved1;
    return true;
}

bool Win32Comm::SetCommState(std::uintptr_t file, const Dcb& dcb) {
    DCB state = {};
    state.DCBlength = sizeof state;
    state.BaudRate = dcb.BaudRate;
    SetFlagWord(&state, dcb.Flags);
    state.wReserved = dcb.Reserved;
    state.XonLim = dcb.XonLim;
    state.XoffLim = dcb.XoffLim;
    state.ByteSize = dcb.ByteSize;
    state.Parity = dcb.Parity;
    state.StopBits = dcb.StopBits;
    state.XonChar = dcb.XonChar;
    state.XoffChar = dcb.XoffChar;
    state.ErrorChar = dcb.ErrorChar;
    state.EofChar = dcb.EofChar;
    state.EvtChar = dcb.EvtChar;
    state.wReserved1 = dcb.Reserved1;
    return ::SetCommState(AsHandle(file), &state) != FALSE;
}

bool Win32Comm::SetCommTimeouts(std::uintptr_t file, const CommTimeouts& timeouts) {
    COMMTIMEOUTS t = {};
    t.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    t.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    t.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    t.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    t.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    return ::SetCommTimeouts(AsHandle(file), &t) != FALSE;
}

bool Win32Comm::SetCommMask(std::uintptr_t file, std::uint32_t eventMask) {
    return ::SetCommMask(AsHandle(file), eventMask) != FALSE;
}

bool Win32Comm::WaitCommEvent(std::uintptr_t file, std::uint32_t* eventMask,
                              std::uintptr_t overlapped) {
    // The system writes the mask in place when a pending wait completes.
    return ::WaitCommEvent(AsHandle(file), reinterpret_cast<DWORD*>(eventMask),
                           AsOverlapped(overlapped)) != FALSE;
}

bool Win32Comm::ClearCommError(std::uintptr_t file, std::uint32_t* errors, ComStat* stat) {
    DWORD flags = 0;
    COMSTAT status = {};
    const BOOL ok = ::ClearCommError(AsHandle(file), &flags, &status);
    const DWORD error = ::GetLastError();
    if (errors != nullptr) *errors = flags;
    if (stat != nullptr) {
        stat->Flags = static_cast<std::uint32_t>(status.fCtsHold) |
                      static_cast<std::uint32_t>(status.fDsrHold) << 1 |
                      static_cast<std::uint32_t>(status.fRlsdHold) << 2 |
                      static_cast<std::uint32_t>(status.fXoffHold) << 3 |
                      static_cast<std::uint32_t>(status.fXoffSent) << 4 |
                      static_cast<std::uint32_t>(status.fEof) << 5 |
                      static_cast<std::uint32_t>(status.fTxim) << 6;
        stat->cbInQue = status.cbInQue;
        stat->cbOutQue = status.cbOutQue;
    }
    ::SetLastError(error);
    return ok != FALSE;
}

bool Win32Comm::PurgeComm(std::uintptr_t file, std::uint32_t flags) {
    return ::PurgeComm(AsHandle(file), flags) != FALSE;
}

bool Win32Comm::WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t bytesToWrite,
                          std::uint32_t* bytesWritten, std::uintptr_t overlapped) {
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(AsHandle(file), buffer, bytesToWrite,
                    bytesWritten != nullptr ? &written : nullptr, AsOverlapped(overlapped));
    if (bytesWritten != nullptr) {
        const DWORD error = ::GetLastError();
        *bytesWritten = written;
        ::SetLastError(error);
    }
    return ok != FALSE;
}

bool Win32Comm::GetOverlappedResult(std::uintptr_t file, std::uintptr_t overlapped,
                                    std::uint32_t* bytesTransferred, bool wait) {
    DWORD transferred = 0;
    const BOOL ok = ::GetOverlappedResult(AsHandle(file), AsOverlapped(overlapped), &transferred,
                                          wait ? TRUE : FALSE);
    if (bytesTransferred != nullptr) *bytesTransferred = transferred;
    return ok != FALSE;
}

bool Win32Comm::CancelIo(std::uintptr_t file) {
    return ::CancelIo(AsHandle(file)) != FALSE;
}

std::uint32_t Win32Comm::GetLastError() {
    return ::GetLastError();
}

std::uintptr_t Win32Comm::CreateOverlapped(std::uintptr_t event) {
    auto* record = new (std::nothrow) OVERLAPPED();
    if (record == nullptr) return 0;
    record->hEvent = AsHandle(event);
    return reinterpret_cast<std::uintptr_t>(record);
}

void Win32Comm::FreeOverlapped(std::uintptr_t overlapped) {
    delete AsOverlapped(overlapped);
}
