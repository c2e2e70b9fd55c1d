// What the controls' Win32 peers share: the child window on its form, found
// again from its handle (the form's window procedure hands it the
// notifications the system sends the form), and the common properties —
// bounds, visibility, enabled state, font and colours.
//
// A peer owns its child window and GDI objects and destroys them with itself.
// Main thread only; the constructor throws EOutOfResources when the system
// refuses the window.
#pragma once

#include <windows.h>

#include <string>

#include "rtl/sysutils.h"
#include "ui/peers.h"
#include "ui/ui_errors.h"
#include "ui/win32/form_peer_win32.h"
#include "ui/win32/gdi_win32.h"
#include "ui/win32/widget_set_win32.h"

// The part the form's window procedure talks to.
class TWin32Child {
  public:
    virtual ~TWin32Child() = default;
    HWND Handle() const { return window_; }

    // A notification code of WM_COMMAND from this control.
    virtual void OnCommand(int code) { (void)code; }
    // WM_CTLCOLOR*: sets the text and background colours; the brush to paint
    // with, or null for the system's.
    virtual HBRUSH OnCtlColor(HDC dc) {
        (void)dc;
        return nullptr;
    }
    // WM_DRAWITEM of an owner-drawn control.
    virtual void OnDrawItem(const DRAWITEMSTRUCT& item) { (void)item; }

    // The peer of a child window made by this toolkit; null for any other.
    static TWin32Child* FromHandle(HWND window);

  protected:
    void Attach(HWND window);
    void Detach();

    HWND window_ = nullptr;
};

template <class Interface>
class TWin32Control : public Interface, public TWin32Child {
  public:
    TWin32Control(TWin32FormPeer& form, const char* windowClass, DWORD style, DWORD exStyle = 0)
        : form_(form) {
        HWND window = CreateWindowExA(
            exStyle, windowClass, "", WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, form.Handle(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(form.Widgets().NextControlId())),
            form.Widgets().Instance(), nullptr);
        if (window == nullptr)
            throw EOutOfResources(Format("Cannot make a control of class %s (Error: %lu)",
                                         windowClass, GetLastError()));
        Attach(window);
        SetColor(clBtnFace);
    }
    ~TWin32Control() override {
        if (!IsWindow(window_)) return;
        Detach();
        DestroyWindow(window_);
    }
    TWin32Control(const TWin32Control&) = delete;
    TWin32Control& operator=(const TWin32Control&) = delete;

    void SetBounds(const TBounds& bounds) override {
        bounds_ = bounds;
        MoveWindow(window_, bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
    }
    void SetVisible(bool visible) override { ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE); }
    void SetEnabled(bool enabled) override { EnableWindow(window_, enabled ? TRUE : FALSE); }
    void SetFont(const TFontData& font) override {
        font_.Reset(MakeFont(font));
        fontColor_ = font.Color;
        SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    }
    void SetColor(TColor color) override {
        color_ = color;
        brush_.Reset(CreateSolidBrush(ColorRefOf(color)));
        InvalidateRect(window_, nullptr, TRUE);
    }
    void PlaceAfter(IControlPeer* previous) override {
        // The tab key follows the order of the child windows.
        auto* child = dynamic_cast<TWin32Child*>(previous);
        SetWindowPos(window_, child != nullptr ? child->Handle() : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    HBRUSH OnCtlColor(HDC dc) override {
        SetTextColor(dc, ColorRefOf(fontColor_));
        SetBkColor(dc, ColorRefOf(color_));
        return brush_.Get();
    }

  protected:
    // The window's whole text, of any length.
    std::string WindowText() const {
        const int length = GetWindowTextLengthA(window_);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        const int copied = GetWindowTextA(window_, &text[0], length + 1);
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        return text;
    }

    TWin32FormPeer& form_;
    TBounds bounds_;
    TGdiObject<HFONT> font_;
    TGdiObject<HBRUSH> brush_;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
};
