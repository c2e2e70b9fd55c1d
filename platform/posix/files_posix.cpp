// POSIX file calls answering like kernel32. Every failure stores its Windows
// code in the thread's last error at the point where it happens.
#include "platform/posix/files_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

namespace {

thread_local std::uint32_t lastError = 0;

bool Fail(std::uint32_t code) {
    lastError = code;
    return false;
}

struct OpenFile {
    int fd;
    dev_t device;
    ino_t inode;
    std::uint32_t access;
    std::uint32_t share;
};

// The handles of this process, for the share-mode rules.
struct ShareTable {
    std::mutex mutex;
    std::vector<OpenFile> files;
};

ShareTable& Table() {
    static ShareTable table;
    return table;
}

// Appending is writing, for the share rules and the read-only attribute.
bool Writes(std::uint32_t access) {
    return (access & (files::kGenericWrite | files::kFileAppendData)) != 0;
}

bool SameFile(const OpenFile& open, const struct stat& st) {
    return open.device == st.st_dev && open.inode == st.st_ino;
}

// Whether an open with this access and share mode fits beside the open ones.
bool SharingAllows(const std::vector<OpenFile>& open, const struct stat& st, std::uint32_t access,
                   std::uint32_t share) {
    const bool reads = (access & files::kGenericRead) != 0;
    const bool writes = Writes(access);
    for (const OpenFile& other : open) {
        if (!SameFile(other, st)) continue;
        if (reads && (other.share & files::kShareRead) == 0) return false;
        if (writes && (other.share & files::kShareWrite) == 0) return false;
        if ((other.access & files::kGenericRead) != 0 && (share & files::kShareRead) == 0)
            return false;
        if (Writes(other.access) && (share & files::kShareWrite) == 0) return false;
    }
    return true;
}

// Whether a handle that does not share deletion holds the file open.
bool HeldAgainstDeletion(const std::vector<OpenFile>& open, const struct stat& st) {
    for (const OpenFile& other : open) {
        if (SameFile(other, st) && (other.share & files::kShareDelete) == 0) return true;
    }
    return false;
}

// The access a handle of this process was opened with; false when the
// handle is not one.
bool AccessOf(std::uintptr_t file, std::uint32_t* access) {
    ShareTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (const OpenFile& open : table.files) {
        if (static_cast<std::uintptr_t>(open.fd) != file) continue;
        *access = open.access;
        return true;
    }
    return false;
}

// Windows refuses a read or a write the handle was not opened for with
// access denied (5); POSIX says EBADF, which Windows keeps for handles that
// are none (6).
bool Permits(std::uintptr_t file, std::uint32_t wanted) {
    std::uint32_t access = 0;
    if (!AccessOf(file, &access)) return Fail(files::kErrorInvalidHandle);
    if ((access & wanted) == 0) return Fail(files::kErrorAccessDenied);
    return true;
}

bool ReadOnly(const struct stat& st) {
    return (st.st_mode & S_IWUSR) == 0;
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Windows tells a missing folder (3) from a missing file (2); ENOENT does not.
std::uint32_t MissingCode(const std::string& path) {
    struct stat st;
    if (stat(ParentOf(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return files::kErrorPathNotFound;
    return files::kErrorFileNotFound;
}

// A POSIX time as a FILETIME: 100 ns units since 1601-01-01 UTC.
std::uint64_t FileTimeOf(const struct timespec& time) {
    constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600u;
    return (static_cast<std::uint64_t>(time.tv_sec) + kSecondsFrom1601To1970) * 10000000u +
           static_cast<std::uint64_t>(time.tv_nsec) / 100u;
}

}  // namespace

std::uint32_t WindowsErrorOf(int error, std::uint32_t ioFault) {
    switch (error) {
        case 0:
            return 0;
        case ENOENT:
            return files::kErrorFileNotFound;
        case ENOTDIR:
            return files::kErrorPathNotFound;
        case EMFILE:
        case ENFILE:
            return files::kErrorTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:
            return files::kErrorAccessDenied;
        case EBADF:
            return files::kErrorInvalidHandle;
        case ENOMEM:
            return files::kErrorNotEnoughMemory;
        case EROFS:
            return files::kErrorWriteProtect;
        case EIO:
            return ioFault;
        case EBUSY:
        case ETXTBSY:
            return files::kErrorSharingViolation;
        case EXDEV:
            return files::kErrorNotSameDevice;
        case EEXIST:
            return files::kErrorFileExists;
        case EINVAL:
            return files::kErrorInvalidParameter;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return files::kErrorDiskFull;
        case ENAMETOOLONG:
            return files::kErrorFilenameTooLong;
        default:
            return files::kErrorGenFailure;
    }
}

std::uintptr_t PosixFiles::CreateFileA(const std::string& fileName, std::uint32_t desiredAccess,
                                       std::uint32_t shareMode, std::uint32_t creationDisposition,
                                       std::uint32_t /*flagsAndAttributes*/) {
    int flags = O_CLOEXEC;
    switch (creationDisposition) {
        case files::kCreateNew:
            flags |= O_CREAT | O_EXCL;
            break;
        case files::kCreateAlways:
            flags |= O_CREAT | O_TRUNC;
            break;
        case files::kOpenExisting:
            break;
        case files::kOpenAlways:
            flags |= O_CREAT;
            break;
        case files::kTruncateExisting:
            flags |= O_TRUNC;
            break;
        default:
            Fail(files::kErrorInvalidParameter);
            return files::kInvalidHandle;
    }
    const bool reads = (desiredAccess & files::kGenericRead) != 0;
    const bool writes = Writes(desiredAccess);
    flags |= writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
    // Append access without GENERIC_WRITE's positioned writing: Windows then
    // writes every block at the end of the file as it is at that moment.
    if ((desiredAccess & files::kGenericWrite) == 0 && writes) flags |= O_APPEND;

    ShareTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    struct stat st;
    if (stat(fileName.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            Fail(files::kErrorAccessDenied);
            return files::kInvalidHandle;
        }
        if (creationDisposition == files::kCreateNew) {
            Fail(files::kErrorFileExists);
            return files::kInvalidHandle;
        }
        if (ReadOnly(st) && (writes || (flags & O_TRUNC) != 0)) {
            Fail(files::kErrorAccessDenied);
            return files::kInvalidHandle;
        }
        // Checked before the open, which may already empty the file.
        if (!SharingAllows(table.files, st, desiredAccess, shareMode)) {
            Fail(files::kErrorSharingViolation);
            return files::kInvalidHandle;
        }
    }
    const int fd = open(fileName.c_str(), flags, 0666);
    if (fd < 0) {
        const int error = errno;
        Fail(error == ENOENT ? MissingCode(fileName) : WindowsErrorOf(error));
        return files::kInvalidHandle;
    }
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        close(fd);
        Fail(WindowsErrorOf(error));
        return files::kInvalidHandle;
    }
    table.files.push_back(OpenFile{fd, st.st_dev, st.st_ino, desiredAccess, shareMode});
    return static_cast<std::uintptr_t>(fd);
}

bool PosixFiles::ReadFile(std::uintptr_t file, void* buffer, std::uint32_t toRead,
                          std::uint32_t* done) {
    if (done != nullptr) *done = 0;
    if (!Permits(file, files::kGenericRead)) return false;
    ssize_t got;
    do {
        got = read(static_cast<int>(file), buffer, toRead);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return Fail(WindowsErrorOf(errno, files::kErrorReadFault));
    if (done != nullptr) *done = static_cast<std::uint32_t>(got);
    return true;
}

bool PosixFiles::WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* done) {
    if (done != nullptr) *done = 0;
    if (!Permits(file, files::kGenericWrite | files::kFileAppendData)) return false;
    const char* bytes = static_cast<const char*>(buffer);
    std::uint32_t written = 0;
    while (written < toWrite) {
        const ssize_t put = write(static_cast<int>(file), bytes + written, toWrite - written);
        if (put < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            // Part of the bytes went out: report the short count, as a write
            // that stopped at a full disk does; the caller sees it fall short.
            if (written > 0) break;
            return Fail(WindowsErrorOf(error, files::kErrorWriteFault));
        }
        written += static_cast<std::uint32_t>(put);
    }
    if (done != nullptr) *done = written;
    return true;
}

bool PosixFiles::CloseHandle(std::uintptr_t file) {
    ShareTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (auto it = table.files.begin(); it != table.files.end(); ++it) {
        if (static_cast<std::uintptr_t>(it->fd) != file) continue;
        const int fd = it->fd;
        table.files.erase(it);
        if (close(fd) != 0) return Fail(WindowsErrorOf(errno));
        return true;
    }
    return Fail(files::kErrorInvalidHandle);
}

bool PosixFiles::SetFilePointerEx(std::uintptr_t file, std::int64_t distanceToMove,
                                  std::int64_t* newFilePointer, std::uint32_t moveMethod) {
    const int fd = static_cast<int>(file);
    off_t base = 0;
    if (moveMethod == files::kFileCurrent) {
        base = lseek(fd, 0, SEEK_CUR);
    } else if (moveMethod == files::kFileEnd) {
        struct stat st;
        base = fstat(fd, &st) == 0 ? st.st_size : -1;
    } else if (moveMethod != files::kFileBegin) {
        return Fail(files::kErrorInvalidParameter);
    }
    if (base < 0) return Fail(WindowsErrorOf(errno));
    // lseek would say EINVAL; Windows tells a place before the start apart.
    if (distanceToMove < -static_cast<std::int64_t>(base)) return Fail(files::kErrorNegativeSeek);
    const off_t at = lseek(fd, base + distanceToMove, SEEK_SET);
    if (at < 0) return Fail(WindowsErrorOf(errno));
    if (newFilePointer != nullptr) *newFilePointer = at;
    return true;
}

bool PosixFiles::GetFileSizeEx(std::uintptr_t file, std::int64_t* fileSize) {
    struct stat st;
    if (fstat(static_cast<int>(file), &st) != 0) return Fail(WindowsErrorOf(errno));
    if (fileSize != nullptr) *fileSize = st.st_size;
    return true;
}

bool PosixFiles::GetFileAttributesExA(const std::string& fileName, files::FileAttributeData* data) {
    struct stat st;
    if (stat(fileName.c_str(), &st) != 0) {
        const int error = errno;
        return Fail(error == ENOENT ? MissingCode(fileName) : WindowsErrorOf(error));
    }
    if (data == nullptr) return true;
    data->fileAttributes =
        S_ISDIR(st.st_mode) ? files::kAttributeDirectory : files::kAttributeArchive;
    if (ReadOnly(st)) data->fileAttributes |= files::kAttributeReadOnly;
    data->creationTime = FileTimeOf(st.st_ctim);
    data->lastAccessTime = FileTimeOf(st.st_atim);
    data->lastWriteTime = FileTimeOf(st.st_mtim);
    data->fileSize = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool PosixFiles::MoveFileExA(const std::string& existing, const std::string& newFileName,
                             std::uint32_t flags) {
    ShareTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    struct stat from;
    if (lstat(existing.c_str(), &from) != 0) return Fail(MissingCode(existing));
    if (HeldAgainstDeletion(table.files, from)) return Fail(files::kErrorSharingViolation);
    struct stat to;
    if (lstat(newFileName.c_str(), &to) == 0) {
        if ((flags & files::kMoveReplaceExisting) == 0) return Fail(files::kErrorAlreadyExists);
        if (S_ISDIR(to.st_mode) || ReadOnly(to)) return Fail(files::kErrorAccessDenied);
        // Windows (and wine) refuse to replace an open file with access
        // denied, not with the sharing violation that deleting it gives.
        if (HeldAgainstDeletion(table.files, to)) return Fail(files::kErrorAccessDenied);
    }
    if (rename(existing.c_str(), newFileName.c_str()) != 0) {
        const int error = errno;
        return Fail(error == ENOENT ? MissingCode(newFileName) : WindowsErrorOf(error));
    }
    if ((flags & files::kMoveWriteThrough) != 0) {
        // The rename is durable once the folder holding it is.
        const int dir = open(ParentOf(newFileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    return true;
}

bool PosixFiles::ReplaceFileA(const std::string& replaced, const std::string& replacement,
                              std::uint32_t /*flags*/) {
    ShareTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    struct stat old;
    if (lstat(replaced.c_str(), &old) != 0) return Fail(MissingCode(replaced));
    struct stat from;
    if (lstat(replacement.c_str(), &from) != 0) return Fail(MissingCode(replacement));
    if (S_ISDIR(old.st_mode) || ReadOnly(old)) return Fail(files::kErrorAccessDenied);
    // wine answers a held file with a sharing violation; Windows may say 1175.
    if (HeldAgainstDeletion(table.files, old)) return Fail(files::kErrorSharingViolation);
    if (HeldAgainstDeletion(table.files, from)) return Fail(files::kErrorSharingViolation);
    // The new file takes the old one's access rights, as on Windows.
    if (chmod(replacement.c_str(), old.st_mode & 07777) != 0) return Fail(WindowsErrorOf(errno));
    if (rename(replacement.c_str(), replaced.c_str()) != 0) return Fail(WindowsErrorOf(errno));
    return true;
}

bool PosixFiles::DeleteFileA(const std::string& fileName) {
    ShareTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    struct stat st;
    if (lstat(fileName.c_str(), &st) != 0) return Fail(MissingCode(fileName));
    if (S_ISDIR(st.st_mode) || ReadOnly(st)) return Fail(files::kErrorAccessDenied);
    if (HeldAgainstDeletion(table.files, st)) return Fail(files::kErrorSharingViolation);
    if (unlink(fileName.c_str()) != 0) return Fail(WindowsErrorOf(errno));
    return true;
}

std::uint32_t PosixFiles::GetLastError() {
    return lastError;
}

IFiles& SystemFiles() {
    static PosixFiles files;
    return files;
}
