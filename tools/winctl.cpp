// winctl: drives a program's top-level window from outside, for the run
// command and the end-to-end tests.
//   winctl wait TITLE [MS]   waits until a window with that caption exists
//   winctl close TITLE [MS]  asks it to close (WM_CLOSE) and waits until it is gone
//   winctl children TITLE    lists its child windows (of the window, not of a message
//                            box with the same caption), one a line:
//                            class<TAB>visible<TAB>left,top,width,height<TAB>text
//                            (text through WM_GETTEXT, which wine and Windows carry
//                            across processes; line ends shown as \r and \n)
//   winctl box TITLE [MS]    waits for a message box with that caption and lists
//                            its children like "children"
//   winctl ok TITLE [MS]     presses the OK button of that message box
//   winctl click TITLE [MS]  clicks that box's OK button with the mouse, as a user
//                            does (input, not a posted command), and waits until
//                            the box is gone; prints the milliseconds it took
//   winctl boxrect TITLE     prints that box's left,top,width,height on the screen
//   winctl boxes TITLE       counts the open message boxes with that caption
//                            (of the process owning the window TITLE, when one
//                            is open): the count, then box<TAB>text for each
//   winctl keys TITLE KEYS   brings the window to the front and types KEYS, a
//                            list of key names (F10, DOWN, UP, RETURN, ESCAPE,
//                            TAB) separated by commas, as the keyboard does
//   winctl settext TITLE N TEXT  puts TEXT in the window's N-th edit box (from 0)
//   winctl press TITLE TEXT  clicks the window's button or check box captioned
//                            TEXT ("&" left out), as a click does; returns at once
// Exit code 0 on success, 1 on time-out, 2 on bad use.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

BOOL CALLBACK PrintChild(HWND child, LPARAM parent) {
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    RECT rect = {};
    GetWindowRect(child, &rect);
    POINT origin = {rect.left, rect.top};
    ScreenToClient(reinterpret_cast<HWND>(parent), &origin);
    const LRESULT length = SendMessageA(child, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(child, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    std::string shown;
    for (char c : text) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    std::printf("%s\t%d\t%ld,%ld,%ld,%ld\t%s\n", className, IsWindowVisible(child) ? 1 : 0,
                origin.x, origin.y, rect.right - rect.left, rect.bottom - rect.top, shown.c_str());
    return TRUE;
}

bool IsBox(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
}

// The window with that caption that is not a message box: a box the program
// opens has the main window's caption too, and may come first.
HWND FindMain(const char* title) {
    HWND first = FindWindowA(nullptr, title);
    for (HWND w = first; w != nullptr; w = FindWindowExA(nullptr, w, nullptr, title)) {
        if (!IsBox(w)) return w;
    }
    return first;
}

struct BoxCount {
    const char* title;
    DWORD process;  // 0: any
    std::string listing;
    int count;
};

BOOL CALLBACK AddBoxText(HWND child, LPARAM out) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (std::strcmp(className, "Static") != 0) return TRUE;
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    *reinterpret_cast<std::string*>(out) += text;
    return TRUE;
}

BOOL CALLBACK CountBox(HWND window, LPARAM param) {
    auto& boxes = *reinterpret_cast<BoxCount*>(param);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (!IsBox(window) || std::strcmp(caption, boxes.title) != 0) return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (boxes.process != 0 && process != boxes.process) return TRUE;
    std::string text;
    EnumChildWindows(window, AddBoxText, reinterpret_cast<LPARAM>(&text));
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    boxes.listing += "box\t" + text + "\n";
    ++boxes.count;
    return TRUE;
}

HWND FindBox(const char* title, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND box = FindWindowA("#32770", title);
        if (box != nullptr || GetTickCount() - start >= ms) return box;
        Sleep(20);
    }
}

// The box's OK button, or its first button.
BOOL CALLBACK FindOk(HWND child, LPARAM out) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (std::strcmp(className, "Button") != 0) return TRUE;
    *reinterpret_cast<HWND*>(out) = child;
    return GetDlgCtrlID(child) == IDOK ? FALSE : TRUE;
}

int ClickOk(HWND box, DWORD ms) {
    HWND ok = nullptr;
    EnumChildWindows(box, FindOk, reinterpret_cast<LPARAM>(&ok));
    if (ok == nullptr) return 1;
    RECT rect = {};
    GetWindowRect(ok, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    const DWORD start = GetTickCount();
    if (SendInput(2, clicks, sizeof(INPUT)) != 2) return 1;
    while (IsWindow(box) && GetTickCount() - start < ms) Sleep(5);
    std::printf("%lu\n", static_cast<unsigned long>(GetTickCount() - start));
    std::fflush(stdout);
    return IsWindow(box) ? 1 : 0;
}

std::string WithoutAmpersands(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c)
        if (*c != '&') out += *c;
    return out;
}

// The virtual key of a name the keys command takes; 0 for none.
WORD KeyOf(const std::string& name) {
    static const struct {
        const char* name;
        WORD key;
    } keys[] = {{"F10", VK_F10},       {"DOWN", VK_DOWN},     {"UP", VK_UP},
                {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"TAB", VK_TAB}};
    for (const auto& k : keys)
        if (name == k.name) return k.key;
    return 0;
}

// Types the keys one after the other, each pressed and let go, with a pause
// for the program to act on it (a menu opens, a dialog comes up).
int TypeKeys(HWND window, const std::string& list) {
    SetForegroundWindow(window);
    Sleep(200);
    std::string::size_type start = 0;
    while (start <= list.size()) {
        const std::string::size_type end = std::min(list.find(',', start), list.size());
        const WORD key = KeyOf(list.substr(start, end - start));
        if (key == 0) return 2;
        INPUT strokes[2] = {};
        strokes[0].type = strokes[1].type = INPUT_KEYBOARD;
        strokes[0].ki.wVk = strokes[1].ki.wVk = key;
        strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (SendInput(2, strokes, sizeof(INPUT)) != 2) return 1;
        Sleep(150);
        start = end + 1;
    }
    return 0;
}

struct ChildSearch {
    const char* className;  // nullptr: any
    std::string text;       // empty: any
    int skip;               // matches to pass over first
    HWND found;
};

BOOL CALLBACK FindChild(HWND child, LPARAM param) {
    auto& search = *reinterpret_cast<ChildSearch*>(param);
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    if (search.className != nullptr && std::strcmp(className, search.className) != 0) return TRUE;
    if (!search.text.empty()) {
        char text[256] = {};
        GetWindowTextA(child, text, sizeof text);
        if (WithoutAmpersands(text) != search.text) return TRUE;
    }
    if (search.skip-- > 0) return TRUE;
    search.found = child;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: winctl wait|close|children|box|ok|click|boxrect|boxes TITLE [MS]\n"
                     "       winctl keys|press TITLE TEXT; winctl settext TITLE N TEXT\n");
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
    if (std::strcmp(argv[1], "box") == 0 || std::strcmp(argv[1], "ok") == 0) {
        HWND box = FindBox(title, ms);
        if (box == nullptr) return 1;
        if (argv[1][0] == 'b') {
            EnumChildWindows(box, PrintChild, reinterpret_cast<LPARAM>(box));
            std::fflush(stdout);
            return 0;
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        const DWORD start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start < ms) Sleep(20);
        return IsWindow(box) ? 1 : 0;
    }
    if (std::strcmp(argv[1], "click") == 0) {
        HWND box = FindBox(title, ms);
        return box == nullptr ? 1 : ClickOk(box, ms);
    }
    if (std::strcmp(argv[1], "boxrect") == 0) {
        HWND box = FindBox(title, 0);
        if (box == nullptr) return 1;
        RECT rect = {};
        GetWindowRect(box, &rect);
        std::printf("%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top);
        std::fflush(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "boxes") == 0) {
        BoxCount boxes{title, 0, "", 0};
        HWND window = FindMain(title);
        if (window != nullptr && !IsBox(window)) GetWindowThreadProcessId(window, &boxes.process);
        EnumWindows(CountBox, reinterpret_cast<LPARAM>(&boxes));
        std::printf("%d\n%s", boxes.count, boxes.listing.c_str());
        std::fflush(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "children") == 0) {
        HWND window = FindMain(title);
        if (window == nullptr) return 1;
        EnumChildWindows(window, PrintChild, reinterpret_cast<LPARAM>(window));
        std::fflush(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "keys") == 0 && argc > 3) {
        HWND window = FindMain(title);
        return window == nullptr ? 1 : TypeKeys(window, argv[3]);
    }
    if (std::strcmp(argv[1], "settext") == 0 && argc > 4) {
        HWND window = FindMain(title);
        if (window == nullptr) return 1;
        ChildSearch search{"Edit", "", std::atoi(argv[3]), nullptr};
        EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) return 1;
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(search.found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                                   SMTO_ABORTIFHUNG, 5000, &ignored) != 0
                   ? 0
                   : 1;
    }
    if (std::strcmp(argv[1], "press") == 0 && argc > 3) {
        HWND window = FindMain(title);
        if (window == nullptr) return 1;
        ChildSearch search{nullptr, argv[3], 0, nullptr};
        EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) return 1;
        // Posted: the click may open a modal loop of its own.
        PostMessageA(search.found, BM_CLICK, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "winctl: unknown command %s\n", argv[1]);
    return 2;
}
