// One-to-one with kernel32. The seam's constants are Windows' own values; the
// static_asserts keep them honest (INVALID_HANDLE_VALUE is (HANDLE)-1, all
// ones like files::kInvalidHandle, but not a constant expression).
#include "platform/win32/files_win32.h"

#include <windows.h>

static_assert(files::kGenericRead == GENERIC_READ && files::kGenericWrite == GENERIC_WRITE &&
              files::kFileAppendData == FILE_APPEND_DATA);
static_assert(files::kShareRead == FILE_SHARE_READ && files::kShareWrite == FILE_SHARE_WRITE &&
              files::kShareDelete == FILE_SHARE_DELETE);
static_assert(files::kCreateNew == CREATE_NEW && files::kCreateAlways == CREATE_ALWAYS &&
              files::kOpenExisting == OPEN_EXISTING && files::kOpenAlways == OPEN_ALWAYS &&
              files::kTruncateExisting == TRUNCATE_EXISTING);
static_assert(files::kAttributeNormal == FILE_ATTRIBUTE_NORMAL &&
              files::kAttributeReadOnly == FILE_ATTRIBUTE_READONLY &&
              files::kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              files::kAttributeArchive == FILE_ATTRIBUTE_ARCHIVE);
static_assert(files::kFileBegin == FILE_BEGIN && files::kFileCurrent == FILE_CURRENT &&
              files::kFileEnd == FILE_END);
static_assert(files::kMoveReplaceExisting == MOVEFILE_REPLACE_EXISTING &&
              files::kMoveWriteThrough == MOVEFILE_WRITE_THROUGH);
static_assert(files::kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
              files::kErrorPathNotFound == ERROR_PATH_NOT_FOUND &&
              files::kErrorTooManyOpenFiles == ERROR_TOO_MANY_OPEN_FILES &&
              files::kErrorAccessDenied == ERROR_ACCESS_DENIED &&
              files::kErrorInvalidHandle == ERROR_INVALID_HANDLE &&
              files::kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
              files::kErrorWriteProtect == ERROR_WRITE_PROTECT &&
              files::kErrorWriteFault == ERROR_WRITE_FAULT &&
              files::kErrorReadFault == ERROR_READ_FAULT &&
              files::kErrorGenFailure == ERROR_GEN_FAILURE &&
              files::kErrorSharingViolation == ERROR_SHARING_VIOLATION &&
              files::kErrorNotSameDevice == ERROR_NOT_SAME_DEVICE &&
              files::kErrorHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              files::kErrorFileExists == ERROR_FILE_EXISTS &&
              files::kErrorInvalidParameter == ERROR_INVALID_PARAMETER &&
              files::kErrorDiskFull == ERROR_DISK_FULL &&
              files::kErrorInvalidName == ERROR_INVALID_NAME &&
              files::kErrorNegativeSeek == ERROR_NEGATIVE_SEEK &&
              files::kErrorAlreadyExists == ERROR_ALREADY_EXISTS &&
              files::kErrorFilenameTooLong == ERROR_FILENAME_EXCED_RANGE &&
              files::kErrorUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED &&
              files::kErrorUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
              files::kErrorUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);

namespace {

HANDLE ToHandle(std::uintptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

std::uint64_t Joined(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

std::uint64_t Joined(const FILETIME& time) {
    return Joined(time.dwHighDateTime, time.dwLowDateTime);
}

// wine's ReplaceFileA fails with 267 (ERROR_DIRECTORY) for a name without a
// folder, such as "vareli.ini"; ".\\vareli.ini" names the same file everywhere.
std::string WithFolder(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos) return name;
    return ".\\" + name;
}

}  // namespace

std::uintptr_t Win32Files::CreateFileA(const std::string& fileName, std::uint32_t desiredAccess,
                                       std::uint32_t shareMode, std::uint32_t creationDisposition,
                                       std::uint32_t flagsAndAttributes) {
    HANDLE h = ::CreateFileA(fileName.c_str(), desiredAccess, shareMode, nullptr,
                             creationDisposition, flagsAndAttributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) return files::kInvalidHandle;
    return reinterpret_cast<std::uintptr_t>(h);
}

bool Win32Files::ReadFile(std::uintptr_t file, void* buffer, std::uint32_t toRead,
                          std::uint32_t* done) {
    DWORD moved = 0;
    const BOOL ok = ::ReadFile(ToHandle(file), buffer, toRead, &moved, nullptr);
    if (done != nullptr) *done = moved;
    return ok != FALSE;
}

bool Win32Files::WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* done) {
    DWORD moved = 0;
    const BOOL ok = ::WriteFile(ToHandle(file), buffer, toWrite, &moved, nullptr);
    if (done != nullptr) *done = moved;
    return ok != FALSE;
}

bool Win32Files::CloseHandle(std::uintptr_t file) {
    return ::CloseHandle(ToHandle(file)) != FALSE;
}

bool Win32Files::SetFilePointerEx(std::uintptr_t file, std::int64_t distanceToMove,
                                  std::int64_t* newFilePointer, std::uint32_t moveMethod) {
    LARGE_INTEGER distance;
    distance.QuadPart = distanceToMove;
    LARGE_INTEGER at;
    at.QuadPart = 0;
    const BOOL ok = ::SetFilePointerEx(ToHandle(file), distance, &at, moveMethod);
    if (ok != FALSE && newFilePointer != nullptr) *newFilePointer = at.QuadPart;
    return ok != FALSE;
}

bool Win32Files::GetFileSizeEx(std::uintptr_t file, std::int64_t* fileSize) {
    LARGE_INTEGER size;
    size.QuadPart = 0;
    const BOOL ok = ::GetFileSizeEx(ToHandle(file), &size);
    if (ok != FALSE && fileSize != nullptr) *fileSize = size.QuadPart;
    return ok != FALSE;
}

bool Win32Files::GetFileAttributesExA(const std::string& fileName, files::FileAttributeData* data) {
    WIN32_FILE_ATTRIBUTE_DATA found = {};
    if (::GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &found) == FALSE)
        return false;
    if (data != nullptr) {
        data->fileAttributes = found.dwFileAttributes;
        data->creationTime = Joined(found.ftCreationTime);
        data->lastAccessTime = Joined(found.ftLastAccessTime);
        data->lastWriteTime = Joined(found.ftLastWriteTime);
        data->fileSize = Joined(found.nFileSizeHigh, found.nFileSizeLow);
    }
    return true;
}

bool Win32Files::MoveFileExA(const std::string& existing, const std::string& newFileName,
                             std::uint32_t flags) {
    return ::MoveFileExA(existing.c_str(), newFileName.c_str(), flags) != FALSE;
}

bool Win32Files::ReplaceFileA(const std::string& replaced, const std::string& replacement,
                              std::uint32_t flags) {
    return ::ReplaceFileA(WithFolder(replaced).c_str(), WithFolder(replacement).c_str(), nullptr,
                          flags, nullptr, nullptr) != FALSE;
}

bool Win32Files::DeleteFileA(const std::string& fileName) {
    return ::DeleteFileA(fileName.c_str()) != FALSE;
}

std::uint32_t Win32Files::GetLastError() {
    return ::GetLastError();
}

IFiles& SystemFiles() {
    static Win32Files files;
    return files;
}
