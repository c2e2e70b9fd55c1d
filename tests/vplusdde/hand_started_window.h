// The program's start-up done by hand: the DDE manager, the frame, the main
// window (which connects while it is built) and the settings dialog; the
// "Välitys" and "Seuranta" dialogs joined on request, as at start-up.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "asetus/relay_dialog.h"
#include "asetus/settings_dialog.h"
#include "asetus/watch_dialog.h"
#include "dde/dde_mgr.h"
#include "program_seams.h"
#include "ui/application.h"
#include "vplusdde/main_window.h"

class HandStartedWindow : public ::testing::Test {
  protected:
    HandStartedWindow() {
        manager = std::make_unique<TDdeMgr>(nullptr, "Vareli.exe", s.ddeml);
        app = std::make_unique<TApplication>(nullptr, s.widgets);
        app->SetTitle("Vareli");
        app->CreateForm(form1);
        app->CreateForm(form3);
        form1->SetSettingsDialog(form3);
        TForm1* window = form1;
        form3->ReadSettings = [window] { window->haeasetukset(); };
    }
    ~HandStartedWindow() override {
        app.reset();
        manager.reset();
    }

    TForm4* MakeRelayDialog() {
        TForm4* relay = nullptr;
        app->CreateForm(relay);
        form1->SetRelayDialog(relay);
        form3->Relay = relay->Controls();
        return relay;
    }
    TForm5* MakeWatchDialog() {
        TForm5* watch = nullptr;
        app->CreateForm(watch);
        form1->SetWatchDialog(watch);
        form3->Watch = watch->Controls();
        return watch;
    }

    ProgramSeams s;
    std::unique_ptr<TDdeMgr> manager;
    std::unique_ptr<TApplication> app;
    TForm1* form1 = nullptr;
    TForm3* form3 = nullptr;
};
