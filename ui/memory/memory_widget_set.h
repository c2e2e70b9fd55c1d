// TMemoryWidgetSet: the window system in memory, for tests on Linux of the
// windows built on the toolkit. It makes in-memory peers (memory_peers.h),
// runs a message queue, records message boxes, and acts as the user would:
// clicks, typing, menu choices, the close box, resizing, minimising and
// restoring. Each user action runs at once, as a dispatched message would,
// and what it raises goes to ErrorReport; an action the user could not take
// (a hidden or disabled control, a form disabled by a modal dialog, any form
// while a message box is open, a close box the form does not have) throws
// std::logic_error, the test's mistake.
//
// A file dialog, like a message box, is modal to the whole program while the
// test's answer is being asked for.
//
// Screen and frame metrics (fixed): screen 1024 x 768; a sizeable frame 4
// pixels, other frames 3; caption 18; menu bar 20. So a form whose client area
// is 433 x 314 under a menu bar is 441 x 360 outside.
//
// Waiting: WaitMessage waits up to WaitTimeout (2 s) for a posted message;
// when OnIdle is set it is asked first; when nothing comes it throws
// std::runtime_error, so a test that would hang fails instead.
//
// Main thread only, except PostCall.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/memory/memory_peers.h"
#include "ui/widget_set.h"

class TControl;
class TForm;
class TComboBox;
class TEdit;

class TMemoryFormPeer : public IFormPeer {
  public:
    TMemoryFormPeer(std::string className, TMemoryFormPeer* owner, IFormEvents& events);
    ~TMemoryFormPeer() override;

    void SetCaption(const std::string& value) override { caption = value; }
    void SetBorder(TBorderStyle style, TBorderIcons icons) override;
    void SetColor(TColor value) override { color = value; }
    void SetBounds(const TBounds& bounds) override;
    void SetClientSize(const TExtent& size) override;
    TBounds Bounds() override {
        return state == TWindowState::wsMinimized ? normalBounds : CurrentBounds();
    }
    TExtent ClientSize() override;
    TWindowState WindowState() override { return state; }
    void SetWindowState(TWindowState value) override;
    void SetMenu(const std::vector<TMenuEntry>& value) override;
    void Show(TWindowState value, bool activate) override;
    void Hide() override { visible = false; }
    bool Visible() override { return visible; }
    void SetEnabled(bool value) override { enabled = value; }
    bool Enabled() override { return enabled; }
    void FlashUntilActive() override { ++flashes; }

    // The outer bounds the window has now (the screen's when maximised).
    TBounds CurrentBounds() const;
    // Outer size minus client size.
    TExtent FrameSize() const;

    std::string className;
    TMemoryFormPeer* owner;
    IFormEvents& events;
    std::string caption;
    TBorderStyle borderStyle = TBorderStyle::bsSizeable;
    TBorderIcons borderIcons = biSystemMenu | biMinimize | biMaximize;
    TColor color = clBtnFace;
    TBounds normalBounds{0, 0, 320, 240};
    TWindowState state = TWindowState::wsNormal;
    bool visible = false;
    bool enabled = true;
    bool activatedOnShow = false;
    int flashes = 0;
    int showCount = 0;
    std::vector<TMenuEntry> menu;
    std::vector<TMemoryControlState*> children;  // in tab sequence

  private:
    void ChangeState(TWindowState value);
};

// An open-file dialog as the program asked for it.
struct TMemoryFileDialog {
    std::string Owner;  // the owner form's class name; empty for none
    std::string Title;
    std::vector<TFileFilter> Filters;
    std::string InitialPath;
};

struct TMemoryMessageBox {
    std::string Text;
    std::string Caption;
    TMessageBoxIcon Icon = TMessageBoxIcon::miNone;
};

class TMemoryWidgetSet : public IWidgetSet {
  public:
    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;

    TMemoryWidgetSet() = default;

    std::unique_ptr<IFormPeer> CreateForm(const std::string& className, IFormPeer* owner,
                                          IFormEvents& events) override;
    std::unique_ptr<ILabelPeer> CreateLabel(IFormPeer& parent) override;
    std::unique_ptr<IButtonPeer> CreateButton(IFormPeer& parent, IControlEvents& events) override;
    std::unique_ptr<ICheckBoxPeer> CreateCheckBox(IFormPeer& parent,
                                                  IControlEvents& events) override;
    std::unique_ptr<IComboBoxPeer> CreateComboBox(IFormPeer& parent,
                                                  const TComboBoxOptions& options) override;
    std::unique_ptr<IEditPeer> CreateEdit(IFormPeer& parent) override;
    std::unique_ptr<IRichEditPeer> CreateRichEdit(IFormPeer& parent,
                                                  const TRichEditOptions& options) override;

    bool ProcessMessage(bool* quit) override;
    void WaitMessage() override;
    void PostQuitMessage(int exitCode) override;
    void PostCall(std::function<void()> call) override;
    int StartTimer(std::uint32_t intervalMs, std::function<void()> tick) override;
    void StopTimer(int id) override;
    void MessageBoxA(const std::string& text, const std::string& caption,
                     TMessageBoxIcon icon) override;
    std::optional<std::string> OpenFileDialog(IFormPeer* owner, const std::string& title,
                                              const std::vector<TFileFilter>& filters,
                                              const std::string& initialPath) override;
    void CancelMouseCapture() override;
    int StartShowState() override { return startShowState; }
    bool InputWaiting() override { return inputWaiting; }

    // --- what the test sets ---
    int startShowState = 1;
    bool inputWaiting = false;  // what InputWaiting answers
    int waitTimeoutMs = 2000;
    // Asked when the loop would wait; may post or act.
    std::function<void()> OnIdle;
    // Runs while a message box is open (before the user presses OK); may run
    // the loop, post or act as a nested message loop would let it.
    std::function<void(const TMemoryMessageBox&)> OnMessageBox;
    // The user's answer to an open-file dialog, asked while it is open: the
    // chosen path, or nullopt for cancel. Unset, a file dialog is the test's
    // mistake (std::logic_error).
    std::function<std::optional<std::string>(const TMemoryFileDialog&)> OnOpenFileDialog;
    // A window holds the mouse capture (as while the user drags).
    bool mouseCaptured = false;

    // --- what the test reads ---
    std::vector<TMemoryMessageBox> messageBoxes;
    int openMessageBoxes = 0;
    std::vector<TMemoryFileDialog> fileDialogs;
    int openFileDialogs = 0;
    int cancelModeMessages = 0;  // sent to the capture's holder
    int quitRequests = 0;
    int lastExitCode = 0;
    // Messages waiting.
    size_t Pending();
    // The running timers' intervals by id.
    std::map<int, std::uint32_t> Timers() const;
    // One tick of every running timer, as its message would bring it.
    void FireTimers();

    // --- the user ---
    // Presses a button or clicks a check box (which toggles first).
    void Click(TControl* control);
    // Replaces the combo box's edit text, as typed (cut at MaxLength).
    void TypeText(TComboBox* combo, const std::string& text);
    void TypeText(TEdit* edit, const std::string& text);
    // Picks an item from the drop-down list.
    void ChooseItem(TComboBox* combo, int index);
    // Chooses a command from the form's menu bar by its captions.
    void ChooseMenu(TForm* form, const std::vector<std::string>& path);
    void PressCloseBox(TForm* form);
    void SystemMenuClose(TForm* form);
    // Drags the frame to this outer size.
    void ResizeForm(TForm* form, int width, int height);
    void Minimize(TForm* form);
    void Maximize(TForm* form);
    void Restore(TForm* form);

    // The peer of a form or control made by this widget set.
    static TMemoryFormPeer& PeerOf(TForm* form);
    template <class Peer>
    static Peer& PeerOf(const TControl* control) {
        auto* peer = dynamic_cast<Peer*>(AnyPeerOf(control));
        if (peer == nullptr) throw std::logic_error("not a peer of that kind");
        return *peer;
    }

  private:
    static IControlPeer* AnyPeerOf(const TControl* control);
    void RequireUsable(TMemoryFormPeer& form) const;
    void RequireUsable(const TControl* control) const;
    void RequireNoBox() const;

    struct Message {
        bool quit = false;
        std::function<void()> call;
    };
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Message> queue_;
    struct Timer {
        std::uint32_t intervalMs;
        std::function<void()> tick;
    };
    std::map<int, Timer> timers_;
    int nextTimer_ = 1;
};
