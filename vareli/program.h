// The program's start-up and run, on whatever window system and platform
// seams are installed: the DDE manager before any window, the application
// frame titled "Vareli", the main window (whose conversation connects by
// itself while it is built), the dialogs hidden, then the message
// loop, which shows the main window (its first show loads the settings and
// starts spot intake) and runs until the main window closes.
//
// Owns the manager and the application (and through it the windows); the
// windows go first, the DDE instance last, and before the windows the hooks
// that reach into them (the DDE callback stays live until the manager goes).
// Main thread only. The constructor raises what the DDE manager raises when
// no DDE instance can be made.
#pragma once

#include <memory>
#include <string>

#include "dde/dde_mgr.h"
#include "ui/application.h"
#include "ui/widget_set.h"

class TForm1;
class TForm3;
class TForm4;
class TForm5;

class VareliProgram {
  public:
    VareliProgram(IWidgetSet& widgets, const std::string& exeFileName);
    ~VareliProgram();
    VareliProgram(const VareliProgram&) = delete;
    VareliProgram& operator=(const VareliProgram&) = delete;

    // The message loop, until the main window has closed.
    void Run();

    TApplication& Application() { return *application_; }
    TDdeMgr& DdeMgr() { return *ddeMgr_; }
    TForm1* Form1 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;

  private:
    // Takes down the hooks that reach into the application: the DDE
    // manager's window captions and the tone generator's message pump.
    // Declared after the application so that it goes first, also when the
    // constructor stops half-way.
    class ApplicationHooks {
      public:
        explicit ApplicationHooks(TDdeMgr& manager) : manager_(manager) {}
        ~ApplicationHooks();
        ApplicationHooks(const ApplicationHooks&) = delete;
        ApplicationHooks& operator=(const ApplicationHooks&) = delete;

      private:
        TDdeMgr& manager_;
    };

    std::unique_ptr<TDdeMgr> ddeMgr_;
    std::unique_ptr<TApplication> application_;
    ApplicationHooks hooks_;
};
