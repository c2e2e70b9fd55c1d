// The file calls of IFiles on POSIX, for the host build: files on a real
// folder, errors given as the Windows codes the Win32 calls would give.
//
// Two Windows rules that POSIX lacks are kept by hand, so that tests see what
// the program meets on Windows:
//  - share modes, among the handles of this process (a handle that does not
//    share writing makes a second open for writing fail with 32, sharing
//    violation; deleting a file open without FILE_SHARE_DELETE fails with
//    32, replacing it with 5, or with 32 through ReplaceFileA, as wine does);
//  - a handle reads or writes only as it was opened for (5, access denied;
//    POSIX would say EBADF, which Windows keeps for a handle that is none, 6);
//  - the read-only attribute, taken from the owner's write bit: a file
//    without it cannot be opened for writing, emptied, replaced or deleted
//    (5, access denied), even by root, who ignores the mode bits.
// A folder cannot be opened as a file (5), as on Windows. File attributes
// are made up as Windows shows a plain file: archive (or directory), and
// read-only from the owner's write bit; times from stat, in FILETIME units. Append access
// alone (FILE_APPEND_DATA without GENERIC_WRITE) opens with O_APPEND: Windows
// then writes every block at the file's end, whatever other handles wrote.
//
// The share table is process-wide and locked; the last error is per thread.
#pragma once

#include "platform/files.h"

class PosixFiles : public IFiles {
  public:
    std::uintptr_t CreateFileA(const std::string& fileName, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition,
                               std::uint32_t flagsAndAttributes) override;
    bool ReadFile(std::uintptr_t file, void* buffer, std::uint32_t toRead,
                  std::uint32_t* done) override;
    bool WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* done) override;
    bool CloseHandle(std::uintptr_t file) override;
    bool SetFilePointerEx(std::uintptr_t file, std::int64_t distanceToMove,
                          std::int64_t* newFilePointer, std::uint32_t moveMethod) override;
    bool GetFileSizeEx(std::uintptr_t file, std::int64_t* fileSize) override;
    bool GetFileAttributesExA(const std::string& fileName, files::FileAttributeData* data) override;
    bool MoveFileExA(const std::string& existing, const std::string& newFileName,
                     std::uint32_t flags) override;
    bool ReplaceFileA(const std::string& replaced, const std::string& replacement,
                      std::uint32_t flags) override;
    bool DeleteFileA(const std::string& fileName) override;
    std::uint32_t GetLastError() override;
};

// The Windows code for an errno value (ENOENT 2, EACCES 5, ENOSPC 112, ...);
// `ioFault` is the code for EIO (30 on reading, 29 on writing).
std::uint32_t WindowsErrorOf(int error, std::uint32_t ioFault = files::kErrorGenFailure);
