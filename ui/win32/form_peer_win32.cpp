// The form's window and its window procedure.
#include "ui/win32/form_peer_win32.h"

#include "rtl/error_report.h"
#include "rtl/sysutils.h"
#include "ui/ui_errors.h"
#include "ui/win32/control_peer_win32.h"
#include "ui/win32/widget_set_win32.h"

namespace {

constexpr DWORD kFrameStyles = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME;
constexpr DWORD kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;

void FrameStyles(TBorderStyle style, TBorderIcons icons, DWORD* frame, DWORD* exFrame) {
    DWORD s = 0;
    DWORD ex = 0;
    bool boxes = true;
    switch (style) {
        case TBorderStyle::bsNone:
            s = WS_POPUP;
            boxes = false;
            break;
        case TBorderStyle::bsSingle:
            s = WS_CAPTION;
            break;
        case TBorderStyle::bsSizeable:
            s = WS_CAPTION | WS_THICKFRAME;
            break;
        case TBorderStyle::bsDialog:
            s = WS_CAPTION;
            ex = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
            boxes = false;
            break;
        case TBorderStyle::bsToolWindow:
            s = WS_CAPTION;
            ex = WS_EX_TOOLWINDOW;
            boxes = false;
            break;
        case TBorderStyle::bsSizeToolWin:
            s = WS_CAPTION | WS_THICKFRAME;
            ex = WS_EX_TOOLWINDOW;
            boxes = false;
            break;
    }
    if (style != TBorderStyle::bsNone && (icons & biSystemMenu) != 0) {
        s |= WS_SYSMENU;
        if (boxes && (icons & biMinimize) != 0) s |= WS_MINIMIZEBOX;
        if (boxes && (icons & biMaximize) != 0) s |= WS_MAXIMIZEBOX;
    }
    *frame = s;
    *exFrame = ex;
}

// Menu captions are shown as written: no accelerator letters.
std::string Literal(const std::string& caption) {
    std::string shown;
    for (char c : caption) {
        shown += c;
        if (c == '&') shown += '&';
    }
    return shown;
}

HMENU BuildMenu(const std::vector<TMenuEntry>& entries, bool bar) {
    HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
    if (menu == nullptr) throw EOutOfResources("Cannot make the menu");
    for (const TMenuEntry& entry : entries) {
        const UINT state = entry.Enabled ? MF_ENABLED : MF_GRAYED;
        const std::string caption = Literal(entry.Caption);
        if (!entry.Items.empty()) {
            HMENU popup = BuildMenu(entry.Items, false);
            AppendMenuA(menu, MF_POPUP | MF_STRING | state, reinterpret_cast<UINT_PTR>(popup),
                        caption.c_str());
        } else {
            AppendMenuA(menu, MF_STRING | state, static_cast<UINT_PTR>(entry.Command),
                        caption.c_str());
        }
    }
    return menu;
}

}  // namespace

TWin32FormPeer::TWin32FormPeer(TWin32WidgetSet& widgets, const std::string& className, HWND owner,
                               IFormEvents& events)
    : widgets_(widgets), events_(events), brush_(CreateSolidBrush(ColorRefOf(clBtnFace))) {
    DWORD frame = 0;
    DWORD exFrame = 0;
    FrameStyles(TBorderStyle::bsSizeable, biSystemMenu | biMinimize | biMaximize, &frame, &exFrame);
    window_ = CreateWindowExA(exFrame, widgets_.FormClass(className), "", frame | WS_CLIPCHILDREN,
                              0, 0, 320, 240, owner, nullptr, widgets_.Instance(), this);
    if (window_ == nullptr)
        throw EOutOfResources(
            Format("Cannot make the window %s (Error: %lu)", className.c_str(), GetLastError()));
    widgets_.AddForm(window_);
    RememberClientSize();
    ready_ = true;
}

TWin32FormPeer::~TWin32FormPeer() {
    ready_ = false;
    widgets_.RemoveForm(window_);
    ::SetMenu(window_, nullptr);
    DestroyWindow(window_);
    if (menu_ != nullptr) DestroyMenu(menu_);
}

void TWin32FormPeer::SetCaption(const std::string& caption) {
    SetWindowTextA(window_, caption.c_str());
}

void TWin32FormPeer::SetBorder(TBorderStyle style, TBorderIcons icons) {
    DWORD frame = 0;
    DWORD exFrame = 0;
    FrameStyles(style, icons, &frame, &exFrame);
    const auto current = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
    const auto currentEx = static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE));
    SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>((current & ~kFrameStyles) | frame));
    SetWindowLongA(window_, GWL_EXSTYLE,
                   static_cast<LONG>((currentEx & ~kFrameExStyles) | exFrame));
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RememberClientSize();
}

void TWin32FormPeer::SetColor(TColor color) {
    brush_.Reset(CreateSolidBrush(ColorRefOf(color)));
    InvalidateRect(window_, nullptr, TRUE);
}

void TWin32FormPeer::SetBounds(const TBounds& bounds) {
    if (IsIconic(window_) || IsZoomed(window_)) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(window_, &placement);
        placement.rcNormalPosition =
            RECT{bounds.Left, bounds.Top, bounds.Left + bounds.Width, bounds.Top + bounds.Height};
        SetWindowPlacement(window_, &placement);
        return;
    }
    MoveWindow(window_, bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
    RememberClientSize();
}

void TWin32FormPeer::SetClientSize(const TExtent& size) {
    // The frame, caption and menu bar around the client area, as they stand:
    // a menu bar may fold onto two lines in a narrow window, so measure again.
    for (int pass = 0; pass < 2; ++pass) {
        const TBounds outer = Bounds();
        const TExtent client = ClientSize();
        if (client == size) return;
        SetBounds(TBounds{outer.Left, outer.Top, outer.Width + size.Width - client.Width,
                          outer.Height + size.Height - client.Height});
    }
}

TBounds TWin32FormPeer::Bounds() {
    RECT rect = {};
    if (IsIconic(window_)) {
        // Minimised, the form keeps the bounds it will have when restored.
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(window_, &placement);
        rect = placement.rcNormalPosition;
    } else {
        GetWindowRect(window_, &rect);
    }
    return TBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void TWin32FormPeer::RememberClientSize() {
    if (IsIconic(window_)) return;
    RECT rect = {};
    GetClientRect(window_, &rect);
    client_ = TExtent{rect.right - rect.left, rect.bottom - rect.top};
}

TExtent TWin32FormPeer::ClientSize() {
    RememberClientSize();
    return client_;
}

TWindowState TWin32FormPeer::WindowState() {
    if (IsIconic(window_)) return TWindowState::wsMinimized;
    if (IsZoomed(window_)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TWin32FormPeer::SetWindowState(TWindowState state) {
    if (state == WindowState()) return;
    switch (state) {
        case TWindowState::wsMinimized:
            ShowWindow(window_, SW_MINIMIZE);
            break;
        case TWindowState::wsMaximized:
            ShowWindow(window_, SW_MAXIMIZE);
            break;
        case TWindowState::wsNormal:
            ShowWindow(window_, SW_RESTORE);
            break;
    }
}

void TWin32FormPeer::SetMenu(const std::vector<TMenuEntry>& menu) {
    HMENU built = menu.empty() ? nullptr : BuildMenu(menu, true);
    ::SetMenu(window_, built);
    if (menu_ != nullptr) DestroyMenu(menu_);
    menu_ = built;
    DrawMenuBar(window_);
    RememberClientSize();
}

void TWin32FormPeer::Show(TWindowState state, bool activate) {
    int command = SW_SHOWNORMAL;
    switch (state) {
        case TWindowState::wsMinimized:
            command = activate ? SW_SHOWMINIMIZED : SW_SHOWMINNOACTIVE;
            break;
        case TWindowState::wsMaximized:
            command = SW_SHOWMAXIMIZED;
            break;
        case TWindowState::wsNormal:
            if (IsWindowVisible(window_) && !IsIconic(window_) && !IsZoomed(window_))
                command = activate ? SW_SHOW : SW_SHOWNA;
            else
                command = activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE;
            break;
    }
    ShowWindow(window_, command);
    if (activate && state != TWindowState::wsMinimized) SetForegroundWindow(window_);
}

void TWin32FormPeer::Hide() {
    ShowWindow(window_, SW_HIDE);
}

bool TWin32FormPeer::Visible() {
    return IsWindowVisible(window_) != FALSE;
}

void TWin32FormPeer::SetEnabled(bool enabled) {
    EnableWindow(window_, enabled ? TRUE : FALSE);
}

bool TWin32FormPeer::Enabled() {
    return IsWindowEnabled(window_) != FALSE;
}

void TWin32FormPeer::FlashUntilActive() {
    FLASHWINFO flash = {};
    flash.cbSize = sizeof flash;
    flash.hwnd = window_;
    flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    FlashWindowEx(&flash);
}

LRESULT CALLBACK TWin32FormPeer::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* peer = reinterpret_cast<TWin32FormPeer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (peer == nullptr || peer->window_ == nullptr || !peer->ready_)
        return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    bool handled = false;
    // Nothing may unwind into the window system.
    ErrorReport::Guard([&] {
        result = peer->Handle(message, wParam, lParam);
        handled = true;
    });
    return handled ? result : 0;
}

LRESULT TWin32FormPeer::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            // The close box, the system menu and Alt+F4: the form decides.
            events_.PeerCloseRequested();
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) client_ = TExtent{LOWORD(lParam), HIWORD(lParam)};
            events_.PeerSizeChanged();
            return 0;
        case WM_COMMAND:
            if (lParam != 0) {
                if (TWin32Child* child = TWin32Child::FromHandle(reinterpret_cast<HWND>(lParam)))
                    child->OnCommand(HIWORD(wParam));
                return 0;
            }
            if (HIWORD(wParam) == 0) events_.PeerMenuCommand(LOWORD(wParam));
            return 0;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (TWin32Child* child = TWin32Child::FromHandle(item->hwndItem)) {
                child->OnDrawItem(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: {
            // A combo box's edit field asks through the combo box.
            auto control = reinterpret_cast<HWND>(lParam);
            TWin32Child* child = TWin32Child::FromHandle(control);
            if (child == nullptr) child = TWin32Child::FromHandle(GetParent(control));
            if (child != nullptr) {
                if (HBRUSH brush = child->OnCtlColor(reinterpret_cast<HDC>(wParam)))
                    return reinterpret_cast<LRESULT>(brush);
            }
            break;
        }
        case WM_ERASEBKGND: {
            RECT rect = {};
            GetClientRect(window_, &rect);
            FillRect(reinterpret_cast<HDC>(wParam), &rect, brush_.Get());
            return 1;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) focus_ = focus;
                return 0;
            }
            // Back to the control that had the focus, else the first in tab order.
            if (focus_ == nullptr || !IsWindow(focus_) || !IsChild(window_, focus_))
                focus_ = GetNextDlgTabItem(window_, nullptr, FALSE);
            if (focus_ != nullptr && !HIWORD(wParam)) {
                SetFocus(focus_);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}
