// What the users of the file seam (IFiles) share around one open file: the
// failed call's error code with a fallback when the system gives none, and a
// handle closed exactly once, by hand where the result counts or at the end
// of the scope where it does not.
//
// Main thread by use (GetLastError is the calling thread's); nothing thrown.
#pragma once

#include <cstdint>

#include "platform/files.h"

// The code of the last failed call, or `fallback` when it is 0 (a call
// that leaves no code of its own).
std::uint32_t SystemCodeOr(IFiles& files, std::uint32_t fallback);

// Owns an open handle (or kInvalidHandle, then closes nothing).
class FileHandle {
  public:
    // `files` must outlive the object.
    FileHandle(IFiles& files, std::uintptr_t handle) : files_(files), handle_(handle) {}
    // Closes a handle not closed yet; a failure then is not told.
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    std::uintptr_t Get() const { return handle_; }
    bool Valid() const { return handle_ != files::kInvalidHandle; }

    // Closes the handle now; true when CloseHandle succeeded. A second call
    // closes nothing and returns true.
    bool Close();

  private:
    IFiles& files_;
    std::uintptr_t handle_;
};
