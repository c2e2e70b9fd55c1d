// The driver over real windows: the user's actions are the messages the
// system itself sends for them, and what the screen shows is read back from
// the windows, not from the peers' own records.
#include <windows.h>

#include "ui/win32/control_peer_win32.h"
#include "ui/win32/form_peer_win32.h"
#include "ui/win32/widget_set_win32.h"
#include "ui_driver.h"
#include "win32_windows.h"

namespace {

class Win32Driver : public TUiDriver {
  public:
    Win32Driver() : widgets_(GetModuleHandleA(nullptr)) {}

    IWidgetSet& Widgets() override { return widgets_; }

    void Click(TControl* control) override { SendMessageA(WindowOf(control), BM_CLICK, 0, 0); }
    void TypeText(TComboBox* combo, const std::string& text) override {
        TypeInto(EditOf(WindowOf(combo)), text);
    }
    void ChooseMenu(TForm* form, const std::vector<std::string>& path) override {
        const UINT command = MenuCommand(WindowOf(form), path);
        SendMessageA(WindowOf(form), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
    void PressCloseBox(TForm* form) override {
        // What the close box and the system menu's close command send.
        SendMessageA(WindowOf(form), WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    bool Showing(TControl* control) override { return IsWindowVisible(WindowOf(control)) != 0; }
    bool FormShowing(TForm* form) override { return IsWindowVisible(WindowOf(form)) != 0; }
    std::string ShownText(TControl* control) override { return WindowText(WindowOf(control)); }
    TBounds ShownBounds(TControl* control) override { return ChildBounds(WindowOf(control)); }
    TExtent ShownClientSize(TForm* form) override {
        RECT rect = {};
        GetClientRect(WindowOf(form), &rect);
        return TExtent{rect.right, rect.bottom};
    }
    bool ShownEnabled(TForm* form) override { return IsWindowEnabled(WindowOf(form)) != 0; }

  private:
    TWin32WidgetSet widgets_;
};

}  // namespace

HWND WindowOf(const TControl* control) {
    return dynamic_cast<TWin32Child&>(*control->Peer()).Handle();
}

HWND WindowOf(TForm* form) {
    return dynamic_cast<TWin32FormPeer&>(form->FormPeer()).Handle();
}

std::string WindowText(HWND window) {
    const auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const auto copied =
        SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

TBounds ChildBounds(HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    POINT origin = {rect.left, rect.top};
    ScreenToClient(GetParent(child), &origin);
    return TBounds{origin.x, origin.y, rect.right - rect.left, rect.bottom - rect.top};
}

HWND EditOf(HWND combo) {
    return FindWindowExA(combo, nullptr, "Edit", nullptr);
}

void TypeInto(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    if (text.empty()) SendMessageA(edit, WM_CLEAR, 0, 0);
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

UINT MenuCommand(HWND form, const std::vector<std::string>& path) {
    HMENU menu = GetMenu(form);
    for (size_t level = 0; level < path.size(); ++level) {
        const int count = GetMenuItemCount(menu);
        int found = -1;
        for (int i = 0; i < count && found < 0; ++i) {
            char caption[256] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
            if (path[level] == caption) found = i;
        }
        if (found < 0) return 0;
        if (level + 1 == path.size()) return GetMenuItemID(menu, found);
        menu = GetSubMenu(menu, found);
    }
    return 0;
}

std::unique_ptr<TUiDriver> MakeUiDriver() {
    return std::make_unique<Win32Driver>();
}
