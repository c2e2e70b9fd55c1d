// For the settings wine tests: a fresh working folder, its files, and
// waiting from another thread for what the windows show.
#pragma once

#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

// Waits up to ms for the condition, sleeping between looks (another thread's view).
inline bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 10000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(10);
    }
    return true;
}

inline std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A fresh folder under %TEMP% made the working folder for one test, and
// removed with what is left in it afterwards.
class WorkingFolder {
  public:
    WorkingFolder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "vareli-settings-" + std::to_string(GetCurrentProcessId()) +
                  "-" + std::to_string(GetTickCount());
        made_ = CreateDirectoryA(folder_.c_str(), nullptr) != 0;
        GetCurrentDirectoryA(sizeof previous_, previous_);
        entered_ = made_ && SetCurrentDirectoryA(folder_.c_str()) != 0;
    }
    ~WorkingFolder() {
        SetCurrentDirectoryA(previous_);
        for (const std::string& name : FilesIn(folder_))
            DeleteFileA((folder_ + "\\" + name).c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    bool Entered() const { return entered_; }
    const std::string& Path() const { return folder_; }

  private:
    std::string folder_;
    char previous_[MAX_PATH] = {};
    bool made_ = false;
    bool entered_ = false;
};

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
