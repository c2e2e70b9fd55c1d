// An IFiles that serves one file from memory, for fuzzing readers without a
// disk: its bytes are set per input, reads hand out at most `chunk` bytes at
// a time (0: as many as asked), and any other name is "file not found".
// Writing is refused: only readers are fuzzed. Single thread; throws nothing.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/files.h"

namespace fuzz {

class MemoryFiles : public IFiles {
  public:
    std::string name;
    std::string bytes;
    std::uint32_t chunk = 0;
    int openHandles = 0;

    std::uintptr_t CreateFileA(const std::string& fileName, std::uint32_t desiredAccess,
                               std::uint32_t, std::uint32_t creationDisposition,
                               std::uint32_t) override {
        if (fileName != name || desiredAccess != files::kGenericRead ||
            creationDisposition != files::kOpenExisting) {
            error_ = files::kErrorFileNotFound;
            return files::kInvalidHandle;
        }
        ++openHandles;
        position_ = 0;
        return kHandle;
    }
    bool ReadFile(std::uintptr_t file, void* buffer, std::uint32_t toRead,
                  std::uint32_t* done) override {
        if (file != kHandle || openHandles == 0) return Fail(files::kErrorInvalidHandle, done);
        // A position set past the end reads nothing, as on Windows.
        std::size_t count =
            std::min<std::size_t>(toRead, bytes.size() - std::min(position_, bytes.size()));
        if (chunk != 0) count = std::min<std::size_t>(count, chunk);
        if (count != 0) std::memcpy(buffer, bytes.data() + position_, count);
        position_ += count;
        if (done != nullptr) *done = static_cast<std::uint32_t>(count);
        return true;
    }
    bool WriteFile(std::uintptr_t, const void*, std::uint32_t, std::uint32_t* done) override {
        return Fail(files::kErrorAccessDenied, done);
    }
    bool CloseHandle(std::uintptr_t file) override {
        if (file != kHandle || openHandles == 0) return Fail(files::kErrorInvalidHandle, nullptr);
        --openHandles;
        return true;
    }
    bool SetFilePointerEx(std::uintptr_t file, std::int64_t distance, std::int64_t* at,
                          std::uint32_t moveMethod) override {
        if (file != kHandle || openHandles == 0) return Fail(files::kErrorInvalidHandle, nullptr);
        const std::int64_t base = moveMethod == files::kFileEnd       ? std::int64_t(bytes.size())
                                  : moveMethod == files::kFileCurrent ? std::int64_t(position_)
                                                                      : 0;
        if (base + distance < 0) return Fail(files::kErrorNegativeSeek, nullptr);
        position_ = static_cast<std::size_t>(base + distance);
        if (at != nullptr) *at = base + distance;
        return true;
    }
    bool GetFileSizeEx(std::uintptr_t file, std::int64_t* size) override {
        if (file != kHandle || openHandles == 0) return Fail(files::kErrorInvalidHandle, nullptr);
        if (size != nullptr) *size = static_cast<std::int64_t>(bytes.size());
        return true;
    }
    bool GetFileAttributesExA(const std::string& fileName,
                              files::FileAttributeData* data) override {
        if (fileName != name) return Fail(files::kErrorFileNotFound, nullptr);
        if (data != nullptr)
            *data = files::FileAttributeData{files::kAttributeArchive, 0, 0, 0, bytes.size()};
        return true;
    }
    bool MoveFileExA(const std::string&, const std::string&, std::uint32_t) override {
        return Fail(files::kErrorAccessDenied, nullptr);
    }
    bool ReplaceFileA(const std::string&, const std::string&, std::uint32_t) override {
        return Fail(files::kErrorAccessDenied, nullptr);
    }
    bool DeleteFileA(const std::string&) override {
        return Fail(files::kErrorAccessDenied, nullptr);
    }
    std::uint32_t GetLastError() override { return error_; }

  private:
    static constexpr std::uintptr_t kHandle = 0x10;

    bool Fail(std::uint32_t error, std::uint32_t* done) {
        error_ = error;
        if (done != nullptr) *done = 0;
        return false;
    }

    std::size_t position_ = 0;
    std::uint32_t error_ = 0;
};

}  // namespace fuzz
