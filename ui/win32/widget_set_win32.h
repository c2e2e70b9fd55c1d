// TWin32WidgetSet: the toolkit on real windows. It registers the window
// classes, loads the rich-text library, runs the message loop's steps (with
// the active form's keyboard navigation) and posts calls to the main thread
// through a hidden message-only window, which also takes the timers' ticks
// (posted messages, not WM_TIMER: see PostedTicks).
//
// The program makes one on the main thread at start-up and installs it as
// Seam<IWidgetSet> before the application frame and the first form; it must
// outlive them. PostCall may be called from any thread; all else main thread
// only. Throws EOutOfResources when the system refuses a window.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/win32/posted_ticks_win32.h"
#include "ui/widget_set.h"

class TWin32WidgetSet : public IWidgetSet {
  public:
    explicit TWin32WidgetSet(HINSTANCE instance);
    ~TWin32WidgetSet() override;
    TWin32WidgetSet(const TWin32WidgetSet&) = delete;
    TWin32WidgetSet& operator=(const TWin32WidgetSet&) = delete;

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
    int StartShowState() override;
    bool InputWaiting() override;

    HINSTANCE Instance() const { return instance_; }
    // For the peers: a window class of that name for forms, registered once.
    const char* FormClass(const std::string& className);
    int NextControlId() { return nextControlId_++; }
    void AddForm(HWND form) { forms_.insert(form); }
    void RemoveForm(HWND form) { forms_.erase(form); }

  private:
    static LRESULT CALLBACK CallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    HWND callWindow_ = nullptr;
    HMODULE richEdit_ = nullptr;
    std::set<std::string> formClasses_;
    std::set<HWND> forms_;
    int nextControlId_ = 1000;
    std::map<int, std::function<void()>> timers_;
    PostedTicks ticks_;
    int nextTimer_ = 1;
};
