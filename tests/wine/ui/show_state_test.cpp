// The start request's show state, for real: this test program starts itself
// again with the show state in its start-up information (as a shortcut set to
// run minimised or maximised does), and watches and drives the child's main
// form from outside. The child reports through its caption: "loop" once its
// message loop runs, "shows" as OnShow runs, "height" the outer height its
// last OnResize saw.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/seam.h"
#include "rtl/sysutils.h"
#include "sample_form.h"
#include "ui/application.h"
#include "ui/win32/widget_set_win32.h"
#include "win32_windows.h"

namespace {

constexpr const char* kChildVariable = "VARELI_SHOW_STATE_CHILD";

TEST(ShowStateChild, Run) {
    if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "runs in the child of ShowStates";
    TWin32WidgetSet widgets(GetModuleHandleA(nullptr));
    ScopedSeam<IWidgetSet> seam(&widgets);
    TApplication app(nullptr, widgets);
    app.SetTitle("Vareli");
    TSampleForm* form = nullptr;
    app.CreateForm(form);
    int loop = 0;
    int shows = 0;
    int height = 0;
    auto report = [&] {
        form->SetCaption(
            Format("Show state child|loop=%d|shows=%d|height=%d", loop, shows, height));
    };
    form->onHandler = [&](const std::string& handler) {
        if (handler == "FormShow") ++shows;
        if (handler == "FormResize") height = form->Height();
        report();
    };
    report();
    // Runs once the loop runs, after the main form has been shown.
    widgets.PostCall([&] {
        loop = 1;
        report();
    });
    app.Run();
    EXPECT_EQ(shows, 1);
}

class ShowStates : public ::testing::Test {
  protected:
    void Start(WORD showState) {
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        std::string command = std::string("\"") + exe + "\" --gtest_filter=ShowStateChild.Run";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = showState;
        SetEnvironmentVariableA(kChildVariable, "1");
        const BOOL started = CreateProcessA(exe, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                            nullptr, &startup, &child_);
        SetEnvironmentVariableA(kChildVariable, nullptr);
        ASSERT_TRUE(started);
        ASSERT_TRUE(WaitForCaption("loop=1"));
    }
    // The child's window, by its class.
    HWND Window() { return window_ = FindWindowA("TSampleForm", nullptr); }
    bool WaitForCaption(const std::string& part) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            if (Window() != nullptr && WindowText(window_).find(part) != std::string::npos)
                return true;
            Sleep(20);
        }
        return false;
    }
    int ReportedHeight() {
        const std::string caption = WindowText(window_);
        return std::atoi(caption.substr(caption.find("height=") + 7).c_str());
    }
    int OuterHeight() {
        RECT rect = {};
        GetWindowRect(window_, &rect);
        return rect.bottom - rect.top;
    }
    // Closes the child's main form and waits for the child to end well.
    void CloseChild() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        ASSERT_EQ(WaitForSingleObject(child_.hProcess, 20000), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(child_.hProcess, &code);
        EXPECT_EQ(code, 0u);
    }
    void TearDown() override {
        if (child_.hProcess == nullptr) return;
        if (WaitForSingleObject(child_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(child_.hProcess, 1);
            WaitForSingleObject(child_.hProcess, 5000);
        }
        CloseHandle(child_.hThread);
        CloseHandle(child_.hProcess);
    }

    PROCESS_INFORMATION child_ = {};
    HWND window_ = nullptr;
};

TEST_F(ShowStates, MinimisedWithoutActivationRunsOnShowAtTheFirstRestore) {
    Start(SW_SHOWMINNOACTIVE);
    // The loop runs, the window is there, minimised: no OnShow yet.
    EXPECT_TRUE(IsIconic(window_));
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_NE(WindowText(window_).find("shows=0"), std::string::npos) << WindowText(window_);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window_, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_NORMAL, 10000, &answer);
    ASSERT_TRUE(WaitForCaption("shows=1")) << WindowText(window_);
    EXPECT_FALSE(IsIconic(window_));
    EXPECT_EQ(ReportedHeight(), OuterHeight());
    // Minimised and restored again: no second OnShow.
    SendMessageTimeoutA(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, 10000, &answer);
    SendMessageTimeoutA(window_, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_NORMAL, 10000, &answer);
    EXPECT_NE(WindowText(window_).find("shows=1"), std::string::npos) << WindowText(window_);
    CloseChild();
}

TEST_F(ShowStates, MaximisedRunsTheResizeRuleAtTheMaximisedSize) {
    Start(SW_SHOWMAXIMIZED);
    ASSERT_TRUE(WaitForCaption("shows=1")) << WindowText(window_);
    EXPECT_TRUE(IsZoomed(window_));
    EXPECT_EQ(ReportedHeight(), OuterHeight());
    EXPECT_GT(ReportedHeight(), 360);
    CloseChild();
}

TEST_F(ShowStates, NormalShowsAtTheLayoutsPlace) {
    Start(SW_SHOWNORMAL);
    ASSERT_TRUE(WaitForCaption("shows=1")) << WindowText(window_);
    RECT rect = {};
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.left, 220);
    EXPECT_EQ(rect.top, 166);
    EXPECT_FALSE(IsIconic(window_) || IsZoomed(window_));
    CloseChild();
}

}  // namespace
