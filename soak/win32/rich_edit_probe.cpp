// A bare rich-text view for the soak: a window with one RichEdit set up like
// Vareli's spot view (riched20, read-only, vertical scroll bar, no word wrap,
// Courier New 13 px, navy text on the info colour) that appends spot-sized
// lines (42 + 10 characters) the way the view does: caret to the end, the
// line's colour, the text and a CR. Its memory per line is what such a view
// holds under this system, the yardstick for the program's growth per line.
//   rich_edit_probe LINES STEP
// After every STEP lines it prints "lines N" and waits for a line on its
// standard input, so that whoever samples its memory does so at a known
// count; then "done". Exit code 0, or 1 when the control cannot be made.
#include <windows.h>
// windows.h first: richedit.h needs its types.
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Append(HWND edit, const std::string& line, COLORREF color) {
    const LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(edit, EM_SETREADONLY, FALSE, 0);
    CHARRANGE end = {static_cast<LONG>(length), static_cast<LONG>(length)};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = color;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const std::string inserted = line + "\r";
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(inserted.c_str()));
    SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rich_edit_probe LINES STEP\n");
        return 2;
    }
    const int lines = std::atoi(argv[1]);
    const int step = std::max(1, std::atoi(argv[2]));
    if (LoadLibraryA("riched20.dll") == nullptr) return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "RichEditProbe";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, wc.lpszClassName, "Rich edit probe", WS_OVERLAPPEDWINDOW, 0, 0,
                                 625, 400, nullptr, nullptr, wc.hInstance, nullptr);
    HWND edit = CreateWindowExA(
        WS_EX_CLIENTEDGE, RICHEDIT_CLASSA, "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL, 0, 0,
        609, 273, frame, nullptr, wc.hInstance, nullptr);
    if (frame == nullptr || edit == nullptr) return 1;
    SendMessageA(edit, EM_SETEVENTMASK, 0, 0);
    SendMessageA(edit, EM_EXLIMITTEXT, 0, 4 * 1024 * 1024);
    SendMessageA(edit, EM_SETTARGETDEVICE, 0, 1);  // no word wrap
    SendMessageA(edit, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_INFOBK));
    CHARFORMAT2A font = {};
    font.cbSize = sizeof font;
    font.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET;
    font.yHeight = 13 * 15;
    font.crTextColor = RGB(0, 0, 128);
    font.bCharSet = DEFAULT_CHARSET;
    lstrcpyA(font.szFaceName, "Courier New");
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&font));
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&font));
    SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
    ShowWindow(frame, SW_SHOW);
    Pump();

    char text[64];
    char reply[16];
    for (int i = 1; i <= lines; ++i) {
        // 42 columns of a spot row and a 10-character date, as a spot line.
        std::snprintf(text, sizeof text, "%6d Q%dABC  s%06d       Q9ZZZ  %04d  07.12.2025",
                      1800 + i % 400000, i % 10, i, i % 2400);
        Append(edit, text, i % 7 == 0 ? RGB(255, 0, 0) : RGB(0, 0, 128));
        Pump();
        if (i % step == 0) {
            std::printf("lines %d\n", i);
            std::fflush(stdout);
            if (std::fgets(reply, sizeof reply, stdin) == nullptr) break;
        }
    }
    std::printf("done\n");
    std::fflush(stdout);
    DestroyWindow(frame);
    return 0;
}
