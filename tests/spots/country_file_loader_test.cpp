// Finding the country file: the working folder before the program's, none,
// one that is there but cannot be read, one too large. On real folders
// through the build's file calls.
#include "spots/country_file_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "rtl/temp_folder.h"

namespace {

const std::string kFinland = "OH,Finland,224,EU,15,18,61.38,-24.82,-2.0,OH;\r\n";
const std::string kAland = "OH0,Aland Islands,5,EU,15,18,60.13,-20.37,-2.0,OH0;\r\n";

// Files that refuse to open one name, as when another program holds it
// without sharing, and note the names looked at.
class RefusingFiles : public IFiles {
  public:
    explicit RefusingFiles(std::string refused) : refused_(std::move(refused)) {}
    std::vector<std::string> looked;
    // Tells every open file's size as 0, as of a file that grows while read.
    bool sizeZero = false;
    int reads = 0;

    std::uintptr_t CreateFileA(const std::string& fileName, std::uint32_t access,
                               std::uint32_t share, std::uint32_t disposition,
                               std::uint32_t flags) override {
        if (fileName == refused_) {
            error_ = files::kErrorSharingViolation;
            return files::kInvalidHandle;
        }
        return system_.CreateFileA(fileName, access, share, disposition, flags);
    }
    bool ReadFile(std::uintptr_t file, void* buffer, std::uint32_t toRead,
                  std::uint32_t* done) override {
        ++reads;
        return system_.ReadFile(file, buffer, toRead, done);
    }
    bool WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* done) override {
        return system_.WriteFile(file, buffer, toWrite, done);
    }
    bool CloseHandle(std::uintptr_t file) override { return system_.CloseHandle(file); }
    bool SetFilePointerEx(std::uintptr_t file, std::int64_t distance, std::int64_t* newPointer,
                          std::uint32_t method) override {
        return system_.SetFilePointerEx(file, distance, newPointer, method);
    }
    bool GetFileSizeEx(std::uintptr_t file, std::int64_t* size) override {
        const bool done = system_.GetFileSizeEx(file, size);
        if (sizeZero) *size = 0;
        return done;
    }
    bool GetFileAttributesExA(const std::string& fileName,
                              files::FileAttributeData* data) override {
        looked.push_back(fileName);
        error_ = 0;
        return system_.GetFileAttributesExA(fileName, data);
    }
    bool MoveFileExA(const std::string& existing, const std::string& newName,
                     std::uint32_t flags) override {
        return system_.MoveFileExA(existing, newName, flags);
    }
    bool ReplaceFileA(const std::string& replaced, const std::string& replacement,
                      std::uint32_t flags) override {
        return system_.ReplaceFileA(replaced, replacement, flags);
    }
    bool DeleteFileA(const std::string& fileName) override { return system_.DeleteFileA(fileName); }
    std::uint32_t GetLastError() override { return error_ ? error_ : system_.GetLastError(); }

  private:
    IFiles& system_ = SystemFiles();
    std::string refused_;
    std::uint32_t error_ = 0;
};

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
    RefusingFiles files("");
    LoadCountryFile(files, "C:\\Vareli");
    LoadCountryFile(files, "C:\\Vareli\\");
    EXPECT_EQ(files.looked, (std::vector<std::string>{"cty.csv", "C:\\Vareli\\cty.csv", "cty.csv",
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
    RefusingFiles files("cty.csv");
    const CountryFileLoad held = LoadCountryFile(files, program_);
    EXPECT_EQ(held.outcome, CountryFileLoad::Outcome::kReadError);
    EXPECT_EQ(held.path, "cty.csv");
    EXPECT_EQ(held.errorCode, files::kErrorSharingViolation);
    EXPECT_TRUE(held.countries.Empty());

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
    RefusingFiles counting("");
    const CountryFileLoad over = LoadCountryFile(counting, "");
    EXPECT_EQ(over.outcome, CountryFileLoad::Outcome::kTooLarge);
    // Refused by its size, before a byte is read.
    EXPECT_EQ(counting.reads, 0);
    EXPECT_EQ(over.path, "cty.csv");
    EXPECT_TRUE(over.countries.Empty());

    // A file that grows past the bound while it is read.
    RefusingFiles growing("");
    growing.sizeZero = true;
    EXPECT_EQ(LoadCountryFile(growing, "").outcome, CountryFileLoad::Outcome::kTooLarge);
    text.pop_back();
    TempFolder::Write(work_.Path("cty.csv"), text);
    EXPECT_EQ(LoadCountryFile(growing, "").outcome, CountryFileLoad::Outcome::kLoaded);
}

}  // namespace
