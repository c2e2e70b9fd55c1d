// The application frame on the in-memory window system: the error report,
// the message loop going on after it, the start-up show states, plain message
// boxes, and the main thread's wake-up.
#include "ui/application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/seam.h"
#include "rtl/main_thread.h"
#include "sample_form.h"
#include "ui/memory/memory_widget_set.h"

namespace {

class Frame : public ::testing::Test {
  protected:
    Frame() {
        app.SetTitle("Vareli");
        app.CreateForm(form);
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const TMemoryMessageBox& box : widgets.messageBoxes) texts.push_back(box.Text);
        return texts;
    }

    TMemoryWidgetSet widgets;
    ScopedSeam<IWidgetSet> seam{&widgets};
    TApplication app{nullptr, widgets};
    TSampleForm* form = nullptr;
};

TEST_F(Frame, ErrorReportShowsTheMessageWithItsFullStopUnderTheTitle) {
    ErrorReport::Report(std::make_exception_ptr(EInOutError(2)));
    ASSERT_EQ(widgets.messageBoxes.size(), 1u);
    EXPECT_EQ(widgets.messageBoxes[0].Text, "File not found.");
    EXPECT_EQ(widgets.messageBoxes[0].Caption, "Vareli");
    EXPECT_EQ(widgets.messageBoxes[0].Icon, TMessageBoxIcon::miError);

    // A message already ending in a blank, ")" or "." is shown as it is; an
    // empty one too; anything else escaping a handler is shown by its text.
    ErrorReport::Report(
        std::make_exception_ptr(Exception("Error accessing specified device (Error: 2) ")));
    ErrorReport::Report(std::make_exception_ptr(Exception("Write error (Error: -1)")));
    ErrorReport::Report(std::make_exception_ptr(Exception("Done.")));
    ErrorReport::Report(std::make_exception_ptr(Exception("")));
    ErrorReport::Report(std::make_exception_ptr(std::runtime_error("bad thing")));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "File not found.", "Error accessing specified device (Error: 2) ",
                              "Write error (Error: -1)", "Done.", "", "bad thing."}));
}

TEST_F(Frame, ErrorReportCancelsTheMouseCaptureFirstAndIgnoresTheSilentAbort) {
    widgets.mouseCaptured = true;
    ErrorReport::Report(std::make_exception_ptr(EAbort()));
    EXPECT_TRUE(widgets.messageBoxes.empty());
    EXPECT_EQ(widgets.cancelModeMessages, 1);

    widgets.mouseCaptured = true;
    bool capturedWhileBoxOpen = true;
    widgets.OnMessageBox = [&](const TMemoryMessageBox&) {
        capturedWhileBoxOpen = widgets.mouseCaptured;
    };
    ErrorReport::Report(std::make_exception_ptr(Exception("Write error")));
    EXPECT_FALSE(capturedWhileBoxOpen);
    EXPECT_EQ(widgets.cancelModeMessages, 2);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Write error."}));
}

TEST_F(Frame, PlainMessageBoxHasTheTitleAndNoIcon) {
    app.ShowMessage("Error writing to: Com2");
    ASSERT_EQ(widgets.messageBoxes.size(), 1u);
    EXPECT_EQ(widgets.messageBoxes[0].Text, "Error writing to: Com2");
    EXPECT_EQ(widgets.messageBoxes[0].Caption, "Vareli");
    EXPECT_EQ(widgets.messageBoxes[0].Icon, TMessageBoxIcon::miNone);
}

TEST_F(Frame, ATextWhoseBoxIsOpenIsDroppedUntilThatBoxCloses) {
    auto report = [](const char* text) {
        ErrorReport::Report(std::make_exception_ptr(Exception(text)));
    };
    widgets.OnMessageBox = [&](const TMemoryMessageBox& box) {
        if (widgets.openMessageBoxes > 3) return;  // stacking, cut short
        report("Port gone");                       // its box is open below: dropped
        app.ShowMessage(box.Text);                 // a plain box too
        if (box.Text == "Port gone.") report("Limit refused");
    };
    report("Port gone");
    report("Port gone");  // closed by now: shown again
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Port gone.", "Limit refused.", "Port gone.",
                                                    "Limit refused."}));
}

// A box opened from another box's loop and closed again frees its own text,
// not the outer box's, while the outer box is still open.
TEST_F(Frame, ClosingANestedBoxForgetsItsOwnTextOnly) {
    auto report = [](const char* text) {
        ErrorReport::Report(std::make_exception_ptr(Exception(text)));
    };
    widgets.OnMessageBox = [&](const TMemoryMessageBox&) {
        if (widgets.openMessageBoxes > 1) return;  // an inner box closes at once
        report("Limit refused");
        report("Port gone");      // the outer box is still open: dropped
        report("Limit refused");  // its box has closed: shown again
    };
    report("Port gone");
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"Port gone.", "Limit refused.", "Limit refused."}));
}

TEST_F(Frame, LoopGoesOnAfterEveryKindOfFailingHandlerUntilTheMainFormCloses) {
    // Each of these handlers fails once: the first show, a resize, a click, a
    // menu command, a close by the close box.
    std::vector<std::string> failing = {"FormShow", "FormResize", "BitBtn1Click", "Asetukset1Click",
                                        "FormClose"};
    form->onHandler = [&](const std::string& handler) {
        auto found = std::find(failing.begin(), failing.end(), handler);
        if (found == failing.end()) return;
        failing.erase(found);
        throw Exception(handler + " failed");
    };
    widgets.PostCall([&] { widgets.ResizeForm(form, 500, 400); });
    widgets.PostCall([&] { widgets.Click(form->BitBtn1); });
    widgets.PostCall([&] { widgets.ChooseMenu(form, {"Tiedosto", "Asetukset"}); });
    widgets.PostCall([&] { widgets.PressCloseBox(form); });
    widgets.PostCall([&] { widgets.Click(form->BitBtn2); });
    widgets.PostCall([&] { widgets.PressCloseBox(form); });
    app.Run();

    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "FormResize failed.", "FormShow failed.", "BitBtn1Click failed.",
                              "Asetukset1Click failed.", "FormClose failed."}));
    EXPECT_EQ(form->log, (std::vector<std::string>{"FormResize", "FormShow", "FormResize",
                                                   "BitBtn1Click", "Asetukset1Click", "FormClose",
                                                   "BitBtn2Click", "FormClose"}));
    // The main form's close ends the loop, the window stays until the program ends.
    EXPECT_EQ(widgets.quitRequests, 1);
    EXPECT_TRUE(form->Visible());
}

TEST_F(Frame, StartedMinimisedTheMainFormWaitsForItsFirstRestoreToRunOnShow) {
    widgets.startShowState = 7;
    widgets.PostCall([&] {
        TMemoryFormPeer& peer = TMemoryWidgetSet::PeerOf(form);
        EXPECT_TRUE(peer.visible);
        EXPECT_EQ(peer.state, TWindowState::wsMinimized);
        EXPECT_FALSE(peer.activatedOnShow);
        EXPECT_TRUE(form->log.empty());
        widgets.Restore(form);
        EXPECT_EQ(form->log, (std::vector<std::string>{"FormResize", "FormShow"}));
        widgets.Minimize(form);
        widgets.Restore(form);
        widgets.PressCloseBox(form);
    });
    app.Run();
    EXPECT_EQ(form->log, (std::vector<std::string>{"FormResize", "FormShow", "FormClose"}));
}

TEST_F(Frame, StartedMaximisedTheResizeRuleSeesTheMaximisedSize) {
    widgets.startShowState = 3;
    std::vector<int> heights;
    form->onHandler = [&](const std::string& handler) {
        if (handler == "FormResize") heights.push_back(form->Height());
    };
    widgets.PostCall([&] { widgets.PressCloseBox(form); });
    app.Run();
    EXPECT_EQ(heights, (std::vector<int>{TMemoryWidgetSet::kScreenHeight + 8}));
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(form->log, (std::vector<std::string>{"FormResize", "FormShow", "FormClose"}));
}

TEST_F(Frame, StartedNormallyTheMainFormIsShownActiveAtItsLayoutSize) {
    widgets.PostCall([&] { widgets.PressCloseBox(form); });
    app.Run();
    TMemoryFormPeer& peer = TMemoryWidgetSet::PeerOf(form);
    EXPECT_TRUE(peer.activatedOnShow);
    EXPECT_EQ(peer.state, TWindowState::wsNormal);
    EXPECT_EQ(form->BoundsRect(), (TBounds{220, 166, 441, 360}));
    EXPECT_EQ(peer.className, "TSampleForm");
}

TEST_F(Frame, ASynchronisedCallFromAnotherThreadRunsInTheLoop) {
    std::atomic<bool> ranOnMain{false};
    std::thread worker(
        [&] { MainThread::Synchronize([&] { ranOnMain = MainThread::IsMainThread(); }); });
    while (!ranOnMain) app.HandleMessage();
    worker.join();
    EXPECT_TRUE(ranOnMain);
}

TEST_F(Frame, ProcessMessagesRunsWhatIsWaitingAndReturns) {
    int ran = 0;
    widgets.PostCall([&] { ++ran; });
    widgets.PostCall([&] { ++ran; });
    app.ProcessMessages();
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(widgets.Pending(), 0u);
    EXPECT_FALSE(app.Terminated());
    app.ProcessMessages();  // nothing waiting: returns at once
    app.Terminate();
    EXPECT_FALSE(app.Terminated());  // only once the request arrives
    app.ProcessMessages();
    EXPECT_TRUE(app.Terminated());
}

TEST_F(Frame, FormsAreKnownByTheirCaptions) {
    TSampleForm* second = nullptr;
    app.CreateForm(second);
    second->SetCaption("Asetukset");
    EXPECT_EQ(app.MainForm(), form);
    EXPECT_EQ(app.FormCount(), 2);
    EXPECT_TRUE(app.IsFormCaption("Toolkit sample"));
    EXPECT_TRUE(app.IsFormCaption("Asetukset"));
    EXPECT_FALSE(app.IsFormCaption("Vareli"));
    EXPECT_EQ(app.FormCaptions(), (std::vector<std::string>{"Toolkit sample", "Asetukset"}));
    // A later form is kept above the main form and off the task bar.
    EXPECT_EQ(TMemoryWidgetSet::PeerOf(second).owner, &TMemoryWidgetSet::PeerOf(form));
    delete second;
    EXPECT_EQ(app.FormCount(), 1);
    EXPECT_FALSE(app.IsFormCaption("Asetukset"));
}

TEST(FrameLifetime, TheReportGoesBackToItsPreviousHandlerWhenTheFrameEnds) {
    std::vector<std::string> seen;
    ErrorReport::SetHandler([&](const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            seen.push_back(e.what());
        }
    });
    {
        TMemoryWidgetSet widgets;
        ScopedSeam<IWidgetSet> seam(&widgets);
        TApplication app(nullptr, widgets);
        ErrorReport::Report(std::make_exception_ptr(Exception("inside")));
        EXPECT_EQ(widgets.messageBoxes.size(), 1u);
    }
    ErrorReport::Report(std::make_exception_ptr(Exception("after")));
    ErrorReport::SetHandler(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"after"}));
}

}  // namespace
