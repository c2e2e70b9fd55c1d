// Finding and reading the country file, cty.csv, at start: in the working
// folder, then in the program's folder (the folder of Vareli.exe).
//
// Main thread by use (the file seam's last error is the calling thread's);
// nothing thrown beyond allocation: every failure is in the result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "spots/country_file.h"

// The largest country file read: the real one is some 300 KB.
constexpr std::uint64_t kMaxCountryFileSize = 16u * 1024u * 1024u;

struct CountryFileLoad {
    enum class Outcome {
        kLoaded,     // file parsed (it may still have broken lines)
        kNotFound,   // in neither folder: the country features are off, no box
        kReadError,  // there, but could not be read: path and code tell
        kTooLarge,   // there, but larger than kMaxCountryFileSize: not read
    };
    Outcome outcome = Outcome::kNotFound;
    // The file used or tried; empty when none was found.
    std::string path;
    CountryFile countries;
    // kReadError: the system's error code (5 access denied, 32 sharing
    // violation, ...).
    std::uint32_t errorCode = 0;
};

// Looks for "cty.csv" in the working folder, then in programFolder (with or
// without a final "\" or "/"; empty: the working folder only).
CountryFileLoad LoadCountryFile(IFiles& files, const std::string& programFolder);

// Where LoadCountryFile looks, in its order: "cty.csv" in the working
// folder, then in the program's folder (when given).
std::vector<std::string> CountryFilePaths(const std::string& programFolder);
