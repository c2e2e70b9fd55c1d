// winctl: drives a program's top-level window from outside, for the run
// command and the end-to-end tests.
//   winctl wait TITLE [MS]   waits until a window with that caption exists
//   winctl close TITLE [MS]  asks it to close (WM_CLOSE) and waits until it is gone
// Exit code 0 on success, 1 on time-out, 2 on bad use.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool WaitFor(const char* title, bool present, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const bool found = FindWindowA(nullptr, title) != nullptr;
        if (found == present) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: winctl wait|close TITLE [MS]\n");
        return 2;
    }
    const char* title = argv[2];
    const DWORD ms = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 10000;
    if (std::strcmp(argv[1], "wait") == 0) return WaitFor(title, true, ms) ? 0 : 1;
    if (std::strcmp(argv[1], "close") == 0) {
        HWND window = FindWindowA(nullptr, title);
        if (window == nullptr) return 1;
        PostMessageA(window, WM_CLOSE, 0, 0);
        return WaitFor(title, false, ms) ? 0 : 1;
    }
    std::fprintf(stderr, "winctl: unknown command %s\n", argv[1]);
    return 2;
}
