// The settings dialog on real windows under wine: the real TForm3 shown
// modally while another thread acts as the user with the messages the system
// sends for typing and clicking; closed by OK and by the close box; the file
// in a fresh working folder read back byte for byte and the controls read
// back from the windows. A picture of the dialog, as it stands after a round
// trip, is kept as settings_wine_dialog.bmp beside the test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "CommInt/comm.h"
#include "asetus/settings_dialog.h"
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

class SettingsDialogOnWine : public ::testing::Test {
  protected:
    SettingsDialogOnWine() {
        app.SetTitle("Vareli");
        app.CreateForm(mainForm);
        app.CreateForm(dialog);
        mainForm->Show();
        // What the main window's settings reader does.
        dialog->ReadSettings = [this] { ReadSettingsFile(dialog->Controls(), comm); };
    }

    // Shows the dialog modally while `user` runs on another thread; the user
    // gets the dialog's window once it is on the screen.
    void ShowModalWith(const std::function<void(HWND)>& user) {
        HWND window = WindowOf(dialog);
        std::atomic<bool> shown{false};
        std::thread person([&] {
            shown = WaitUntil([&] { return IsWindowVisible(window) != 0; });
            if (shown) user(window);
            // Whatever happened, the dialog must not keep the test waiting.
            if (!WaitUntil([&] { return !IsWindowVisible(window); }, 5000))
                PostMessageA(window, WM_CLOSE, 0, 0);
        });
        dialog->ShowModal();
        person.join();
        ASSERT_TRUE(shown) << "the dialog never came on the screen";
    }
    // Runs the call on the main thread (from the user's thread) and waits for it.
    void OnMainThread(const std::function<void()>& call) {
        std::atomic<bool> done{false};
        widgets.PostCall([&] {
            call();
            done = true;
        });
        WaitUntil([&] { return done.load(); });
    }

    static void Type(TComboBox* box, const std::string& text) {
        TypeInto(EditOf(WindowOf(box)), text);
    }
    static bool Checked(TCheckBox* box) {
        return SendMessageA(WindowOf(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::vector<std::string> Shown() const {
        return {WindowText(WindowOf(dialog->ComboBox1)), WindowText(WindowOf(dialog->ComboBox2)),
                WindowText(WindowOf(dialog->ComboBox3))};
    }

    Win32Files files;
    Win32Sync sync;
    Win32Comm commCalls;
    ScopedSeam<IFiles> filesSeam{&files};
    ScopedSeam<ISync> syncSeam{&sync};
    ScopedSeam<IComm> commSeam{&commCalls};
    WorkingFolder folder;
    TWin32WidgetSet widgets{GetModuleHandleA(nullptr)};
    ScopedSeam<IWidgetSet> widgetSeam{&widgets};
    TComm comm{nullptr};
    TApplication app{nullptr, widgets};
    TForm* mainForm = nullptr;
    TForm3* dialog = nullptr;
};

TEST_F(SettingsDialogOnWine, OkStoresWhatWasTypedAndShowsWhatWasReadBack) {
    ASSERT_TRUE(folder.Entered());
    std::vector<std::string> before;
    bool mainDisabled = false;
    std::string caption;
    ShowModalWith([&](HWND window) {
        caption = WindowText(window);
        mainDisabled = !IsWindowEnabled(WindowOf(mainForm));
        before = Shown();
        Type(dialog->ComboBox1, "3500");
        Type(dialog->ComboBox2, "14000123");  // longer than the old reader kept
        Type(dialog->ComboBox3, "Com10");
        SendMessageA(WindowOf(dialog->CheckBox1), BM_CLICK, 0, 0);
        PostMessageA(WindowOf(dialog->BitBtn1), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(caption, "Asetukset");
    EXPECT_TRUE(mainDisabled);
    EXPECT_EQ(before, (std::vector<std::string>{"ComboBox1", "ComboBox1", "ComboBox3"}));

    EXPECT_EQ(ReadWhole("vareli.ini"),
              "[COMPort]Com10\r\n[AlaMHZ]3500\r\n[YlaMHZ]14000123\r\n[Com]1\r\n");
    // Written in place: nothing but the file is left in the folder.
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"vareli.ini"});
    // Read back at once, whole.
    EXPECT_EQ(Shown(), (std::vector<std::string>{"3500", "14000123", "Com10"}));
    EXPECT_TRUE(Checked(dialog->CheckBox1));
    EXPECT_EQ(comm.DeviceName(), "Com10");
    EXPECT_FALSE(IsWindowVisible(WindowOf(dialog)));
    EXPECT_TRUE(IsWindowEnabled(WindowOf(mainForm)));
}

TEST_F(SettingsDialogOnWine, CloseBoxStoresAndReadsBackToo) {
    ASSERT_TRUE(folder.Entered());
    // A first round by OK leaves a file; the second, by the close box,
    // replaces it with what was typed then.
    ShowModalWith([&](HWND) {
        Type(dialog->ComboBox1, "1800");
        Type(dialog->ComboBox2, "432000");
        Type(dialog->ComboBox3, "Com2");
        SendMessageA(WindowOf(dialog->CheckBox1), BM_CLICK, 0, 0);
        PostMessageA(WindowOf(dialog->BitBtn1), BM_CLICK, 0, 0);
    });
    ASSERT_EQ(ReadWhole("vareli.ini"),
              "[COMPort]Com2\r\n[AlaMHZ]1800\r\n[YlaMHZ]432000\r\n[Com]1\r\n");

    std::vector<std::string> reopened;
    bool checkedOnReopen = false;
    bool shot = false;
    const std::string shotPath = ProgramFolder() + "settings_wine_dialog.bmp";
    ShowModalWith([&](HWND window) {
        reopened = Shown();
        checkedOnReopen = Checked(dialog->CheckBox1);
        OnMainThread([&] { shot = SaveWindowShot(window, shotPath); });
        Type(dialog->ComboBox1, "7000");
        Type(dialog->ComboBox2, "");  // an emptied box
        Type(dialog->ComboBox3, "Com7");
        SendMessageA(WindowOf(dialog->CheckBox1), BM_CLICK, 0, 0);  // off again
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    // The dialog opened showing what the first round stored.
    EXPECT_EQ(reopened, (std::vector<std::string>{"1800", "432000", "Com2"}));
    EXPECT_TRUE(checkedOnReopen);
    EXPECT_TRUE(shot) << shotPath;

    EXPECT_EQ(ReadWhole("vareli.ini"), "[COMPort]Com7\r\n[AlaMHZ]7000\r\n[YlaMHZ]\r\n[Com]0\r\n");
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"vareli.ini"});
    EXPECT_EQ(Shown(), (std::vector<std::string>{"7000", "", "Com7"}));
    EXPECT_FALSE(Checked(dialog->CheckBox1));
    EXPECT_EQ(comm.DeviceName(), "Com7");
    EXPECT_FALSE(IsWindowVisible(WindowOf(dialog)));
}

}  // namespace
