// An open file's handle and the error code; see the header.
#include "rtl/file_handle.h"

std::uint32_t SystemCodeOr(IFiles& files, std::uint32_t fallback) {
    const std::uint32_t code = files.GetLastError();
    return code != 0 ? code : fallback;
}

FileHandle::~FileHandle() {
    Close();
}

bool FileHandle::Close() {
    if (handle_ == files::kInvalidHandle) return true;
    const std::uintptr_t handle = handle_;
    handle_ = files::kInvalidHandle;
    return files_.CloseHandle(handle);
}
