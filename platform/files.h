// Seam for the file calls of the text files (the settings file, the daily
// spot file): one method per Win32 call, same arguments and results, handles
// as opaque integers.
// The constants carry Windows' values under names of their own (windows.h
// makes GENERIC_READ and the like macros); the Win32 implementation checks
// that they agree.
//
// Implementations: platform/win32/files_win32 (the real calls) and
// platform/posix/files_posix (the host build: POSIX calls that answer with
// the Windows error codes, so that tests of file handling run natively on a
// real folder). The build links one of them; SystemFiles() gives it.
//
// A handle belongs to whoever opened it and is closed with CloseHandle.
// GetLastError tells the error of the calling thread's last failed call and
// must be read right after it. Nothing here throws.
#pragma once

#include <cstdint>
#include <string>

namespace files {

constexpr std::uintptr_t kInvalidHandle = ~std::uintptr_t(0);  // INVALID_HANDLE_VALUE

// dwDesiredAccess
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
// Appending alone (without FILE_WRITE_DATA, which GENERIC_WRITE holds): every
// write goes to the file's end as it is then, also after another handle's
// writes.
constexpr std::uint32_t kFileAppendData = 0x4u;
// dwShareMode
constexpr std::uint32_t kShareRead = 0x1u;
constexpr std::uint32_t kShareWrite = 0x2u;
constexpr std::uint32_t kShareDelete = 0x4u;
// dwCreationDisposition
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kCreateAlways = 2;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kOpenAlways = 4;
constexpr std::uint32_t kTruncateExisting = 5;
// dwFlagsAndAttributes; GetFileAttributesExA's dwFileAttributes
constexpr std::uint32_t kAttributeReadOnly = 0x1u;
constexpr std::uint32_t kAttributeDirectory = 0x10u;
constexpr std::uint32_t kAttributeArchive = 0x20u;
constexpr std::uint32_t kAttributeNormal = 0x80u;
// SetFilePointerEx dwMoveMethod
constexpr std::uint32_t kFileBegin = 0;
constexpr std::uint32_t kFileCurrent = 1;
constexpr std::uint32_t kFileEnd = 2;
// MoveFileExA flags
constexpr std::uint32_t kMoveReplaceExisting = 0x1u;
constexpr std::uint32_t kMoveWriteThrough = 0x8u;

// GetLastError codes the file code meets.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorTooManyOpenFiles = 4;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorWriteProtect = 19;
constexpr std::uint32_t kErrorWriteFault = 29;
constexpr std::uint32_t kErrorReadFault = 30;
constexpr std::uint32_t kErrorGenFailure = 31;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorNotSameDevice = 17;
constexpr std::uint32_t kErrorHandleDiskFull = 39;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorNegativeSeek = 131;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kErrorFilenameTooLong = 206;
// ReplaceFileA: the replaced file could not be removed (it is held open
// without delete sharing) and both files keep their names.
constexpr std::uint32_t kErrorUnableToRemoveReplaced = 1175;
// ReplaceFileA without a backup name: the replaced file is gone, the
// replacement still has its own name.
constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;
// ReplaceFileA: the replaced file has been renamed to a name of the system's
// choosing, the replacement still has its own name.
constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;

// GetFileAttributesExA's WIN32_FILE_ATTRIBUTE_DATA; each FILETIME as one
// count of 100 ns since 1601-01-01 UTC, the size as one number.
struct FileAttributeData {
    std::uint32_t fileAttributes = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t fileSize = 0;
};

}  // namespace files

class IFiles {
  public:
    virtual ~IFiles() = default;
    // No security attributes and no template file: the program passes none.
    // Returns files::kInvalidHandle on failure.
    virtual std::uintptr_t CreateFileA(const std::string& fileName, std::uint32_t desiredAccess,
                                       std::uint32_t shareMode, std::uint32_t creationDisposition,
                                       std::uint32_t flagsAndAttributes) = 0;
    // Synchronous reads and writes; *done tells how many bytes moved. A read
    // at the end of the file succeeds with 0.
    virtual bool ReadFile(std::uintptr_t file, void* buffer, std::uint32_t toRead,
                          std::uint32_t* done) = 0;
    virtual bool WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* done) = 0;
    virtual bool CloseHandle(std::uintptr_t file) = 0;
    // Moves the position the next ReadFile reads from (writes of a handle
    // with append access alone still go to the end); *newFilePointer, when
    // given, tells where it now stands. A place before the start fails with
    // 131; one past the end is allowed.
    virtual bool SetFilePointerEx(std::uintptr_t file, std::int64_t distanceToMove,
                                  std::int64_t* newFilePointer, std::uint32_t moveMethod) = 0;
    virtual bool GetFileSizeEx(std::uintptr_t file, std::int64_t* fileSize) = 0;
    // The standard level (GetFileExInfoStandard), the only one the program
    // asks for. Fails with 2 (or 3, no such folder) for a missing name; opens
    // nothing, so a file held open by another program is no obstacle.
    virtual bool GetFileAttributesExA(const std::string& fileName,
                                      files::FileAttributeData* data) = 0;
    virtual bool MoveFileExA(const std::string& existing, const std::string& newFileName,
                             std::uint32_t flags) = 0;
    // Puts `replacement` in the place of `replaced`, which keeps its
    // attributes and access rights; no backup file (the program keeps none).
    // Fails with 2 when `replaced` does not exist.
    virtual bool ReplaceFileA(const std::string& replaced, const std::string& replacement,
                              std::uint32_t flags) = 0;
    virtual bool DeleteFileA(const std::string& fileName) = 0;
    virtual std::uint32_t GetLastError() = 0;
};

// The running system's implementation, as the build picks it; lives for the
// whole run.
IFiles& SystemFiles();
