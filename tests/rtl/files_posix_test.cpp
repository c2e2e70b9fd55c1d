// What only the POSIX stand-in is asked: ENOSPC as Windows' disk-full code,
// the read-only attribute kept against root, and what replacing keeps.
#include "platform/posix/files_posix.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

TEST(PosixFiles, FullDeviceFailsTheWriteWithDiskFull) {
    PosixFiles fs;
    const std::uintptr_t h = fs.CreateFileA("/dev/full", files::kGenericWrite, files::kShareRead,
                                            files::kOpenExisting, files::kAttributeNormal);
    if (h == files::kInvalidHandle) GTEST_SKIP() << "no /dev/full here";
    std::uint32_t done = 7;
    EXPECT_FALSE(fs.WriteFile(h, "abc", 3, &done));
    EXPECT_EQ(fs.GetLastError(), files::kErrorDiskFull);
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(fs.CloseHandle(h));
    EXPECT_FALSE(fs.CloseHandle(h));
    EXPECT_EQ(fs.GetLastError(), files::kErrorInvalidHandle);
}

// Root may write any file on POSIX; the stand-in still refuses, as Windows
// refuses everybody a file with the read-only attribute.
TEST(PosixFiles, ReadOnlyAttributeHoldsEvenForRoot) {
    TempFolder folder;
    const std::string file = folder.Path("ro.ini");
    TempFolder::Write(file, "x");
    TempFolder::MakeReadOnly(file);
    PosixFiles fs;
    EXPECT_EQ(fs.CreateFileA(file, files::kGenericWrite, 0, files::kOpenExisting,
                             files::kAttributeNormal),
              files::kInvalidHandle);
    EXPECT_EQ(fs.GetLastError(), files::kErrorAccessDenied);
    EXPECT_EQ(fs.CreateFileA(file, files::kGenericRead, 0, files::kTruncateExisting,
                             files::kAttributeNormal),
              files::kInvalidHandle);
    EXPECT_EQ(fs.GetLastError(), files::kErrorAccessDenied);
    EXPECT_EQ(TempFolder::Read(file), "x");
}

// Replacing keeps the old file's access rights, as ReplaceFileA does; a
// missing file is error 2, for the caller to move the new one in instead.
TEST(PosixFiles, ReplaceKeepsTheAccessRightsOfTheReplacedFile) {
    TempFolder folder;
    const std::string file = folder.Path("vareli.ini");
    const std::string temp = file + ".tmp";
    TempFolder::Write(temp, "new");
    PosixFiles fs;
    EXPECT_FALSE(fs.ReplaceFileA(file, temp, 0));
    EXPECT_EQ(fs.GetLastError(), files::kErrorFileNotFound);
    TempFolder::Write(file, "old");
    namespace fsys = std::filesystem;
    fsys::permissions(file, fsys::perms::owner_read | fsys::perms::owner_write);
    fsys::permissions(temp, fsys::perms::all);
    EXPECT_TRUE(fs.ReplaceFileA(file, temp, 0));
    EXPECT_EQ(TempFolder::Read(file), "new");
    EXPECT_FALSE(TempFolder::Exists(temp));
    EXPECT_EQ(fsys::status(file).permissions(), fsys::perms::owner_read | fsys::perms::owner_write);
}

}  // namespace
