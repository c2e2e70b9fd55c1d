// The file calls behind IFiles, straight onto kernel32.
#pragma once

#include "platform/files.h"

class Win32Files : public IFiles {
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
