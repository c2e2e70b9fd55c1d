// The toolkit on real windows under wine: a window read from a layout with
// every kind of control, checked through the controls themselves; the
// pictures; the error report box and plain message box read back while they
// are open; modal dialogs with nested loops driven from another thread as a
// user would. A picture of the window is kept as ui_wine_window.bmp.
#include <gtest/gtest.h>
#include <richedit.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/seam.h"
#include "platform/win32/posted_ticks_win32.h"
#include "sample_form.h"
#include "screen_shot.h"
#include "ui/application.h"
#include "ui/glyphs.h"
#include "ui/win32/widget_set_win32.h"
#include "win32_windows.h"

namespace {

// Waits up to ms for the condition, sleeping between looks (another thread's view).
bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 10000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(10);
    }
    return true;
}

struct BoxContents {
    std::string caption;
    std::vector<std::string> texts;  // the static texts
    HICON icon = nullptr;
    bool iconShown = false;
    int buttons = 0;
};

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM data) {
    auto* box = reinterpret_cast<BoxContents*>(data);
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child)) ++box->buttons;
    if (lstrcmpiA(className, "Static") != 0) return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box->icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        box->iconShown = IsWindowVisible(child) != 0 && box->icon != nullptr;
    } else {
        const std::string text = WindowText(child);
        if (!text.empty()) box->texts.push_back(text);
    }
    return TRUE;
}

// This process's message box captioned "Vareli", if one is up. Other test
// programs running beside this one show boxes with that caption too.
HWND OwnBox() {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", "Vareli")) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (process == GetCurrentProcessId()) return box;
    }
    return nullptr;
}

// From another thread: waits for the program's message box, reads it and
// presses its OK button.
bool ReadAndConfirmBox(BoxContents* contents) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = OwnBox()) != nullptr; })) return false;
    contents->caption = WindowText(box);
    EnumChildWindows(box, ReadBoxChild, reinterpret_cast<LPARAM>(contents));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return WaitUntil([&] { return !IsWindow(box); });
}

class RealWindows : public ::testing::Test {
  protected:
    RealWindows() {
        app.SetTitle("Vareli");
        app.CreateForm(form);
    }
    HWND Window() { return WindowOf(form); }

    TWin32WidgetSet widgets{GetModuleHandleA(nullptr)};
    ScopedSeam<IWidgetSet> seam{&widgets};
    TApplication app{nullptr, widgets};
    TSampleForm* form = nullptr;
};

TEST_F(RealWindows, WindowFromTheLayoutStandsAsLaidOut) {
    form->Show();
    app.ProcessMessages();
    HWND window = Window();

    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "TSampleForm");
    EXPECT_EQ(WindowText(window), "Toolkit sample");
    RECT outer = {};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 220);
    EXPECT_EQ(outer.top, 166);
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 433);
    EXPECT_EQ(client.bottom, 314);
    EXPECT_EQ(form->Height(), outer.bottom - outer.top);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE((style & WS_THICKFRAME) && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) &&
                (style & WS_MAXIMIZEBOX));

    EXPECT_EQ(ChildBounds(WindowOf(form->memo1)), (TBounds{0, 0, 433, 200}));
    EXPECT_EQ(ChildBounds(WindowOf(form->ComboBox1)), (TBounds{8, 224, 105, 21}));
    EXPECT_EQ(ChildBounds(WindowOf(form->ComboBox2)), (TBounds{120, 224, 105, 21}));
    EXPECT_EQ(ChildBounds(WindowOf(form->CheckBox1)), (TBounds{240, 226, 105, 17}));
    EXPECT_EQ(ChildBounds(WindowOf(form->BitBtn1)), (TBounds{264, 284, 75, 25}));
    EXPECT_EQ(ChildBounds(WindowOf(form->BitBtn2)), (TBounds{357, 284, 75, 25}));
    EXPECT_EQ(ChildBounds(WindowOf(form->Label2)), (TBounds{0, 294, 51, 13}));
    // An auto-sized label takes its text's size in its font.
    const TBounds label3 = ChildBounds(WindowOf(form->Label3));
    EXPECT_EQ(label3.Left, 120);
    EXPECT_EQ(label3.Top, 280);
    EXPECT_GT(label3.Width, 20);
    EXPECT_GT(label3.Height, 8);
    EXPECT_EQ(form->Label3->Width(), label3.Width);

    EXPECT_EQ(WindowText(WindowOf(form->Label1)), "Taajuus yl\xE4raja");
    EXPECT_EQ(WindowText(WindowOf(form->Label2)), "DDE link");
    EXPECT_FALSE(IsWindowVisible(WindowOf(form->Label2)));
    EXPECT_EQ(WindowText(WindowOf(form->BitBtn1)), "OK");
    EXPECT_EQ(WindowText(WindowOf(form->CheckBox1)), "Ohjaa porttiin");
    EXPECT_EQ(WindowText(WindowOf(form->ComboBox2)), "ComboBox1");

    // The combo box offers its items in the layout's order, 8 at a time.
    HWND combo = WindowOf(form->ComboBox2);
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 12);
    char item[32] = {};
    SendMessageA(combo, CB_GETLBTEXT, 11, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "432000");
    SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "1800");
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    RECT list = {};
    GetClientRect(info.hwndList, &list);
    const auto rowHeight = SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(list.bottom / rowHeight, 8);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);

    // Tab order as the layout gives it, whatever the table's order.
    std::vector<HWND> order;
    HWND next = WindowOf(form->memo1);
    for (int i = 0; i < 6; ++i) {
        order.push_back(next);
        next = GetNextDlgTabItem(window, next, FALSE);
    }
    EXPECT_EQ(order, (std::vector<HWND>{WindowOf(form->memo1), WindowOf(form->ComboBox1),
                                        WindowOf(form->ComboBox2), WindowOf(form->CheckBox1),
                                        WindowOf(form->BitBtn1), WindowOf(form->BitBtn2)}));

    HMENU menu = GetMenu(window);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 2);
    EXPECT_NE(MenuCommand(window, {"Tiedosto", "Sulje"}), 0u);
    // No accelerator letters: an "&" is shown as written (stored doubled).
    form->Sulje1->SetCaption("Sulje & lopeta");
    EXPECT_NE(MenuCommand(window, {"Tiedosto", "Sulje && lopeta"}), 0u);

    // Label2's own font: bold, 11 pixels, MS Sans Serif.
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(WindowOf(form->Label2), WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
}

TEST_F(RealWindows, SpotViewIsAReadOnlyUnwrappedViewWithItsOwnLimitAndColours) {
    form->Show();
    HWND view = WindowOf(form->memo1);
    char className[64] = {};
    GetClassNameA(view, className, sizeof className);
    EXPECT_STREQ(className, "RichEdit20A");
    // wine keeps the read-only state in the control's options, not in its style.
    EXPECT_TRUE(SendMessageA(view, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
    EXPECT_EQ(SendMessageA(view, EM_GETLIMITTEXT, 0, 0), TRichEdit::kDefaultTextLimit);
    // Enter and Tab are left to the form.
    EXPECT_EQ(SendMessageA(view, WM_GETDLGCODE, 0, 0) & (DLGC_WANTALLKEYS | DLGC_WANTTAB), 0);
    // The background is the tooltip colour: setting it again answers the old one.
    EXPECT_EQ(
        static_cast<COLORREF>(SendMessageA(view, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_INFOBK))),
        GetSysColor(COLOR_INFOBK));

    const std::string wide(600, 'x');
    form->memo1->AppendLine(wide);
    form->memo1->AppendLine(" 14025.0 OH2BH        cq dx            OH1AA 1234Z", clRed);
    form->memo1->AppendLine(" 7012.0 DL1ABC       599                K1XX 1235Z");
    // Not wrapped: the 600 characters are one line.
    EXPECT_EQ(form->memo1->LineCount(), 3);
    EXPECT_EQ(SendMessageA(view, EM_GETLINECOUNT, 0, 0), 4);  // with the empty one after

    // The vertical scroll bar comes once the lines fill the view (RichEdit
    // shows it only when needed); there is never a horizontal one.
    for (int i = 0; i < 30; ++i) form->memo1->AppendLine("filler " + std::to_string(i));
    const LONG style = GetWindowLongA(view, GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL);

    // Each line's colour, read back from the control.
    const COLORREF expected[] = {RGB(0, 0, 128), RGB(255, 0, 0), RGB(0, 0, 128)};
    for (int line = 0; line < 3; ++line) {
        const auto start = static_cast<LONG>(SendMessageA(view, EM_LINEINDEX, line, 0));
        const auto length = static_cast<LONG>(SendMessageA(view, EM_LINELENGTH, start, 0));
        CHARRANGE whole = {start, start + length};
        SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&whole));
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_COLOR;
        SendMessageA(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        // The mask keeps CFM_COLOR only when the whole line has one colour.
        EXPECT_TRUE(format.dwMask & CFM_COLOR) << "line " << line;
        EXPECT_EQ(format.crTextColor, expected[line]) << "line " << line;
    }
    // And its text through EM_GETLINE, the control's own line read.
    char buffer[128] = {};
    *reinterpret_cast<WORD*>(buffer) = sizeof buffer - 1;
    const auto copied = SendMessageA(view, EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer));
    std::string line(buffer, static_cast<size_t>(copied));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    EXPECT_EQ(line, " 14025.0 OH2BH        cq dx            OH1AA 1234Z");
    EXPECT_EQ(form->memo1->Line(1), " 14025.0 OH2BH        cq dx            OH1AA 1234Z");
}

TEST_F(RealWindows, ComboBoxKeepsWhatIsTypedIntoIt) {
    form->Show();
    HWND edit = EditOf(WindowOf(form->ComboBox1));
    ASSERT_NE(edit, nullptr);
    const std::string typed = std::string(2000, '3') + " abc";
    TypeInto(edit, typed);
    EXPECT_EQ(form->ComboBox1->Text(), typed);
    TypeInto(edit, "Com10");
    EXPECT_EQ(form->ComboBox1->Text(), "Com10");
    EXPECT_EQ(WindowText(WindowOf(form->ComboBox1)), "Com10");
}

TEST_F(RealWindows, GlyphsAreTheProgramsOwnBitmaps) {
    struct Expected {
        const char* name;
        int size;
    };
    for (const Expected& glyph :
         {Expected{kGlyphCheck, kGlyphCheckSize}, Expected{kGlyphCross, kGlyphCrossSize}}) {
        auto* bitmap = static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), glyph.name, IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(bitmap, nullptr) << glyph.name;
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, glyph.size * kGlyphImages) << glyph.name;
        EXPECT_EQ(info.bmHeight, glyph.size) << glyph.name;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF transparent = GetPixel(dc, 0, glyph.size - 1);
        EXPECT_EQ(transparent, RGB(255, 0, 255)) << glyph.name;
        if (glyph.size == kGlyphCrossSize) {
            const int middle = glyph.size / 2;
            EXPECT_EQ(GetPixel(dc, middle, middle), RGB(255, 0, 0));  // a red cross
            // The disabled one: a grey outline, hollow inside.
            EXPECT_EQ(GetPixel(dc, glyph.size + middle, middle), transparent);
            EXPECT_EQ(GetPixel(dc, glyph.size + 2, 2), RGB(128, 128, 128));
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
}

TEST_F(RealWindows, PictureOfTheWindowIsKeptAndShowsTheColours) {
    form->Show();
    form->Label2->Show();
    form->Label3->SetCaption("Alkoi: 7.12.2026 9:30:00");
    form->memo1->AppendLine(" 14025.0 OH2BH        cq dx            OH1AA 1234Z  7.12.2026", clRed);
    form->memo1->AppendLine(" 7012.0 DL1ABC       599                K1XX 1235Z  7.12.2026");
    form->memo1->AppendLine(" 3512.5 G4XYZ        tnx qso           F5AB 1236Z  7.12.2026");
    form->BitBtn1->SetEnabled(false);  // its greyed picture shows too
    app.ProcessMessages();
    ASSERT_TRUE(SaveWindowShot(Window(), "ui_wine_window.bmp"));
    // The "DDE link" label is opaque green.
    EXPECT_EQ(ClientPixel(Window(), 1, 295), RGB(0, 128, 0));
    // The view's background is the tooltip colour where there is no text.
    EXPECT_EQ(ClientPixel(Window(), 420, 190), GetSysColor(COLOR_INFOBK));
}

TEST_F(RealWindows, ReportBoxShowsTheErrorAndTheLoopGoesOn) {
    std::atomic<int> secondClicks{0};
    form->onHandler = [&](const std::string& handler) {
        if (handler == "BitBtn1Click") throw Exception("Something went wrong");
        if (handler == "BitBtn2Click") ++secondClicks;
    };
    form->Show();
    HWND window = Window();
    HWND first = WindowOf(form->BitBtn1);
    HWND second = WindowOf(form->BitBtn2);
    BoxContents box;
    bool boxRead = false;
    bool goneOn = false;
    std::thread user([&] {
        PostMessageA(first, BM_CLICK, 0, 0);
        boxRead = ReadAndConfirmBox(&box);
        PostMessageA(second, BM_CLICK, 0, 0);
        goneOn = WaitUntil([&] { return secondClicks == 1; });
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    app.Run();
    user.join();
    ASSERT_TRUE(boxRead);
    EXPECT_EQ(box.caption, "Vareli");
    EXPECT_EQ(box.texts, (std::vector<std::string>{"Something went wrong."}));
    EXPECT_TRUE(box.iconShown);
    EXPECT_EQ(box.icon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_ERROR)));
    EXPECT_EQ(box.buttons, 1);
    EXPECT_TRUE(goneOn);
    EXPECT_TRUE(app.Terminated());
}

TEST_F(RealWindows, PlainMessageBoxHasTheTitleTheTextAndNoIcon) {
    form->onHandler = [&](const std::string& handler) {
        if (handler == "BitBtn2Click") app.ShowMessage("Error writing to: Com2");
    };
    form->Show();
    HWND window = Window();
    HWND button = WindowOf(form->BitBtn2);
    BoxContents box;
    bool boxRead = false;
    std::thread user([&] {
        PostMessageA(button, BM_CLICK, 0, 0);
        boxRead = ReadAndConfirmBox(&box);
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    app.Run();
    user.join();
    ASSERT_TRUE(boxRead);
    EXPECT_EQ(box.caption, "Vareli");
    EXPECT_EQ(box.texts, (std::vector<std::string>{"Error writing to: Com2"}));
    EXPECT_FALSE(box.iconShown);
    EXPECT_EQ(box.buttons, 1);
}

TEST_F(RealWindows, ModalDialogsNestAndAFailingCloseKeepsTheDialogOpen) {
    TSampleForm* dialog = nullptr;
    TSampleForm* inner = nullptr;
    app.CreateForm(dialog);
    app.CreateForm(inner);
    dialog->SetCaption("Dialog");
    inner->SetCaption("Inner");
    form->Show();
    int closeFailures = 1;
    dialog->onHandler = [&](const std::string& handler) {
        if (handler == "BitBtn2Click") inner->ShowModal();
        if (handler == "BitBtn1Click") dialog->Close();
        if (handler == "FormClose" && closeFailures-- > 0) throw EInOutError(5);
    };
    HWND main = Window();
    HWND dialogWindow = WindowOf(dialog);
    HWND innerWindow = WindowOf(inner);
    std::vector<std::string> seen;
    BoxContents box;
    std::thread user([&] {
        auto note = [&](const std::string& what) {
            seen.push_back(what + ": main " + (IsWindowEnabled(main) ? "on" : "off") + ", dialog " +
                           (IsWindowEnabled(dialogWindow) ? "on" : "off"));
        };
        WaitUntil([&] { return IsWindowVisible(dialogWindow) != 0; });
        note("dialog open");
        PostMessageA(WindowOf(dialog->BitBtn2), BM_CLICK, 0, 0);
        WaitUntil([&] { return IsWindowVisible(innerWindow) != 0; });
        note("inner open");
        PostMessageA(innerWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitUntil([&] { return !IsWindowVisible(innerWindow) && IsWindowEnabled(dialogWindow); });
        note("inner closed");
        // The first close fails: reported, and the dialog stays.
        PostMessageA(WindowOf(dialog->BitBtn1), BM_CLICK, 0, 0);
        ReadAndConfirmBox(&box);
        Sleep(100);
        note(IsWindowVisible(dialogWindow) ? "after failed close, dialog shown"
                                           : "after failed close, dialog gone");
        PostMessageA(dialogWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    const int result = dialog->ShowModal();
    user.join();
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "dialog open: main off, dialog on", "inner open: main off, dialog off",
                        "inner closed: main off, dialog on",
                        "after failed close, dialog shown: main off, dialog on"}));
    EXPECT_EQ(box.texts, (std::vector<std::string>{"File access denied."}));
    EXPECT_FALSE(IsWindowVisible(dialogWindow));
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(std::count(dialog->log.begin(), dialog->log.end(), "FormClose"), 2);
}

// Takes the one tick message waiting for window, if any: {taken, accepted}.
std::pair<bool, bool> TakeTick(PostedTicks& ticks, HWND window, UINT message) {
    MSG tick;
    if (!PeekMessageA(&tick, window, message, message, PM_REMOVE)) return {false, false};
    return {true, ticks.Take(tick.wParam, tick.lParam)};
}

// Timers: a tick must come while posted messages keep arriving (a WM_TIMER
// never would), and a timer stopped while its tick is already posted does
// not tick. The ticks themselves: one posted before its timer stopped or was
// started again is told apart from the new start's.
TEST(Win32Timers, TickAmidPostedMessagesAndNoneAfterStop) {
    TWin32WidgetSet widgets{GetModuleHandleA(nullptr)};
    bool quit = false;
    int ticks = 0;
    const int timer = widgets.StartTimer(20, [&] { ++ticks; });
    ASSERT_NE(timer, 0);
    // Each call posts the next: the queue is never empty until three ticks
    // came, or until a bound that only keeps a failing run finite.
    const DWORD start = GetTickCount();
    std::function<void()> next = [&] {
        if (ticks < 3 && GetTickCount() - start < 10000) widgets.PostCall(next);
    };
    widgets.PostCall(next);
    while (widgets.ProcessMessage(&quit)) {
    }
    EXPECT_GE(ticks, 3);
    widgets.StopTimer(timer);
    while (widgets.ProcessMessage(&quit)) {
    }

    // Its tick posted and waiting when it stops.
    int lateTicks = 0;
    const int stopped = widgets.StartTimer(10, [&] { ++lateTicks; });
    ASSERT_NE(stopped, 0);
    const UINT waiting = QS_POSTMESSAGE | QS_TIMER;
    ASSERT_TRUE(WaitUntil([&] { return (HIWORD(GetQueueStatus(waiting)) & waiting) != 0; }));
    widgets.StopTimer(stopped);
    while (widgets.ProcessMessage(&quit)) {
    }
    EXPECT_EQ(lateTicks, 0);
    EXPECT_FALSE(quit);

    // The thread busy for longer than a period, taking no message: the tick
    // is posted and waits when its timer starts again, or stops.
    const UINT message = WM_APP + 7;
    const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const auto posted = [&] {
        MSG peeked;
        return WaitUntil(
            [&] { return PeekMessageA(&peeked, window, message, message, PM_NOREMOVE); });
    };
    using Taken = std::pair<bool, bool>;
    {
        PostedTicks ticks(message);
        ASSERT_TRUE(ticks.Start(window, 5, 10));
        ASSERT_TRUE(posted());
        EXPECT_EQ(TakeTick(ticks, window, message), Taken(true, true));
        ASSERT_TRUE(posted());
        ASSERT_TRUE(ticks.Start(window, 5, 600000));  // no tick of its own in this test
        EXPECT_EQ(TakeTick(ticks, window, message), Taken(true, false));
        EXPECT_EQ(TakeTick(ticks, window, message), Taken(false, false));
        ASSERT_TRUE(ticks.Start(window, 6, 10));
        ASSERT_TRUE(posted());
        ticks.Stop(6);
        EXPECT_EQ(TakeTick(ticks, window, message), Taken(true, false));
        EXPECT_EQ(TakeTick(ticks, window, message), Taken(false, false));
    }
    DestroyWindow(window);
}

}  // namespace
