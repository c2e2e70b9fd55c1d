// The files seam's contract: one body run on the build's own system (POSIX
// stand-in on the host, kernel32 under wine) and on the recording fake over
// it, as the settings file, the day files and the restore use them. Whatever
// the real part refuses, with which code, the others refuse alike.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/fake_files.h"
#include "platform/files.h"
#include "temp_folder.h"

namespace {

class FilesContract : public ::testing::TestWithParam<bool> {
  protected:
    FilesContract() : recorder(SystemFiles()), fs(GetParam() ? recorder : SystemFiles()) {}

    FakeFiles recorder;
    IFiles& fs;
    TempFolder folder;
    std::string file = folder.Path("vareli.ini");
    std::string other = folder.Path("vareli.ini.new");

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
    // The code of a failed call, 0 when it succeeded.
    std::uint32_t Code(bool ok) { return ok ? 0 : fs.GetLastError(); }
    std::string ReadAll(std::uintptr_t h) {
        std::string text;
        char buffer[64];
        std::uint32_t done = 0;
        while (fs.ReadFile(h, buffer, sizeof buffer, &done) && done > 0) text.append(buffer, done);
        return text;
    }
};

// 2 a missing file, 3 a missing folder, 80 a new file that exists, 183 a
// move without replacing onto a file that exists; each with nothing changed.
TEST_P(FilesContract, TheCodesOfWhatIsMissingOrAlreadyThere) {
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead), files::kErrorFileNotFound);
    EXPECT_EQ(OpenError(file, files::kGenericWrite, files::kShareRead, files::kTruncateExisting),
              files::kErrorFileNotFound);
    const std::string lost = folder.Path("none/vareli.ini");
    EXPECT_EQ(OpenError(lost, files::kGenericRead, files::kShareRead), files::kErrorPathNotFound);
    EXPECT_EQ(OpenError(lost, files::kFileAppendData, files::kShareRead, files::kOpenAlways),
              files::kErrorPathNotFound);
    EXPECT_EQ(Code(fs.GetFileAttributesExA(lost, nullptr)), files::kErrorPathNotFound);
    EXPECT_EQ(Code(fs.DeleteFileA(file)), files::kErrorFileNotFound);
    EXPECT_EQ(Code(fs.MoveFileExA(file, other, 0)), files::kErrorFileNotFound);

    TempFolder::Write(file, "kept\r\n");
    TempFolder::Write(other, "new\r\n");
    EXPECT_EQ(OpenError(file, files::kGenericWrite, files::kShareRead, files::kCreateNew),
              files::kErrorFileExists);
    EXPECT_EQ(Code(fs.MoveFileExA(other, file, files::kMoveWriteThrough)),
              files::kErrorAlreadyExists);
    EXPECT_EQ(TempFolder::Read(file), "kept\r\n");
    EXPECT_EQ(TempFolder::Read(other), "new\r\n");
}

// What a handle shares decides what other opens may do: 32 for a conflict
// either way round, none while every side shares what the other does.
TEST_P(FilesContract, OpensWithAndWithoutSharing) {
    TempFolder::Write(file, "x\r\n");
    const std::uintptr_t alone = Open(file, files::kGenericRead, 0);
    ASSERT_NE(alone, files::kInvalidHandle);
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead | files::kShareWrite),
              files::kErrorSharingViolation);
    // The attributes are read without an open: a held file is no obstacle.
    files::FileAttributeData data;
    EXPECT_TRUE(fs.GetFileAttributesExA(file, &data));
    EXPECT_EQ(data.fileSize, 3u);
    EXPECT_TRUE(fs.CloseHandle(alone));

    // The day file's writer appends sharing reading and writing; readers that
    // share writing come in beside it, a reader that does not cannot.
    const std::uint32_t both = files::kShareRead | files::kShareWrite;
    const std::uintptr_t appender = Open(file, files::kFileAppendData, both, files::kOpenAlways);
    ASSERT_NE(appender, files::kInvalidHandle);
    EXPECT_EQ(OpenError(file, files::kGenericRead, both), 0u);
    EXPECT_EQ(OpenError(file, files::kGenericRead, files::kShareRead),
              files::kErrorSharingViolation);
    EXPECT_EQ(OpenError(file, files::kFileAppendData, both, files::kOpenAlways), 0u);
    EXPECT_TRUE(fs.CloseHandle(appender));

    // The settings reader shares reading only: no writer, not even one that
    // would empty the file, gets in, and the file keeps its bytes.
    const std::uintptr_t reader = Open(file, files::kGenericRead, files::kShareRead);
    ASSERT_NE(reader, files::kInvalidHandle);
    EXPECT_EQ(OpenError(file, files::kGenericWrite, both, files::kCreateAlways),
              files::kErrorSharingViolation);
    EXPECT_EQ(OpenError(file, files::kFileAppendData, both, files::kOpenAlways),
              files::kErrorSharingViolation);
    EXPECT_EQ(ReadAll(reader), "x\r\n");
    EXPECT_TRUE(fs.CloseHandle(reader));
    EXPECT_EQ(Code(fs.CloseHandle(reader)), files::kErrorInvalidHandle);
}

// A read at the end succeeds with nothing, and again after another handle
// appended, the new bytes come. Appending lands at the end, wherever the
// handle's read position stands; the handle made by OPEN_ALWAYS creates the
// file when it is missing.
TEST_P(FilesContract, ReadAtTheEndAndAppend) {
    const std::uint32_t both = files::kShareRead | files::kShareWrite;
    const std::uintptr_t appender = Open(file, files::kFileAppendData, both, files::kOpenAlways);
    ASSERT_NE(appender, files::kInvalidHandle);
    const std::uintptr_t reader = Open(file, files::kGenericRead, both);
    ASSERT_NE(reader, files::kInvalidHandle);
    char buffer[16];
    std::uint32_t done = 7;
    EXPECT_TRUE(fs.ReadFile(reader, buffer, sizeof buffer, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(fs.WriteFile(appender, "ab\r\n", 4, &done));
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(ReadAll(reader), "ab\r\n");
    done = 7;
    EXPECT_TRUE(fs.ReadFile(reader, buffer, sizeof buffer, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(fs.SetFilePointerEx(reader, 0, nullptr, files::kFileBegin));
    EXPECT_TRUE(fs.WriteFile(appender, "c", 1, &done));
    EXPECT_EQ(ReadAll(reader), "ab\r\nc");
    std::int64_t size = 0;
    EXPECT_TRUE(fs.GetFileSizeEx(reader, &size));
    EXPECT_EQ(size, 5);
    EXPECT_TRUE(fs.CloseHandle(reader));
    EXPECT_TRUE(fs.CloseHandle(appender));
}

// A handle does only what it was opened for: a read on one opened for
// writing, a write on one opened for reading fail with access denied and
// move nothing.
TEST_P(FilesContract, AHandleDoesOnlyWhatItWasOpenedFor) {
    TempFolder::Write(file, "x\r\n");
    const std::uintptr_t reader = Open(file, files::kGenericRead, files::kShareRead);
    ASSERT_NE(reader, files::kInvalidHandle);
    std::uint32_t done = 7;
    EXPECT_EQ(Code(fs.WriteFile(reader, "y", 1, &done)), files::kErrorAccessDenied);
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(fs.CloseHandle(reader));
    const std::uintptr_t writer = Open(file, files::kFileAppendData, files::kShareRead);
    ASSERT_NE(writer, files::kInvalidHandle);
    char buffer[4];
    done = 7;
    EXPECT_EQ(Code(fs.ReadFile(writer, buffer, sizeof buffer, &done)), files::kErrorAccessDenied);
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(fs.CloseHandle(writer));
    EXPECT_EQ(TempFolder::Read(file), "x\r\n");
}

// The settings save: the new contents in "<name>.new" replace the file in
// one step (ReplaceFileA), or move into its place when there is none; a file
// held open refuses its replacement as the system does, and both files then
// keep their names and bytes.
TEST_P(FilesContract, ReplaceAndMoveAsTheSettingsSaveUsesThem) {
    TempFolder::Write(other, "new\r\n");
    EXPECT_EQ(Code(fs.ReplaceFileA(file, other, 0)), files::kErrorFileNotFound);
    EXPECT_EQ(TempFolder::Read(other), "new\r\n");
    EXPECT_EQ(
        Code(fs.MoveFileExA(other, file, files::kMoveReplaceExisting | files::kMoveWriteThrough)),
        0u);
    EXPECT_EQ(TempFolder::Read(file), "new\r\n");
    EXPECT_FALSE(TempFolder::Exists(other));

    TempFolder::Write(other, "newer\r\n");
    EXPECT_EQ(Code(fs.ReplaceFileA(file, other, 0)), 0u);
    EXPECT_EQ(TempFolder::Read(file), "newer\r\n");
    EXPECT_FALSE(TempFolder::Exists(other));
    EXPECT_EQ(Code(fs.ReplaceFileA(file, other, 0)), files::kErrorFileNotFound);

    // Held by a reader that does not share deletion (a virus scanner, the
    // settings reader itself): replacing fails, moving over it is refused,
    // and moving or deleting it is a sharing violation.
    TempFolder::Write(other, "newest\r\n");
    const std::uintptr_t holder = Open(file, files::kGenericRead, files::kShareRead);
    ASSERT_NE(holder, files::kInvalidHandle);
    // wine says 32; the save takes Windows' 1175 for the same.
    EXPECT_EQ(Code(fs.ReplaceFileA(file, other, 0)), files::kErrorSharingViolation);
    EXPECT_EQ(Code(fs.MoveFileExA(other, file, files::kMoveReplaceExisting)),
              files::kErrorAccessDenied);
    EXPECT_EQ(Code(fs.MoveFileExA(file, folder.Path("moved"), 0)), files::kErrorSharingViolation);
    EXPECT_EQ(Code(fs.DeleteFileA(file)), files::kErrorSharingViolation);
    EXPECT_TRUE(fs.CloseHandle(holder));
    EXPECT_EQ(TempFolder::Read(file), "newer\r\n");
    EXPECT_EQ(TempFolder::Read(other), "newest\r\n");

    // A new file still open: its move is a sharing violation too.
    const std::uintptr_t writer = Open(other, files::kGenericWrite, files::kShareRead);
    ASSERT_NE(writer, files::kInvalidHandle);
    EXPECT_EQ(Code(fs.MoveFileExA(other, folder.Path("moved"), 0)), files::kErrorSharingViolation);
    EXPECT_TRUE(fs.CloseHandle(writer));
    EXPECT_EQ(Code(fs.ReplaceFileA(file, other, 0)), 0u);
    EXPECT_EQ(TempFolder::Read(file), "newest\r\n");
}

INSTANTIATE_TEST_SUITE_P(SystemAndFake, FilesContract, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Fake" : "System";
                         });

}  // namespace
