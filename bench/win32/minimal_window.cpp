// The smallest Win32 window program, the start-up benchmark's yardstick:
// one top-level window "Vareli bench minimal" with one line of text in a
// static child, shown at once, a message loop, and an end when the window is
// closed. Built and started the same way as Vareli.exe (a static i686 GUI
// program started by CreateProcess), so the difference between the two is
// what the program does before its first spot line shows.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "VareliBenchMinimal";
    if (RegisterClassA(&windowClass) == 0) return 1;
    HWND window =
        CreateWindowExA(0, "VareliBenchMinimal", "Vareli bench minimal", WS_OVERLAPPEDWINDOW, 220,
                        166, 441, 360, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    CreateWindowExA(0, "STATIC", "  7025 Q1AAA  cq dx          Q9ZZZ  1301  ",
                    WS_CHILD | WS_VISIBLE, 0, 0, 433, 20, window, nullptr, instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
