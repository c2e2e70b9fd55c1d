// A form's window: a top-level window of the form's own class, its frame,
// caption, background, menu bar, size and state. Its window procedure hands
// the controls' notifications to their peers and the user's commands to the
// form; nothing thrown below it passes out of the procedure (ErrorReport).
//
// Owned by its TForm; destroys its window and menu. Main thread only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/peers.h"
#include "ui/win32/gdi_win32.h"

class TWin32WidgetSet;

class TWin32FormPeer : public IFormPeer {
  public:
    TWin32FormPeer(TWin32WidgetSet& widgets, const std::string& className, HWND owner,
                   IFormEvents& events);
    ~TWin32FormPeer() override;
    TWin32FormPeer(const TWin32FormPeer&) = delete;
    TWin32FormPeer& operator=(const TWin32FormPeer&) = delete;

    void SetCaption(const std::string& caption) override;
    void SetBorder(TBorderStyle style, TBorderIcons icons) override;
    void SetColor(TColor color) override;
    void SetBounds(const TBounds& bounds) override;
    void SetClientSize(const TExtent& size) override;
    TBounds Bounds() override;
    TExtent ClientSize() override;
    TWindowState WindowState() override;
    void SetWindowState(TWindowState state) override;
    void SetMenu(const std::vector<TMenuEntry>& menu) override;
    void Show(TWindowState state, bool activate) override;
    void Hide() override;
    bool Visible() override;
    void SetEnabled(bool enabled) override;
    bool Enabled() override;
    void FlashUntilActive() override;

    HWND Handle() const { return window_; }
    TWin32WidgetSet& Widgets() const { return widgets_; }
    HBRUSH BackgroundBrush() const { return brush_.Get(); }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void RememberClientSize();

    TWin32WidgetSet& widgets_;
    IFormEvents& events_;
    HWND window_ = nullptr;
    bool ready_ = false;  // events go to the form once the window is made
    TGdiObject<HBRUSH> brush_;
    HMENU menu_ = nullptr;
    TExtent client_;        // the last client size seen while not minimised
    HWND focus_ = nullptr;  // the control that had the focus when the form lost it
};
