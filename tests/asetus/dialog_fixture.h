// The settings dialog and the dialogs joined to it as at start-up, on the
// in-memory window system over a temporary working folder, with a user who
// acts one step per turn of a modal dialog's loop.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CommInt/comm.h"
#include "asetus/relay_dialog.h"
#include "asetus/settings_dialog.h"
#include "asetus/watch_dialog.h"
#include "fakes/fake_comm.h"
#include "fakes/fake_sync.h"
#include "settings_folder.h"
#include "ui/application.h"
#include "ui/memory/memory_widget_set.h"

using Texts = std::vector<std::string>;

class SettingsDialogTest : public ::testing::Test {
  protected:
    SettingsDialogTest() {
        app.SetTitle("Vareli");
        app.CreateForm(mainForm);
        app.CreateForm(dialog);
        mainForm->Show();
        dialog->ReadSettings = [this] { ReadSettingsFile(dialog->Controls(), comm); };
    }

    // Shows the dialog modally; the user takes the steps one per turn of its
    // loop, so that a close asked for in one step is tried before the next.
    void ShowModal(std::vector<std::function<void()>> steps) {
        ShowModal(dialog, std::move(steps));
    }
    void ShowModal(TForm* form, std::vector<std::function<void()>> steps) {
        steps_ = std::move(steps);
        next_ = 0;
        PostNextStep();
        form->ShowModal();
        EXPECT_EQ(next_, steps_.size()) << "the dialog closed before the last step";
    }
    void PostNextStep() {
        widgets.PostCall([this] {
            const size_t step = next_++;
            if (next_ < steps_.size()) PostNextStep();
            steps_[step]();
        });
    }
    TMemoryComboBoxPeer& Combo(TComboBox* box) {
        return TMemoryWidgetSet::PeerOf<TMemoryComboBoxPeer>(box);
    }
    TMemoryFormPeer& DialogPeer() { return TMemoryWidgetSet::PeerOf(dialog); }
    Texts BoxTexts() const {
        Texts texts;
        for (const TMemoryMessageBox& box : widgets.messageBoxes) texts.push_back(box.Text);
        return texts;
    }

    FakeSync sync;
    FakeComm fakeComm{sync};
    ScopedSeam<ISync> syncSeam{&sync};
    ScopedSeam<IComm> commSeam{&fakeComm};
    SettingsFolder folder;
    TMemoryWidgetSet widgets;
    ScopedSeam<IWidgetSet> widgetSeam{&widgets};
    TComm comm{nullptr};
    TApplication app{nullptr, widgets};
    TForm* mainForm = nullptr;
    TForm3* dialog = nullptr;

    // The "Välitys" dialog, joined to the settings dialog as at start-up.
    TForm4* MakeRelayDialog() {
        TForm4* relay = nullptr;
        app.CreateForm(relay);
        dialog->Relay = relay->Controls();
        relay->StoreSettings = [this] { dialog->StoreSettings(); };
        return relay;
    }
    // The "Seuranta" dialog, joined likewise.
    TForm5* MakeWatchDialog() {
        TForm5* watch = nullptr;
        app.CreateForm(watch);
        dialog->Watch = watch->Controls();
        watch->StoreSettings = [this] { dialog->StoreSettings(); };
        return watch;
    }

  private:
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
};
