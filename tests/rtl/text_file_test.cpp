#include "rtl/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "rtl/sysutils.h"
#include "temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

Lines ReadAll(TextFileReader& reader) {
    Lines lines;
    while (!reader.Eof()) lines.push_back(reader.ReadLine());
    return lines;
}

// The code of the EInOutError the call raises, or -1 when it raises none.
template <class Call>
int InOutCode(Call&& call, std::string* message = nullptr) {
    try {
        call();
    } catch (const EInOutError& e) {
        if (message != nullptr) *message = e.Message();
        return e.ErrorCode();
    }
    return -1;
}

struct LineCase {
    std::string bytes;
    Lines lines;
};

const LineCase kLineCases[] = {
    {"", {}},
    {"a\r\nb\r\n", {"a", "b"}},
    {"a\r\nb", {"a", "b"}},  // a last line without a line end
    {"a\rb\r", {"a", "b"}},  // a CR alone ends a line too
    {"\r\n", {""}},
    {"\r\n\r\n", {"", ""}},
    {"a\r\r\nb", {"a", "", "b"}},
    {"a\nb\r\nc", {"a\nb", "c"}},  // a lone LF is an ordinary byte
    {"[COMPort]Com1\n[Com]1\n", {"[COMPort]Com1\n[Com]1\n"}},
    {"\n", {"\n"}},
    {"\n\r", {"\n"}},
    {"a\r\n\nb", {"a", "\nb"}},  // only the LF right after the CR is skipped
    {"a\x1a"
     "b\r\nc",
     {"a"}},  // Ctrl-Z ends the file, mid-line too
    {"\x1a", {}},
    {"a\r\n\x1a\r\nb", {"a"}},
    {"a\r\x1a\nb", {"a"}},
    {std::string("\xE4\0\xFF\r\n", 5), {std::string("\xE4\0\xFF", 3)}},  // bytes pass unchanged
};

// Small buffers put every line end across a buffer boundary somewhere.
class LineReading : public ::testing::TestWithParam<std::size_t> {};

TEST_P(LineReading, LineEndsCtrlZAndLastLine) {
    TempFolder folder;
    const std::string file = folder.Path("lines.txt");
    for (const LineCase& c : kLineCases) {
        TempFolder::Write(file, c.bytes);
        TextFileReader reader(file, SystemFiles(), GetParam());
        EXPECT_EQ(ReadAll(reader), c.lines) << ::testing::PrintToString(c.bytes);
        EXPECT_EQ(reader.ReadLine(), "");  // at the end: empty, and still at the end
        EXPECT_TRUE(reader.Eof());
    }
}

TEST_P(LineReading, LinesOfAnyLength) {
    TempFolder folder;
    const std::string file = folder.Path("long.txt");
    const std::string longLine(100000, 'x');
    TempFolder::Write(file, longLine + "\r\n" + longLine + "y\rend");
    TextFileReader reader(file, SystemFiles(), GetParam() * 1000);
    EXPECT_EQ(ReadAll(reader), (Lines{longLine, longLine + "y", "end"}));
}

// Whether the last line read had its line end: a file cut short does not.
TEST_P(LineReading, TheLastLineTellsWhetherItEnded) {
    TempFolder folder;
    const std::string file = folder.Path("ends.txt");
    struct Case {
        std::string bytes;
        bool ended;
    };
    for (const Case& c :
         {Case{"", false}, Case{"a\r\nb", false}, Case{"a\r\nb\r\n", true}, Case{"a\r", true},
          Case{"a\r\n\x1a"
               "b",
               true},
          Case{"a\x1a"
               "b\r\n",
               false},
          Case{std::string("a\r\n\0\0", 5), false}}) {
        TempFolder::Write(file, c.bytes);
        TextFileReader reader(file, SystemFiles(), GetParam());
        EXPECT_FALSE(reader.LastLineEnded());
        ReadAll(reader);
        EXPECT_EQ(reader.LastLineEnded(), c.ended) << ::testing::PrintToString(c.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, LineReading, ::testing::Values(1, 2, 3, 4096));

TEST(TextFileReader, OpensForReadingAndLetsOthersOnlyRead) {
    TempFolder folder;
    const std::string file = folder.Path("vareli.ini");
    TempFolder::Write(file, "[Com]1\r\n");
    FakeFiles files(SystemFiles());
    {
        TextFileReader reader(file, files);
        EXPECT_EQ(files.calls.at(0), "CreateFileA " + file + " 80000000 1 3");

        // Another program may read the file meanwhile, but not write it.
        IFiles& other = SystemFiles();
        const std::uintptr_t read =
            other.CreateFileA(file, files::kGenericRead, files::kShareRead | files::kShareWrite,
                              files::kOpenExisting, files::kAttributeNormal);
        EXPECT_NE(read, files::kInvalidHandle);
        if (read != files::kInvalidHandle) other.CloseHandle(read);
        const std::uintptr_t write =
            other.CreateFileA(file, files::kGenericWrite, files::kShareRead | files::kShareWrite,
                              files::kOpenExisting, files::kAttributeNormal);
        EXPECT_EQ(write, files::kInvalidHandle);
        EXPECT_EQ(other.GetLastError(), files::kErrorSharingViolation);
        if (write != files::kInvalidHandle) other.CloseHandle(write);

        EXPECT_EQ(ReadAll(reader), (Lines{"[Com]1"}));
    }
    EXPECT_EQ(files.openHandles, 0);  // the destructor closed it
}

TEST(TextFileReader, OpenFailuresCarryTheSystemCode) {
    TempFolder folder;
    std::string message;
    EXPECT_EQ(
        InOutCode([&] { TextFileReader r(folder.Path("missing.ini"), SystemFiles()); }, &message),
        2);
    EXPECT_EQ(message, "File not found");
    EXPECT_EQ(
        InOutCode([&] { TextFileReader r(folder.Path("no/such.ini"), SystemFiles()); }, &message),
        3);
    EXPECT_EQ(InOutCode([&] { TextFileReader r(folder.Path(""), SystemFiles()); }, &message), 5);
    EXPECT_EQ(message, "File access denied");

    // A program that holds the file for writing without sharing it.
    const std::string file = folder.Path("locked.ini");
    TempFolder::Write(file, "x\r\n");
    IFiles& other = SystemFiles();
    const std::uintptr_t lock = other.CreateFileA(file, files::kGenericWrite, 0,
                                                  files::kOpenExisting, files::kAttributeNormal);
    ASSERT_NE(lock, files::kInvalidHandle);
    EXPECT_EQ(InOutCode([&] { TextFileReader r(file, SystemFiles()); }, &message), 32);
    EXPECT_EQ(message, "I/O error 32");
    other.CloseHandle(lock);
}

TEST(TextFileReader, ReadFailureMidFileKeepsTheLinesBeforeIt) {
    TempFolder folder;
    const std::string file = folder.Path("vareli.ini");
    TempFolder::Write(file, "ab\r\ncd\r\n");
    FakeFiles files(SystemFiles());
    files.failReadCall = 2;
    files.readError = 23;
    TextFileReader reader(file, files, 4);
    EXPECT_EQ(reader.ReadLine(), "ab");
    std::string message;
    EXPECT_EQ(InOutCode([&] { reader.ReadLine(); }, &message), 23);
    EXPECT_EQ(message, "I/O error 23");
}

TEST(TextFileReader, CloseFailureRaisesAndTheFileIsNotOpenAfterwards) {
    TempFolder folder;
    const std::string file = folder.Path("vareli.ini");
    TempFolder::Write(file, "a\r\n");
    FakeFiles files(SystemFiles());
    {
        TextFileReader reader(file, files);
        files.closeError = 6;
        EXPECT_EQ(InOutCode([&] { reader.Close(); }), 6);
        EXPECT_EQ(InOutCode([&] { reader.ReadLine(); }), 103);
        EXPECT_EQ(InOutCode([&] { reader.Eof(); }), 103);
        EXPECT_EQ(InOutCode([&] { reader.Close(); }), 103);
    }
    EXPECT_EQ(files.openHandles, 0);
    EXPECT_EQ(std::count(files.calls.begin(), files.calls.end(), "CloseHandle"), 1);
}

class TextFileWriting : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string file = folder.Path("vareli.ini");
    std::string temp = file + ".new";
    std::string kept = file + ".tmp";
    FakeFiles files{SystemFiles()};
};

TEST_F(TextFileWriting, ReplacesTheFileWholeOnlyAtCommit) {
    TempFolder::Write(file, "old contents, longer than the new ones\r\n");
    {
        TextFileWriter writer(file, files);
        writer.WriteLine("[COMPort]Com1");
        writer.Write("[Com]");
        writer.WriteLine("0");
        EXPECT_EQ(TempFolder::Read(file), "old contents, longer than the new ones\r\n");
        writer.Commit();
    }
    EXPECT_EQ(TempFolder::Read(file), "[COMPort]Com1\r\n[Com]0\r\n");
    EXPECT_FALSE(TempFolder::Exists(temp));
    EXPECT_EQ(files.calls,
              (Lines{"CreateFileA " + temp + " 40000000 1 2", "WriteFile [COMPort]Com1\r\n",
                     "WriteFile [Com]", "WriteFile 0\r\n", "CloseHandle",
                     "ReplaceFileA " + file + " " + temp + " 0"}));
    EXPECT_EQ(files.openHandles, 0);
}

TEST_F(TextFileWriting, CreatesAMissingFileAndReadsBackByteForByte) {
    const std::string odd("yl\xE4raja\0\n", 9);
    {
        TextFileWriter writer(file, files);
        writer.WriteLine(odd);
        writer.WriteLine("");
        writer.Commit();
    }
    // Nothing to replace: the temporary file is moved into place.
    EXPECT_EQ(Lines(files.calls.end() - 2, files.calls.end()),
              (Lines{"ReplaceFileA " + file + " " + temp + " 0",
                     "MoveFileExA " + temp + " " + file + " 9"}));
    EXPECT_FALSE(TempFolder::Exists(temp));
    TextFileReader reader(file, files);
    EXPECT_EQ(ReadAll(reader), (Lines{odd, ""}));
}

TEST_F(TextFileWriting, WithoutCommitTheOldFileStaysAndTheTemporaryGoes) {
    TempFolder::Write(file, "old\r\n");
    {
        TextFileWriter writer(file, files);
        writer.WriteLine("new");
    }
    EXPECT_EQ(TempFolder::Read(file), "old\r\n");
    EXPECT_FALSE(TempFolder::Exists(temp));
    EXPECT_EQ(files.openHandles, 0);
}

TEST_F(TextFileWriting, ReadOnlyFileIsAccessDeniedAndKept) {
    TempFolder::Write(file, "old\r\n");
    TempFolder::MakeReadOnly(file);
    if (!TempFolder::SystemHonoursReadOnly(file))
        GTEST_SKIP() << "read-only files are writable here (wine run as root)";
    std::string message;
    EXPECT_EQ(InOutCode(
                  [&] {
                      TextFileWriter writer(file, files);
                      writer.WriteLine("new");
                      writer.Commit();
                  },
                  &message),
              5);
    EXPECT_EQ(message, "File access denied");
    EXPECT_EQ(TempFolder::Read(file), "old\r\n");
    EXPECT_FALSE(TempFolder::Exists(temp));
}

TEST_F(TextFileWriting, FileHeldOpenByAReaderIsNotReplaced) {
    TempFolder::Write(file, "old\r\n");
    TextFileReader reader(file, SystemFiles());
    std::string message;
    const int code = InOutCode(
        [&] {  // the reader does not share deletion
            TextFileWriter writer(file, files);
            writer.WriteLine("new");
            writer.Commit();
        },
        &message);
    EXPECT_EQ(code, 32);
    EXPECT_EQ(message, "I/O error 32");
    EXPECT_EQ(ReadAll(reader), (Lines{"old"}));
    EXPECT_FALSE(TempFolder::Exists(temp));
}

TEST_F(TextFileWriting, MissingFolderFailsAtTheOpen) {
    std::string message;
    EXPECT_EQ(
        InOutCode([&] { TextFileWriter writer(folder.Path("none/vareli.ini"), files); }, &message),
        3);
    EXPECT_EQ(message, "Invalid filename");
}

TEST_F(TextFileWriting, DiskFullAndOtherWriteFailures) {
    struct Case {
        std::uint32_t writeError;  // 0: a short write
        int code;
    };
    for (const Case c : {Case{0, 101}, Case{112, 101}, Case{39, 101}, Case{5, 5}, Case{29, 29}}) {
        TempFolder::Write(file, "old\r\n");
        FakeFiles failing(SystemFiles());
        failing.failWriteCall = 2;
        failing.writeError = c.writeError;
        std::string message;
        EXPECT_EQ(InOutCode(
                      [&] {
                          TextFileWriter writer(file, failing);
                          writer.WriteLine("[COMPort]Com1");
                          writer.WriteLine("[AlaMHZ]1800");
                          ADD_FAILURE() << "the failing write went on";
                      },
                      &message),
                  c.code)
            << c.writeError;
        if (c.code == 101) {
            EXPECT_EQ(message, "Disk full");
        }
        EXPECT_EQ(TempFolder::Read(file), "old\r\n");
        EXPECT_FALSE(TempFolder::Exists(temp));
        EXPECT_EQ(failing.openHandles, 0);
    }
}

TEST_F(TextFileWriting, CloseOrReplaceFailureAtCommitKeepsTheOldFile) {
    TempFolder::Write(file, "old\r\n");
    // A failed close; a replace that fails outright; one that cannot remove
    // the old file (held open elsewhere), which is a sharing conflict.
    const std::uint32_t closeErrors[] = {6, 0, 0};
    const std::uint32_t replaceErrors[] = {0, 5, files::kErrorUnableToRemoveReplaced};
    const int codes[] = {6, 5, 32};
    for (int step = 0; step < 3; ++step) {
        FakeFiles failing(SystemFiles());
        failing.closeError = closeErrors[step];
        failing.replaceError = replaceErrors[step];
        EXPECT_EQ(InOutCode([&] {
                      TextFileWriter writer(file, failing);
                      writer.WriteLine("new");
                      writer.Commit();
                  }),
                  codes[step]);
        EXPECT_EQ(TempFolder::Read(file), "old\r\n");
        EXPECT_FALSE(TempFolder::Exists(temp));
        EXPECT_EQ(failing.openHandles, 0);
    }
}

TEST_F(TextFileWriting, WithTheOldFileGoneAFailedMoveKeepsTheTemporaryForTheNextSave) {
    TempFolder::Write(file, "old\r\n");
    TempFolder::Write(kept, "older\r\n");
    files.replaceError = files::kErrorUnableToMoveReplacement;
    files.moveError = 5;  // into place and to the kept copy alike
    auto save = [&](const std::string& line) {
        TextFileWriter writer(file, files);
        writer.WriteLine(line);
        writer.Commit();
    };
    EXPECT_EQ(InOutCode([&] { save("new"); }), 5);
    EXPECT_FALSE(TempFolder::Exists(file));
    EXPECT_EQ(TempFolder::Read(temp), "new\r\n");
    EXPECT_EQ(TempFolder::Read(kept), "older\r\n");
    files.replaceError = files.moveError = 0;
    save("newer");
    EXPECT_EQ(TempFolder::Read(file), "newer\r\n");
    EXPECT_FALSE(TempFolder::Exists(temp));
    EXPECT_EQ(TempFolder::Read(kept), "older\r\n");
}

// 1176 has deleted the old file, 1177 renamed it out of reach: either way the
// move into its place is all that is left, and when that fails the whole new
// contents become the kept copy, over an older one.
TEST_F(TextFileWriting, WithTheOldFileGoneByEitherCodeTheNewContentsGoInPlaceOrAreKept) {
    for (const std::uint32_t code :
         {files::kErrorUnableToMoveReplacement, files::kErrorUnableToMoveReplacement2}) {
        for (const std::uint32_t moveError : {0u, 5u}) {
            SCOPED_TRACE(std::to_string(code) + " " + std::to_string(moveError));
            TempFolder::Write(file, "old\r\n");
            TempFolder::Write(kept, "older\r\n");
            FakeFiles failing(SystemFiles());
            failing.replaceError = code;
            failing.moveError = moveError;
            failing.failMoveCall = 1;  // the move into place only
            EXPECT_EQ(InOutCode([&] {
                          TextFileWriter writer(file, failing);
                          writer.WriteLine("new");
                          writer.Commit();
                      }),
                      moveError == 0 ? -1 : 5);
            EXPECT_EQ(TempFolder::Exists(file) ? TempFolder::Read(file) : "gone",
                      moveError == 0 ? "new\r\n" : "gone");
            EXPECT_EQ(TempFolder::Read(kept), moveError == 0 ? "older\r\n" : "new\r\n");
            EXPECT_FALSE(TempFolder::Exists(temp));
            EXPECT_EQ(failing.openHandles, 0);
        }
    }
}

// A failed save deletes its own temporary file, never the kept copy.
TEST_F(TextFileWriting, AFailedSaveLeavesTheKeptCopyAlone) {
    TempFolder::Write(kept, "older\r\n");
    files.failWriteCall = 1;
    EXPECT_EQ(InOutCode([&] {
                  TextFileWriter writer(file, files);
                  writer.WriteLine("new");
              }),
              101);
    EXPECT_EQ(TempFolder::Read(kept), "older\r\n");
    EXPECT_FALSE(TempFolder::Exists(temp));
}

TEST_F(TextFileWriting, NothingMoreAfterCommit) {
    TextFileWriter writer(file, files);
    writer.Commit();
    EXPECT_EQ(InOutCode([&] { writer.WriteLine("late"); }), 103);
    EXPECT_EQ(InOutCode([&] { writer.Commit(); }), 103);
    EXPECT_EQ(TempFolder::Read(file), "");
}

// Start-up: with the file there nothing else is looked at, not even a kept
// copy that another program holds open; without it the newer of the two
// copies goes back (the kept one on equal times), and the other stays.
TEST_F(TextFileWriting, AtStartTheNewerCopyGoesBackOnlyWhenTheFileIsMissing) {
    TempFolder::Write(file, "current\r\n");
    TempFolder::Write(kept, "kept\r\n");
    const std::uintptr_t holder =
        SystemFiles().CreateFileA(kept, files::kGenericRead, files::kShareRead,
                                  files::kOpenExisting, files::kAttributeNormal);
    ASSERT_NE(holder, files::kInvalidHandle);
    EXPECT_EQ(RestoreKeptTextFile(file, files), KeptCopy::kNone);
    EXPECT_EQ(files.calls, Lines{"GetFileAttributesExA " + file});
    EXPECT_EQ(TempFolder::Read(file), "current\r\n");
    EXPECT_TRUE(SystemFiles().CloseHandle(holder));

    const auto then = std::filesystem::last_write_time(file);
    struct Case {
        int newAge;  // seconds before the kept copy's time
        KeptCopy expected;
    };
    for (const Case& c :
         {Case{10, KeptCopy::kTmp}, Case{-10, KeptCopy::kNew}, Case{0, KeptCopy::kTmp}}) {
        std::filesystem::remove(file);
        TempFolder::Write(kept, "kept\r\n");
        TempFolder::Write(temp, "new\r\n");
        std::filesystem::last_write_time(kept, then);
        std::filesystem::last_write_time(temp, then - std::chrono::seconds(c.newAge));
        const bool fromNew = c.expected == KeptCopy::kNew;
        EXPECT_EQ(RestoreKeptTextFile(file, files), c.expected) << c.newAge;
        EXPECT_EQ(TempFolder::Read(file), fromNew ? "new\r\n" : "kept\r\n") << c.newAge;
        EXPECT_FALSE(TempFolder::Exists(fromNew ? temp : kept)) << c.newAge;
        EXPECT_EQ(TempFolder::Read(fromNew ? kept : temp), fromNew ? "kept\r\n" : "new\r\n");
    }
    // Only the newest contents of a save whose moves all failed; then none.
    std::filesystem::remove(file);
    std::filesystem::remove(kept);
    TempFolder::Write(temp, "new\r\n");
    EXPECT_EQ(RestoreKeptTextFile(file, files), KeptCopy::kNew);
    std::filesystem::remove(file);
    EXPECT_EQ(RestoreKeptTextFile(file, files), KeptCopy::kNone);
    EXPECT_FALSE(TempFolder::Exists(file));
}

// Only a copy that reads whole goes back: it ends with a line end and every
// line is known (here: starts with "["). A copy that is not whole stays as
// it is, the other one goes back if it is whole, and with none whole nothing
// moves. Each rule alone, the newer copy failing it either way round.
TEST_F(TextFileWriting, AtStartOnlyAWholeCopyGoesBack) {
    const KnownLine known = [](const std::string& line) { return line.rfind('[', 0) == 0; };
    const std::string whole = "[a]1\r\n[b]2\r\n";
    struct Case {
        const char* what;
        std::string newer;
        bool newerIsNew;  // else the ".tmp" is the newer
    };
    const Case cases[] = {
        {"cut in its last line", "[a]1\r\n[b", true},
        {"cut after a whole line's CR", "[a]1\r", false},  // whole: a CR ends a line
        {"an unknown line", "[a]1\r\nb2\r\n", true},
        {"zeros in its tail", std::string("[a]1\r\n\0\0\0", 8), false},
        {"empty", "", true},
        {"an empty line", "[a]1\r\n\r\n", false},
    };
    const auto then = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const Case& c : cases) {
        std::filesystem::remove(file);
        const std::string& newerName = c.newerIsNew ? temp : kept;
        const std::string& olderName = c.newerIsNew ? kept : temp;
        TempFolder::Write(newerName, c.newer);
        TempFolder::Write(olderName, whole);
        std::filesystem::last_write_time(olderName, then);
        std::filesystem::last_write_time(newerName, then + std::chrono::seconds(10));
        const bool newerWhole = c.newer == "[a]1\r";
        const KeptCopy newer = c.newerIsNew ? KeptCopy::kNew : KeptCopy::kTmp;
        const KeptCopy older = c.newerIsNew ? KeptCopy::kTmp : KeptCopy::kNew;
        EXPECT_EQ(RestoreKeptTextFile(file, files, known), newerWhole ? newer : older) << c.what;
        EXPECT_EQ(TempFolder::Read(file), newerWhole ? c.newer : whole) << c.what;
        EXPECT_EQ(TempFolder::Read(newerWhole ? olderName : newerName),
                  newerWhole ? whole : c.newer)
            << c.what;
        std::filesystem::remove(kept);
        std::filesystem::remove(temp);
    }

    // None whole, one copy or two: none goes back, and each stays.
    std::filesystem::remove(file);
    files.calls.clear();
    TempFolder::Write(temp, "[a]1\r\n[b");
    EXPECT_EQ(RestoreKeptTextFile(file, files, known), KeptCopy::kNoneWhole);
    TempFolder::Write(kept, "x\r\n");
    EXPECT_EQ(RestoreKeptTextFile(file, files, known), KeptCopy::kNoneWhole);
    EXPECT_FALSE(TempFolder::Exists(file));
    EXPECT_EQ(TempFolder::Read(temp), "[a]1\r\n[b");
    EXPECT_EQ(TempFolder::Read(kept), "x\r\n");
    EXPECT_TRUE(std::none_of(files.calls.begin(), files.calls.end(), [](const std::string& call) {
        return call.rfind("MoveFileExA", 0) == 0;
    }));
    EXPECT_EQ(files.openHandles, 0);
    // Without a reader's list every line is known; the line end still counts.
    EXPECT_EQ(RestoreKeptTextFile(file, files), KeptCopy::kTmp);
    EXPECT_EQ(TempFolder::Read(file), "x\r\n");
}

}  // namespace
