// A fresh temporary working folder for a settings test, with the system's
// file calls installed (optionally through a failure-scripting wrapper).
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fakes/fake_files.h"
#include "platform/files.h"
#include "platform/seam.h"

class SettingsFolder {
  public:
    SettingsFolder() : files_(SystemFiles()), seam_(&files_) {
        char pattern[] = "/tmp/vareli-settings-XXXXXX";
        folder_ = mkdtemp(pattern);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
    }
    ~SettingsFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    FakeFiles& Files() { return files_; }

    static void Put(const std::string& bytes, const std::string& name = "vareli.ini") {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& name = "vareli.ini") {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    FakeFiles files_;
    ScopedSeam<IFiles> seam_;
    std::filesystem::path folder_;
    std::filesystem::path previous_;
};
