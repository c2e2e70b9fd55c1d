// The system's open-file dialog through the widget set, and the "Seuranta"
// dialog on real windows under wine: another thread finds the file dialog
// (class "#32770", the program's own), types a file name into it and presses
// OK, or cancels; the path that comes back, the working folder after it, and
// the dialog's controls as they stand on the screen. A picture of "Seuranta"
// is kept as watch_wine_dialog.bmp beside the test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CommInt/comm.h"
#include "asetus/settings_dialog.h"
#include "asetus/watch_dialog.h"
#include "platform/seam.h"
#include "platform/win32/comm_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/sync_win32.h"
#include "screen_shot.h"
#include "ui/application.h"
#include "ui/win32/widget_set_win32.h"
#include "win32_windows.h"
#include "working_folder.h"

namespace {

constexpr const char* kTitle = "Valitse ADIF-loki";
// The file dialog's controls (dlgs.h): the file name's combo box in the
// explorer-style dialog, the older plain edit field.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

// This process's file dialog with that title, if one is up.
HWND OwnFileDialog() {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExA(nullptr, dialog, "#32770", kTitle)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(dialog, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(dialog)) return dialog;
    }
    return nullptr;
}

HWND FileNameField(HWND dialog) {
    HWND combo = GetDlgItem(dialog, kFileNameCombo);
    if (combo != nullptr) {
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        return edit != nullptr ? edit : combo;
    }
    return GetDlgItem(dialog, kFileNameEdit);
}

// What the user saw and did in the file dialog.
struct FileDialogVisit {
    bool found = false;
    bool ownerDisabled = false;
    std::string shownName;  // the file name field when it came up
};

// Any other window of this process of the dialogs' class: a message box the
// file dialog put up over itself.
HWND OwnBoxBesides(HWND dialog) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (box != dialog && process == GetCurrentProcessId() && IsWindowVisible(box)) return box;
    }
    return nullptr;
}

void Press(HWND dialog, int button) {
    DWORD_PTR ignored = 0;
    // Bounded: a press that puts up a box of its own returns only when it goes.
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)), SMTO_NORMAL, 3000,
                        &ignored);
}

// From another thread: waits for the file dialog and notes what it shows,
// then types each of the names into its file name field and presses OK
// after each (a folder's name takes the dialog there, as a user browses);
// with no names, cancels.
void AnswerFileDialog(const std::vector<std::string>& names, HWND owner, FileDialogVisit* visit) {
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = OwnFileDialog()) != nullptr; })) return;
    HWND field = nullptr;
    WaitUntil([&] { return (field = FileNameField(dialog)) != nullptr; });
    visit->found = field != nullptr;
    visit->ownerDisabled = owner != nullptr && IsWindowEnabled(owner) == 0;
    if (field != nullptr) visit->shownName = WindowText(field);
    for (const std::string& name : names) {
        if (field == nullptr || !IsWindow(dialog)) break;
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        Press(dialog, IDOK);
    }
    if (names.empty()) Press(dialog, IDCANCEL);
    // Whatever happened (a name refused with a box), the dialog must not
    // keep the test waiting.
    while (!WaitUntil([&] { return !IsWindow(dialog); }, 3000)) {
        if (HWND box = OwnBoxBesides(dialog)) PostMessageA(box, WM_COMMAND, IDOK, 0);
        Sleep(200);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

class FileDialogOnWine : public ::testing::Test {
  protected:
    FileDialogOnWine() {
        app.SetTitle("Vareli");
        app.CreateForm(mainForm);
        mainForm->Show();
        // A log in a folder of its own, with brackets and a blank in its name.
        logFolder = folder.Path() + "\\lokit [1]";
        CreateDirectoryA(logFolder.c_str(), nullptr);
        logPath = logFolder + "\\oh2bh.adi";
        HANDLE file = CreateFileA(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        made = file != INVALID_HANDLE_VALUE;
        CloseHandle(file);
    }
    ~FileDialogOnWine() override {
        DeleteFileA(logPath.c_str());
        RemoveDirectoryA(logFolder.c_str());
    }

    // Opens the dialog on the main thread while `name` is given to it.
    std::optional<std::string> Open(const std::vector<std::string>& names,
                                    const std::string& initialPath, FileDialogVisit* visit) {
        HWND owner = WindowOf(mainForm);
        std::thread person([&] { AnswerFileDialog(names, owner, visit); });
        const auto chosen = widgets.OpenFileDialog(
            &mainForm->FormPeer(), kTitle,
            {{"ADIF-lokit (*.adi;*.adif)", "*.adi;*.adif"}, {"Kaikki tiedostot (*.*)", "*.*"}},
            initialPath);
        person.join();
        return chosen;
    }

    WorkingFolder folder;
    TWin32WidgetSet widgets{GetModuleHandleA(nullptr)};
    ScopedSeam<IWidgetSet> widgetSeam{&widgets};
    TApplication app{nullptr, widgets};
    TForm* mainForm = nullptr;
    std::string logFolder;
    std::string logPath;
    bool made = false;
};

// A file chosen in another folder comes back as its full path; the dialog
// is modal to its owner; the working folder stays where it was, so the
// settings file is still found.
TEST_F(FileDialogOnWine, TheChosenFileComesBackWholeAndTheWorkingFolderStays) {
    ASSERT_TRUE(folder.Entered() && made);
    const std::string before = CurrentFolder();
    FileDialogVisit visit;
    EXPECT_EQ(Open({logFolder, "oh2bh.adi"}, "", &visit), std::optional<std::string>(logPath));
    EXPECT_TRUE(visit.found);
    EXPECT_TRUE(visit.ownerDisabled);
    EXPECT_EQ(visit.shownName, "");
    EXPECT_EQ(CurrentFolder(), before);
    EXPECT_TRUE(IsWindowEnabled(WindowOf(mainForm)));
}

TEST_F(FileDialogOnWine, CancelGivesNothing) {
    ASSERT_TRUE(folder.Entered() && made);
    FileDialogVisit visit;
    EXPECT_EQ(Open({}, "", &visit), std::nullopt);
    EXPECT_TRUE(visit.found);
}

// Given a path, it opens in that file's folder with the name filled in, so
// OK alone chooses it again.
TEST_F(FileDialogOnWine, ItOpensAtTheInitialPath) {
    ASSERT_TRUE(folder.Entered() && made);
    FileDialogVisit visit;
    const auto chosen = Open({"oh2bh.adi"}, logPath, &visit);
    EXPECT_EQ(chosen, std::optional<std::string>(logPath));
    EXPECT_NE(visit.shownName.find("oh2bh.adi"), std::string::npos) << visit.shownName;
}

// A hand-typed text that is no file name does not keep the user from
// choosing. (Windows refuses to open with it, and the widget set then opens
// without it; wine shows it as typed.)
TEST_F(FileDialogOnWine, ATextThatIsNoFileNameStillLetsTheUserChoose) {
    ASSERT_TRUE(folder.Entered() && made);
    FileDialogVisit visit;
    std::optional<std::string> chosen;
    EXPECT_NO_THROW(chosen = Open({logPath}, "a<b>|c\"d.adi", &visit));
    EXPECT_TRUE(visit.found);
    EXPECT_EQ(chosen, std::optional<std::string>(logPath));
}

// "Seuranta" on real windows: "Selaa..." fills the edit with the chosen
// path, OK stores it; the new controls all stand inside the client area,
// none over another.
class WatchDialogOnWine : public FileDialogOnWine {
  protected:
    WatchDialogOnWine() {
        app.CreateForm(settings);
        app.CreateForm(watch);
        settings->Watch = watch->Controls();
        settings->ReadSettings = [this] { ReadSettingsFile(settings->Controls(), comm); };
        watch->StoreSettings = [this] { settings->StoreSettings(); };
    }

    Win32Files files;
    Win32Sync sync;
    Win32Comm commCalls;
    ScopedSeam<IFiles> filesSeam{&files};
    ScopedSeam<ISync> syncSeam{&sync};
    ScopedSeam<IComm> commSeam{&commCalls};
    TComm comm{nullptr};
    TForm3* settings = nullptr;
    TForm5* watch = nullptr;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

TEST_F(WatchDialogOnWine, BrowsingFillsThePathAndEveryControlFits) {
    ASSERT_TRUE(folder.Entered() && made);
    const std::string shotPath = ProgramFolder() + "watch_wine_dialog.bmp";
    watch->SetCountryStatus(
        "Maatiedostoa cty.csv ei l\xF6ytynyt: maat eiv\xE4t ole k\xE4yt\xF6ss\xE4.");
    watch->SetLogStatus("Luettu 1234 yhteytt\xE4, ohitettu 2.");
    HWND window = WindowOf(watch);
    std::string shownPath;
    FileDialogVisit visit;
    std::atomic<bool> shot{false};
    std::thread person([&] {
        if (!WaitUntil([&] { return IsWindowVisible(window) != 0; })) return;
        PostMessageA(WindowOf(watch->BitBtn2), BM_CLICK, 0, 0);
        AnswerFileDialog({logPath}, window, &visit);
        WaitUntil([&] { return WindowText(WindowOf(watch->Edit3)) == logPath; }, 5000);
        shownPath = WindowText(WindowOf(watch->Edit3));
        std::atomic<bool> done{false};
        widgets.PostCall([&] {
            shot = SaveWindowShot(window, shotPath);
            done = true;
        });
        WaitUntil([&] { return done.load(); });
        PostMessageA(WindowOf(watch->BitBtn1), BM_CLICK, 0, 0);
        if (!WaitUntil([&] { return !IsWindowVisible(window); }, 5000))
            PostMessageA(window, WM_CLOSE, 0, 0);
    });
    watch->ShowModal();
    person.join();
    EXPECT_TRUE(visit.found);
    EXPECT_TRUE(visit.ownerDisabled);
    EXPECT_EQ(shownPath, logPath);
    EXPECT_TRUE(shot) << shotPath;
    EXPECT_EQ(watch->AdifPath(), logPath);
    const std::string file = ReadWhole("vareli.ini");
    EXPECT_NE(file.find("\r\n[ADIF]" + logPath + "\r\n"), std::string::npos) << file;

    RECT client = {};
    GetClientRect(window, &client);
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    EXPECT_EQ(children.size(), 16u);
    std::vector<TBounds> bounds;
    for (HWND child : children) {
        const TBounds b = ChildBounds(child);
        EXPECT_TRUE(b.Width > 0 && b.Height > 0 && b.Left >= 0 && b.Top >= 0 &&
                    b.Left + b.Width <= client.right && b.Top + b.Height <= client.bottom)
            << WindowText(child);
        for (size_t j = 0; j < bounds.size(); ++j) {
            const TBounds& a = bounds[j];
            EXPECT_FALSE(a.Left < b.Left + b.Width && b.Left < a.Left + a.Width &&
                         a.Top < b.Top + b.Height && b.Top < a.Top + a.Height)
                << WindowText(children[j]) << " and " << WindowText(child);
        }
        bounds.push_back(b);
    }
}

}  // namespace
