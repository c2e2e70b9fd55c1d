// Finding the country file: the working folder before the program's, none,
// one that is there but cannot be read, one too large. On real folders
// through the build's file calls.
#include "spots/country_file_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "rtl/temp_folder.h"

namespace {

const std::string kFinland = "OH,Finland,224,EU,15,18,61.38,-24.82,-2.0,OH;\r\n";
const std::string kAland = "OH0,Aland Islands,5,EU,15,18,60.13,-20.37,-2.0,OH0;\r\n";

// Files that tell every open file's size as 0, as of a file that grows
// while it is read.
class GrowingFiles : public FakeFiles {
  public:
    GrowingFiles() : FakeFiles(SystemFiles()) {}
    bool GetFileSizeEx(std::uintptr_t file, std::int64_t* fileSize) override {
        const bool done = FakeFiles::GetFileSizeEx(file, fileSize);
        *fileSize = 0;
        return done;
    }
};

std::vector<std::string> Looked(const FakeFiles& files) {
    std::vector<std::string> names;
    for (const std::string& call : files.calls)
        if (call.compare(0, 21, "GetFileAttributesExA ") == 0) names.push_back(call.substr(21));
    return names;
}

// The working folder is a fresh one for each test, the program's another.
class CountryFileLoaderTest : public ::testing::Test {
  protected:
    CountryFileLoaderTest() : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(work_.Path(""));
        std::filesystem::create_directories(program_);
    }
    ~CountryFileLoaderTest() override { std::filesystem::current_path(before_); }

    TempFolder work_;
    TempFolder elsewhere_;
    const std::string program_ = elsewhere_.Path("Vareli");
    const std::string programFile_ = elsewhere_.Path("Vareli/cty.csv");

  private:
    std::filesystem::path before_;
};

TEST_F(CountryFileLoaderTest, TheWorkingFoldersFileComesBeforeTheProgramFolders) {
    TempFolder::Write(work_.Path("cty.csv"), kFinland);
    TempFolder::Write(programFile_, kAland);
    const CountryFileLoad load = LoadCountryFile(SystemFiles(), program_);
    EXPECT_EQ(load.outcome, CountryFileLoad::Outcome::kLoaded);
    EXPECT_EQ(load.path, "cty.csv");
    EXPECT_EQ(load.countries.DxccOf("OH0X"), 224);
}

TEST_F(CountryFileLoaderTest, TheProgramFoldersFileWhenTheWorkingFolderHasNone) {
    TempFolder::Write(programFile_, kAland + "broken\n");
    for (const std::string& folder : {program_, program_ + "/"}) {
        const CountryFileLoad load = LoadCountryFile(SystemFiles(), folder);
        EXPECT_EQ(load.outcome, CountryFileLoad::Outcome::kLoaded);
        EXPECT_EQ(std::filesystem::path(load.path), std::filesystem::path(programFile_));
        EXPECT_EQ(load.countries.DxccOf("OH0X"), 5);
        EXPECT_EQ(load.countries.BrokenLines(), std::vector<int>{2});
    }
    // A Windows folder is joined with its own separator.
    FakeFiles files(SystemFiles());
    LoadCountryFile(files, "C:\\Vareli");
    LoadCountryFile(files, "C:\\Vareli\\");
    EXPECT_EQ(Looked(files), (std::vector<std::string>{"cty.csv", "C:\\Vareli\\cty.csv", "cty.csv",
                                                       "C:\\Vareli\\cty.csv"}));
}

TEST_F(CountryFileLoaderTest, NoneFound) {
    for (const std::string& folder : {program_, std::string()}) {
        const CountryFileLoad load = LoadCountryFile(SystemFiles(), folder);
        EXPECT_EQ(load.outcome, CountryFileLoad::Outcome::kNotFound);
        EXPECT_EQ(load.path, "");
        EXPECT_TRUE(load.countries.Empty());
    }
    // Nor in a program folder that does not exist.
    EXPECT_EQ(LoadCountryFile(SystemFiles(), elsewhere_.Path("none")).outcome,
              CountryFileLoad::Outcome::kNotFound);
}

// A file that is there but cannot be read is an error, not a reason to take
// the program folder's.
TEST_F(CountryFileLoaderTest, AFileThatCannotBeReadIsTold) {
    TempFolder::Write(work_.Path("cty.csv"), kFinland);
    TempFolder::Write(programFile_, kAland);
    FakeFiles held(SystemFiles());
    held.createError = files::kErrorSharingViolation;
    const CountryFileLoad refused = LoadCountryFile(held, program_);
    EXPECT_EQ(refused.outcome, CountryFileLoad::Outcome::kReadError);
    EXPECT_EQ(refused.path, "cty.csv");
    EXPECT_EQ(refused.errorCode, files::kErrorSharingViolation);
    EXPECT_TRUE(refused.countries.Empty());

    // A read that fails halfway: nothing of the file is used. It is opened
    // for reading and shares everything, so an editor may hold it.
    FakeFiles failing(SystemFiles());
    failing.failReadCall = 1;
    failing.readError = files::kErrorReadFault;
    const CountryFileLoad cut = LoadCountryFile(failing, program_);
    EXPECT_EQ(cut.outcome, CountryFileLoad::Outcome::kReadError);
    EXPECT_EQ(cut.errorCode, files::kErrorReadFault);
    EXPECT_TRUE(cut.countries.Empty());
    EXPECT_EQ(failing.calls.at(1), "CreateFileA cty.csv 80000000 7 3");
    EXPECT_EQ(failing.openHandles, 0);

    std::filesystem::remove(work_.Path("cty.csv"));
    std::filesystem::create_directory(work_.Path("cty.csv"));
    const CountryFileLoad folder = LoadCountryFile(SystemFiles(), program_);
    EXPECT_EQ(folder.outcome, CountryFileLoad::Outcome::kReadError);
    EXPECT_EQ(folder.path, "cty.csv");
    EXPECT_EQ(folder.errorCode, files::kErrorAccessDenied);
}

TEST_F(CountryFileLoaderTest, AFileOverTheBoundIsNotRead) {
    // The bound itself is read: a first good line and blanks after it.
    std::string text = kAland;
    text.resize(kMaxCountryFileSize, '\n');
    TempFolder::Write(work_.Path("cty.csv"), text);
    const CountryFileLoad bound = LoadCountryFile(SystemFiles(), "");
    EXPECT_EQ(bound.outcome, CountryFileLoad::Outcome::kLoaded);
    EXPECT_EQ(bound.countries.DxccOf("OH0X"), 5);

    text += '\n';
    TempFolder::Write(work_.Path("cty.csv"), text);
    FakeFiles counting(SystemFiles());
    const CountryFileLoad over = LoadCountryFile(counting, "");
    EXPECT_EQ(over.outcome, CountryFileLoad::Outcome::kTooLarge);
    // Refused by its size, before a byte is read.
    EXPECT_EQ(counting.bytesRead, 0u);
    EXPECT_EQ(over.path, "cty.csv");
    EXPECT_TRUE(over.countries.Empty());

    // A file that grows past the bound while it is read.
    GrowingFiles growing;
    EXPECT_EQ(LoadCountryFile(growing, "").outcome, CountryFileLoad::Outcome::kTooLarge);
    text.pop_back();
    TempFolder::Write(work_.Path("cty.csv"), text);
    EXPECT_EQ(LoadCountryFile(growing, "").outcome, CountryFileLoad::Outcome::kLoaded);
}

}  // namespace
