// What a fuzzer does when the code under test disagrees with its model: print
// the disagreement with the bytes involved and abort, so that libFuzzer keeps
// the input as a crash file and the run stops there.
// Any thread; never returns on failure.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// The text with every byte outside printable ASCII as \xHH.
inline std::string Shown(const std::string& text) {
    std::string shown;
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    return shown;
}

inline void Check(bool holds, const char* what, const std::string& detail = std::string()) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.c_str());
    std::abort();
}

inline void CheckEqual(const std::string& got, const std::string& want, const char* what) {
    Check(got == want, what, "got:  " + Shown(got) + "\nwant: " + Shown(want));
}

inline void CheckEqual(long long got, long long want, const char* what) {
    Check(got == want, what, "got " + std::to_string(got) + ", want " + std::to_string(want));
}

}  // namespace fuzz
