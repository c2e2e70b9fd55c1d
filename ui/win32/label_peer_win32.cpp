// The label's static control and its measuring.
#include "ui/win32/label_peer_win32.h"

TWin32LabelPeer::TWin32LabelPeer(TWin32FormPeer& form)
    : TWin32Control(form, "STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX) {}

void TWin32LabelPeer::SetCaption(const std::string& caption) {
    SetWindowTextA(window_, caption.c_str());
}

void TWin32LabelPeer::SetTransparent(bool transparent) {
    transparent_ = transparent;
    InvalidateRect(window_, nullptr, TRUE);
}

TExtent TWin32LabelPeer::TextExtent(const std::string& text) {
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, font_.Get() != nullptr ? static_cast<HGDIOBJ>(font_.Get())
                                                          : GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    return TExtent{rect.right - rect.left, rect.bottom - rect.top};
}

HBRUSH TWin32LabelPeer::OnCtlColor(HDC dc) {
    if (!transparent_) return TWin32Control::OnCtlColor(dc);
    // The form's own brush: a static control drawn with a hollow brush would
    // leave its old text behind when the caption changes.
    SetTextColor(dc, ColorRefOf(fontColor_));
    SetBkMode(dc, TRANSPARENT);
    return form_.BackgroundBrush();
}
