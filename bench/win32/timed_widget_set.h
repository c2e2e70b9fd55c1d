// The Win32 window system with the spot view's appends timed: every call
// goes to the real TWin32WidgetSet, and the rich-text views it makes are
// wrapped so that the time each line went in (the append returned) is noted.
// The latency benchmark installs it in place of the program's widget set.
//
// Main thread only, like the widget set it wraps (PostCall: any thread). The
// wrapped peers are owned by their controls as usual; each wrapper owns the
// real peer.
#pragma once

#include <memory>
#include <string>

#include "ui/win32/widget_set_win32.h"

class TimedWidgetSet : public IWidgetSet {
  public:
    explicit TimedWidgetSet(TWin32WidgetSet& inner) : inner_(inner) {}

    // Lines appended to any rich-text view, and when the latest append
    // started and when it returned (the line went in).
    int Appends() const { return appends_; }
    double LastAppendStart() const { return lastAppendStart_; }
    double LastAppend() const { return lastAppend_; }
    void NoteAppend(double start, double end) {
        ++appends_;
        lastAppendStart_ = start;
        lastAppend_ = end;
    }

    std::unique_ptr<IFormPeer> CreateForm(const std::string& className, IFormPeer* owner,
                                          IFormEvents& events) override {
        return inner_.CreateForm(className, owner, events);
    }
    std::unique_ptr<ILabelPeer> CreateLabel(IFormPeer& parent) override {
        return inner_.CreateLabel(parent);
    }
    std::unique_ptr<IButtonPeer> CreateButton(IFormPeer& parent, IControlEvents& events) override {
        return inner_.CreateButton(parent, events);
    }
    std::unique_ptr<ICheckBoxPeer> CreateCheckBox(IFormPeer& parent,
                                                  IControlEvents& events) override {
        return inner_.CreateCheckBox(parent, events);
    }
    std::unique_ptr<IComboBoxPeer> CreateComboBox(IFormPeer& parent,
                                                  const TComboBoxOptions& options) override {
        return inner_.CreateComboBox(parent, options);
    }
    std::unique_ptr<IEditPeer> CreateEdit(IFormPeer& parent) override {
        return inner_.CreateEdit(parent);
    }
    std::unique_ptr<IRichEditPeer> CreateRichEdit(IFormPeer& parent,
                                                  const TRichEditOptions& options) override;

    bool ProcessMessage(bool* quit) override { return inner_.ProcessMessage(quit); }
    void WaitMessage() override { inner_.WaitMessage(); }
    void PostQuitMessage(int exitCode) override { inner_.PostQuitMessage(exitCode); }
    void PostCall(std::function<void()> call) override { inner_.PostCall(std::move(call)); }
    int StartTimer(std::uint32_t intervalMs, std::function<void()> tick) override {
        return inner_.StartTimer(intervalMs, std::move(tick));
    }
    void StopTimer(int id) override { inner_.StopTimer(id); }
    void MessageBoxA(const std::string& text, const std::string& caption,
                     TMessageBoxIcon icon) override {
        inner_.MessageBoxA(text, caption, icon);
    }
    std::optional<std::string> OpenFileDialog(IFormPeer* owner, const std::string& title,
                                              const std::vector<TFileFilter>& filters,
                                              const std::string& initialPath) override {
        return inner_.OpenFileDialog(owner, title, filters, initialPath);
    }
    void CancelMouseCapture() override { inner_.CancelMouseCapture(); }
    int StartShowState() override { return inner_.StartShowState(); }
    bool InputWaiting() override { return inner_.InputWaiting(); }

  private:
    TWin32WidgetSet& inner_;
    int appends_ = 0;
    double lastAppendStart_ = 0;
    double lastAppend_ = 0;
};
