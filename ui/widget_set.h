// The window system as the toolkit sees it: it makes the peers, runs the
// message loop's steps and shows message boxes. One widget set serves the whole
// program; the program installs the Win32 one at start-up
// (Seam<IWidgetSet>::Install), tests install the in-memory one (ScopedSeam).
//
// Main thread only, except PostCall, which any thread may call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/peers.h"

enum class TMessageBoxIcon { miNone, miError };

// One choice of the open-file dialog's type list: its caption and its
// patterns, separated by ";" ("*.adi;*.adif").
struct TFileFilter {
    std::string Caption;
    std::string Patterns;
};

class IWidgetSet {
  public:
    virtual ~IWidgetSet() = default;

    // A hidden top-level window. className names the window's class (the
    // form's class name); owner, when given, keeps the window above it and off
    // the task bar.
    virtual std::unique_ptr<IFormPeer> CreateForm(const std::string& className, IFormPeer* owner,
                                                  IFormEvents& events) = 0;
    virtual std::unique_ptr<ILabelPeer> CreateLabel(IFormPeer& parent) = 0;
    virtual std::unique_ptr<IButtonPeer> CreateButton(IFormPeer& parent,
                                                      IControlEvents& events) = 0;
    virtual std::unique_ptr<ICheckBoxPeer> CreateCheckBox(IFormPeer& parent,
                                                          IControlEvents& events) = 0;
    virtual std::unique_ptr<IComboBoxPeer> CreateComboBox(IFormPeer& parent,
                                                          const TComboBoxOptions& options) = 0;
    virtual std::unique_ptr<IEditPeer> CreateEdit(IFormPeer& parent) = 0;
    virtual std::unique_ptr<IRichEditPeer> CreateRichEdit(IFormPeer& parent,
                                                          const TRichEditOptions& options) = 0;

    // Takes one waiting message and dispatches it; false when none was
    // waiting. *quit becomes true when the message was the request to end.
    virtual bool ProcessMessage(bool* quit) = 0;
    // Blocks until a message is waiting.
    virtual void WaitMessage() = 0;
    // Asks the loop to end: some ProcessMessage reports quit.
    virtual void PostQuitMessage(int exitCode) = 0;
    // Runs the call on the main thread from the message loop, after what is
    // already waiting. Any thread. What the call throws goes to ErrorReport.
    virtual void PostCall(std::function<void()> call) = 0;
    // Runs `tick` from the message loop about every intervalMs until
    // StopTimer; what it throws goes to ErrorReport. Returns the timer's id,
    // 0 when the system gives none.
    virtual int StartTimer(std::uint32_t intervalMs, std::function<void()> tick) = 0;
    // Nothing for 0 or an id already stopped.
    virtual void StopTimer(int id) = 0;

    // A modal message box with one OK button; returns when the user closes
    // it. Its own loop goes on dispatching messages meanwhile. (Named with its
    // A: windows.h makes the bare name a macro.)
    virtual void MessageBoxA(const std::string& text, const std::string& caption,
                             TMessageBoxIcon icon) = 0;
    // The system's modal open-file dialog, owned by the form (none: every
    // window of the program), with this title and type list (the first
    // chosen), opening at initialPath (a file name, with or without its
    // folder; empty for none). Only an existing file can be chosen, and the
    // working folder stays what it was. Returns the chosen file's full path,
    // nullopt when cancelled. Its own loop goes on dispatching meanwhile.
    virtual std::optional<std::string> OpenFileDialog(IFormPeer* owner, const std::string& title,
                                                      const std::vector<TFileFilter>& filters,
                                                      const std::string& initialPath) = 0;
    // Takes the mouse capture from whichever window holds it; that window is
    // told to cancel what it was doing.
    virtual void CancelMouseCapture() = 0;
    // How the program was asked to show its first window (1 normal, 3
    // maximised, 7 minimised without activation, ...).
    virtual int StartShowState() = 0;
    // Whether keys, mouse or painting wait in the loop's queue. Work done in
    // pieces from posted calls or timer ticks gives way to them: those come
    // out of the queue first.
    virtual bool InputWaiting() = 0;
};
