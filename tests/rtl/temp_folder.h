// A fresh folder under the system's temporary folder for one test, removed
// with everything in it (read-only files too) when the test ends.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/files.h"

class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("vareli-test-" + std::to_string(stamp) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(const std::string& name) const { return (path_ / name).string(); }

    static void Write(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string Read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool Exists(const std::string& file) { return std::filesystem::exists(file); }
    static void MakeReadOnly(const std::string& file) {
        std::filesystem::permissions(file,
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    }

    // Whether the build's file calls refuse to open a read-only file for
    // writing. Windows and the POSIX stand-in do; wine run as root does not:
    // it keeps the attribute as the mode bits, which root ignores.
    static bool SystemHonoursReadOnly(const std::string& file) {
        IFiles& fs = SystemFiles();
        const std::uintptr_t h = fs.CreateFileA(file, files::kGenericWrite, files::kShareRead,
                                                files::kOpenExisting, files::kAttributeNormal);
        if (h == files::kInvalidHandle) return true;
        fs.CloseHandle(h);
        return false;
    }

  private:
    std::filesystem::path path_;
};
