// An open file's handle closed exactly once, and a failed close's code.
#include "rtl/file_handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fakes/fake_files.h"
#include "temp_folder.h"

namespace {

int CloseCalls(const FakeFiles& files) {
    return static_cast<int>(std::count(files.calls.begin(), files.calls.end(), "CloseHandle"));
}

std::uintptr_t Open(FakeFiles& files, const std::string& path) {
    return files.CreateFileA(path, files::kGenericRead, files::kShareRead, files::kOpenAlways,
                             files::kAttributeNormal);
}

TEST(FileHandle, ClosedOnceByHandOrAtTheScopesEndAndNeverWhenNotOpen) {
    TempFolder folder;
    FakeFiles files(SystemFiles());
    {
        FileHandle handle(files, Open(files, folder.Path("a.txt")));
        ASSERT_TRUE(handle.Valid());
        EXPECT_TRUE(handle.Close());
        EXPECT_TRUE(handle.Close());  // a second close closes nothing
    }
    EXPECT_EQ(CloseCalls(files), 1);
    { const FileHandle handle(files, Open(files, folder.Path("b.txt"))); }
    EXPECT_EQ(CloseCalls(files), 2);
    EXPECT_EQ(files.openHandles, 0);
    {
        FileHandle handle(files, files::kInvalidHandle);
        EXPECT_FALSE(handle.Valid());
        EXPECT_TRUE(handle.Close());
    }
    EXPECT_EQ(CloseCalls(files), 2);

    // A failed close is told by hand, and the handle is not closed again.
    files.closeError = files::kErrorGenFailure;
    {
        FileHandle handle(files, Open(files, folder.Path("c.txt")));
        EXPECT_FALSE(handle.Close());
        EXPECT_EQ(SystemCodeOr(files, files::kErrorDiskFull), files::kErrorGenFailure);
    }
    EXPECT_EQ(CloseCalls(files), 3);
}

}  // namespace
