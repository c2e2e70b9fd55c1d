// A recording IFiles over a real one (SystemFiles() on a temporary folder),
// with scripted failures: tests see which calls were made with which
// arguments, and make a chosen call fail with a chosen Windows code.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"

class FakeFiles : public IFiles {
  public:
    explicit FakeFiles(IFiles& real) : real_(real) {}

    // Scripted failures; call numbers count from 1 per kind, 0 fails none.
    std::uint32_t createError = 0;  // every CreateFileA fails with it
    int failReadCall = 0;
    std::uint32_t readError = 0;
    int failWriteCall = 0;
    std::uint32_t writeError = 0;    // 0: the write stops after half its bytes
    std::uint32_t closeError = 0;    // CloseHandle closes, then reports it
    std::uint32_t moveError = 0;     // MoveFileExA fails with it: the failMoveCall-th
    int failMoveCall = 0;            // only, or every one when 0
    std::uint32_t replaceError = 0;  // 1176 and 1177 take the old file away first

    // "CreateFileA <name> <access> <share> <disposition>", "ReadFile <n>",
    // "WriteFile <bytes>", "CloseHandle", "SetFilePointerEx <distance> <method>",
    // "GetFileSizeEx", "GetFileAttributesExA <name>", "MoveFileExA <from> <to>
    // <flags>", "ReplaceFileA <replaced> <replacement> <flags>", "DeleteFileA
    // <name>"; numbers in hexadecimal.
    std::vector<std::string> calls;
    int openHandles = 0;
    std::uint64_t bytesRead = 0;  // by every ReadFile together

    std::uintptr_t CreateFileA(const std::string& fileName, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition,
                               std::uint32_t flagsAndAttributes) override {
        Note("CreateFileA " + fileName + " " + Hex(desiredAccess) + " " + Hex(shareMode) + " " +
             Hex(creationDisposition));
        if (createError != 0) {
            Failed(createError);
            return files::kInvalidHandle;
        }
        const std::uintptr_t h = real_.CreateFileA(fileName, desiredAccess, shareMode,
                                                   creationDisposition, flagsAndAttributes);
        if (h != files::kInvalidHandle) ++openHandles;
        return h;
    }
    bool ReadFile(std::uintptr_t file, void* buffer, std::uint32_t toRead,
                  std::uint32_t* done) override {
        Note("ReadFile " + Hex(toRead));
        if (++reads_ == failReadCall) {
            if (done != nullptr) *done = 0;
            return Failed(readError);
        }
        std::uint32_t got = 0;
        const bool ok = real_.ReadFile(file, buffer, toRead, &got);
        bytesRead += got;
        if (done != nullptr) *done = got;
        return ok;
    }
    bool WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* done) override {
        Note("WriteFile " + std::string(static_cast<const char*>(buffer), toWrite));
        if (++writes_ == failWriteCall) {
            if (writeError != 0) {
                if (done != nullptr) *done = 0;
                return Failed(writeError);
            }
            return real_.WriteFile(file, buffer, toWrite / 2, done);
        }
        return real_.WriteFile(file, buffer, toWrite, done);
    }
    bool CloseHandle(std::uintptr_t file) override {
        Note("CloseHandle");
        const bool ok = real_.CloseHandle(file);
        if (ok) --openHandles;
        if (closeError != 0) return Failed(closeError);
        return ok;
    }
    bool SetFilePointerEx(std::uintptr_t file, std::int64_t distanceToMove,
                          std::int64_t* newFilePointer, std::uint32_t moveMethod) override {
        Note("SetFilePointerEx " + Hex64(distanceToMove) + " " + Hex(moveMethod));
        return real_.SetFilePointerEx(file, distanceToMove, newFilePointer, moveMethod);
    }
    bool GetFileSizeEx(std::uintptr_t file, std::int64_t* fileSize) override {
        Note("GetFileSizeEx");
        return real_.GetFileSizeEx(file, fileSize);
    }
    bool GetFileAttributesExA(const std::string& fileName,
                              files::FileAttributeData* data) override {
        Note("GetFileAttributesExA " + fileName);
        return real_.GetFileAttributesExA(fileName, data);
    }
    bool MoveFileExA(const std::string& existing, const std::string& newFileName,
                     std::uint32_t flags) override {
        Note("MoveFileExA " + existing + " " + newFileName + " " + Hex(flags));
        ++moves_;
        if (moveError != 0 && (failMoveCall == 0 || moves_ == failMoveCall))
            return Failed(moveError);
        return real_.MoveFileExA(existing, newFileName, flags);
    }
    bool ReplaceFileA(const std::string& replaced, const std::string& replacement,
                      std::uint32_t flags) override {
        Note("ReplaceFileA " + replaced + " " + replacement + " " + Hex(flags));
        if (replaceError == files::kErrorUnableToMoveReplacement ||
            replaceError == files::kErrorUnableToMoveReplacement2)
            real_.DeleteFileA(replaced);
        if (replaceError != 0) return Failed(replaceError);
        return real_.ReplaceFileA(replaced, replacement, flags);
    }
    bool DeleteFileA(const std::string& fileName) override {
        Note("DeleteFileA " + fileName);
        return real_.DeleteFileA(fileName);
    }
    std::uint32_t GetLastError() override {
        return scripted_ != 0 ? scripted_ : real_.GetLastError();
    }

  private:
    void Note(std::string call) {
        scripted_ = 0;
        calls.push_back(std::move(call));
    }
    static std::string Hex(std::uint32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
        return text;
    }
    static std::string Hex64(std::int64_t value) {
        char text[24];
        std::snprintf(text, sizeof text, "%s%llx", value < 0 ? "-" : "",
                      static_cast<unsigned long long>(value < 0 ? -value : value));
        return text;
    }
    bool Failed(std::uint32_t code) {
        scripted_ = code;
        return false;
    }

    IFiles& real_;
    int reads_ = 0;
    int writes_ = 0;
    int moves_ = 0;
    std::uint32_t scripted_ = 0;
};
