// The files seam of the running build (POSIX on the host, kernel32 under
// wine) on a real folder: both must answer with the same Windows codes.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace {

class Files : public ::testing::Test {
  protected:
    IFiles& fs = SystemFiles();
    TempFolder folder;
    std::string file = folder.Path("a.txt");

    std::uintptr_t Open(const std::string& name, std::uint32_t access, std::uint32_t share,
                        std::uint32_t disposition = files::kOpenExisting) {
        return fs.CreateFileA(name, access, share, disposition, files::kAttributeNormal);
    }
    // The code of the failure, 0 when the open succeeded (and is closed again).
    std::uint32_t OpenError(const std::string& name, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition = files::kOpenExisting) {
        const std::uintptr_t h = Open(name, access, share, disposition);
        if (h == files::kInvalidHandle) return fs.GetLastError();
        fs.CloseHandle(h);
        return 0;
    }
};

TEST_F(Files, WriteReadAndTheEndOfTheFile) {
    const std::uintptr_t w = Open(file, files::kGenericWrite, 0, files::kCreateAlways);
    ASSERT_NE(w, files::kInvalidHandle);
    std::uint32_t done = 0;
    EXPECT_TRUE(fs.WriteFile(w, "hello", 5, &done));
    EXPECT_EQ(done, 5u);
    EXPECT_TRUE(fs.CloseHandle(w));

    const std::uintptr_t r = Open(file, files::kGenericRead, files::kShareRead);
    ASSERT_NE(r, files::kInvalidHandle);
    char buffer[16] = {};
    EXPECT_TRUE(fs.ReadFile(r, buffer, sizeof buffer, &done));
    EXPECT_EQ(std::string(buffer, done), "hello");
    EXPECT_TRUE(fs.ReadFile(r, buffer, sizeof buffer, &done));  // the end: success, nothing
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(fs.CloseHandle(r));
}

// Two handles opened for appending alone, each at position 0: every write
// lands at the end as it is at that moment, after the other handle's bytes.
// Positioned writes would overwrite the start of the file instead.
TEST_F(Files, AppendOnlyAccessWritesAtTheEnd) {
    TempFolder::Write(file, "abc");
    const std::uint32_t share = files::kShareRead | files::kShareWrite;
    const std::uintptr_t first = Open(file, files::kFileAppendData, share, files::kOpenAlways);
    const std::uintptr_t second = Open(file, files::kFileAppendData, share, files::kOpenAlways);
    ASSERT_NE(first, files::kInvalidHandle);
    ASSERT_NE(second, files::kInvalidHandle);
    std::uint32_t done = 0;
    EXPECT_TRUE(fs.WriteFile(first, "12", 2, &done));
    EXPECT_EQ(done, 2u);
    EXPECT_TRUE(fs.WriteFile(second, "3", 1, &done));
    EXPECT_TRUE(fs.WriteFile(first, "4", 1, &done));
    EXPECT_TRUE(fs.CloseHandle(first));
    EXPECT_TRUE(fs.CloseHandle(second));
    EXPECT_EQ(TempFolder::Read(file), "abc1234");

    // Appending is writing for the share rules.
    const std::uintptr_t reader = Open(file, files::kGenericRead, files::kShareRead);
    ASSERT_NE(reader, files::kInvalidHandle);
    EXPECT_EQ(OpenError(file, files::kFileAppendData, share, files::kOpenAlways),
              files::kErrorSharingViolation);
    EXPECT_TRUE(fs.CloseHandle(reader));
}

TEST_F(Files, OpenFailures) {
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead), files::kErrorFileNotFound);
    EXPECT_EQ(OpenError(folder.Path("none/a.txt"), files::kGenericRead, files::kShareRead),
              files::kErrorPathNotFound);
    EXPECT_EQ(OpenError(folder.Path("none/a.txt"), files::kGenericWrite, 0, files::kCreateAlways),
              files::kErrorPathNotFound);
    TempFolder::Write(file, "x");
    EXPECT_EQ(OpenError(file, files::kGenericWrite, 0, files::kCreateNew), files::kErrorFileExists);
    EXPECT_EQ(OpenError(folder.Path("."), files::kGenericRead, files::kShareRead),
              files::kErrorAccessDenied);
}

TEST_F(Files, ShareModes) {
    TempFolder::Write(file, "x");
    const std::uintptr_t reader = Open(file, files::kGenericRead, files::kShareRead);
    ASSERT_NE(reader, files::kInvalidHandle);
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead), 0u);
    EXPECT_EQ(OpenError(file, files::kGenericWrite, files::kShareRead | files::kShareWrite),
              files::kErrorSharingViolation);
    // A second open that does not share reading conflicts with the reader.
    EXPECT_EQ(OpenError(file, files::kGenericRead, 0), files::kErrorSharingViolation);
    EXPECT_TRUE(fs.CloseHandle(reader));

    const std::uintptr_t writer = Open(file, files::kGenericWrite, files::kShareRead);
    ASSERT_NE(writer, files::kInvalidHandle);
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead | files::kShareWrite), 0u);
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead),
              files::kErrorSharingViolation);
    EXPECT_FALSE(fs.DeleteFileA(file));
    EXPECT_EQ(fs.GetLastError(), files::kErrorSharingViolation);
    EXPECT_TRUE(fs.CloseHandle(writer));
    EXPECT_TRUE(fs.DeleteFileA(file));
}

TEST_F(Files, ReadOnlyFile) {
    TempFolder::Write(file, "x");
    TempFolder::MakeReadOnly(file);
    if (!TempFolder::SystemHonoursReadOnly(file))
        GTEST_SKIP() << "read-only files are writable here (wine run as root)";
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead), 0u);
    EXPECT_EQ(OpenError(file, files::kGenericWrite, 0), files::kErrorAccessDenied);
    EXPECT_EQ(OpenError(file, files::kGenericWrite, 0, files::kCreateAlways),
              files::kErrorAccessDenied);
    EXPECT_FALSE(fs.DeleteFileA(file));
    EXPECT_EQ(fs.GetLastError(), files::kErrorAccessDenied);
    const std::string other = folder.Path("b.txt");
    TempFolder::Write(other, "y");
    EXPECT_FALSE(fs.MoveFileExA(other, file, files::kMoveReplaceExisting));
    EXPECT_EQ(fs.GetLastError(), files::kErrorAccessDenied);
    EXPECT_EQ(TempFolder::Read(file), "x");
}

TEST_F(Files, MoveAndDelete) {
    const std::string target = folder.Path("b.txt");
    TempFolder::Write(file, "new");
    TempFolder::Write(target, "old");
    EXPECT_FALSE(fs.MoveFileExA(file, target, 0));
    EXPECT_EQ(fs.GetLastError(), files::kErrorAlreadyExists);
    EXPECT_TRUE(
        fs.MoveFileExA(file, target, files::kMoveReplaceExisting | files::kMoveWriteThrough));
    EXPECT_EQ(TempFolder::Read(target), "new");
    EXPECT_FALSE(TempFolder::Exists(file));
    EXPECT_FALSE(fs.MoveFileExA(file, target, files::kMoveReplaceExisting));
    EXPECT_EQ(fs.GetLastError(), files::kErrorFileNotFound);
    EXPECT_TRUE(fs.DeleteFileA(target));
    EXPECT_FALSE(fs.DeleteFileA(target));
    EXPECT_EQ(fs.GetLastError(), files::kErrorFileNotFound);
}

// One handle that reads and appends: the size, a read from a chosen place,
// a place before the start refused with 131, and a write that still lands
// at the end wherever the read position stands. Attributes, with the last
// write time in FILETIME units, without opening the file.
TEST_F(Files, SizePositionAndAttributes) {
    TempFolder::Write(file, "abc\r\n");
    const std::uintptr_t h = Open(file, files::kGenericRead | files::kFileAppendData,
                                  files::kShareRead | files::kShareWrite, files::kOpenAlways);
    ASSERT_NE(h, files::kInvalidHandle);
    std::int64_t size = 0;
    EXPECT_TRUE(fs.GetFileSizeEx(h, &size));
    EXPECT_EQ(size, 5);
    std::int64_t at = 0;
    EXPECT_TRUE(fs.SetFilePointerEx(h, -1, &at, files::kFileEnd));
    EXPECT_EQ(at, 4);
    char last = 0;
    std::uint32_t done = 0;
    EXPECT_TRUE(fs.ReadFile(h, &last, 1, &done));
    EXPECT_EQ(std::string(&last, done), "\n");
    EXPECT_FALSE(fs.SetFilePointerEx(h, -6, nullptr, files::kFileEnd));
    EXPECT_EQ(fs.GetLastError(), files::kErrorNegativeSeek);
    EXPECT_TRUE(fs.SetFilePointerEx(h, 1, &at, files::kFileBegin));
    EXPECT_EQ(at, 1);
    EXPECT_TRUE(fs.WriteFile(h, "x", 1, &done));
    EXPECT_TRUE(fs.CloseHandle(h));
    EXPECT_EQ(TempFolder::Read(file), "abc\r\nx");

    const std::string later = folder.Path("b.txt");
    TempFolder::Write(later, "y");
    // Both set: the MinGW library keeps whole seconds only.
    const auto then = std::filesystem::last_write_time(file);
    std::filesystem::last_write_time(file, then);
    std::filesystem::last_write_time(later, then + std::chrono::seconds(10));
    files::FileAttributeData a;
    files::FileAttributeData b;
    ASSERT_TRUE(fs.GetFileAttributesExA(file, &a));
    ASSERT_TRUE(fs.GetFileAttributesExA(later, &b));
    EXPECT_EQ(a.fileSize, 6u);
    EXPECT_EQ(a.fileAttributes & files::kAttributeDirectory, 0u);
    EXPECT_EQ(b.lastWriteTime - a.lastWriteTime, 10u * 10000000u);
    ASSERT_TRUE(fs.GetFileAttributesExA(folder.Path("."), &a));
    EXPECT_NE(a.fileAttributes & files::kAttributeDirectory, 0u);
    EXPECT_FALSE(fs.GetFileAttributesExA(folder.Path("c.txt"), &a));
    EXPECT_EQ(fs.GetLastError(), files::kErrorFileNotFound);
    EXPECT_FALSE(fs.GetFileAttributesExA(folder.Path("none/c.txt"), &a));
    EXPECT_EQ(fs.GetLastError(), files::kErrorPathNotFound);
}

}  // namespace
