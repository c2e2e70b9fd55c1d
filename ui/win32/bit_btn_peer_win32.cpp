// The picture button: loading its glyph and drawing it.
#include "ui/win32/bit_btn_peer_win32.h"

namespace {

constexpr int kSpacing = 4;  // between the glyph and the caption

}  // namespace

TWin32BitBtnPeer::TWin32BitBtnPeer(TWin32FormPeer& form, IControlEvents& events)
    : TWin32Control(form, "BUTTON", BS_OWNERDRAW | WS_TABSTOP), events_(events) {}

void TWin32BitBtnPeer::SetCaption(const std::string& caption) {
    caption_ = caption;
    // Kept as the window's text too, so that it can be read from outside.
    SetWindowTextA(window_, caption.c_str());
    InvalidateRect(window_, nullptr, TRUE);
}

void TWin32BitBtnPeer::SetGlyph(const std::string& resourceName, int numGlyphs) {
    glyph_.Reset();
    glyphSize_ = SIZE{0, 0};
    numGlyphs_ = numGlyphs < 1 ? 1 : numGlyphs;
    if (!resourceName.empty()) {
        auto* bitmap =
            static_cast<HBITMAP>(LoadImageA(form_.Widgets().Instance(), resourceName.c_str(),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (bitmap == nullptr) throw EOutOfResources("Cannot load the picture " + resourceName);
        glyph_.Reset(bitmap);
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        glyphSize_ = SIZE{info.bmWidth / numGlyphs_, info.bmHeight};
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void TWin32BitBtnPeer::OnCommand(int code) {
    if (code == BN_CLICKED) events_.PeerClicked();
}

void TWin32BitBtnPeer::DrawGlyph(HDC dc, int left, int top, bool disabled) const {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, glyph_.Get());
    const int image = disabled && numGlyphs_ > 1 ? 1 : 0;
    const COLORREF transparent = GetPixel(source, 0, glyphSize_.cy - 1);
    TransparentBlt(dc, left, top, glyphSize_.cx, glyphSize_.cy, source, image * glyphSize_.cx, 0,
                   glyphSize_.cx, glyphSize_.cy, transparent);
    SelectObject(source, old);
    DeleteDC(source);
}

void TWin32BitBtnPeer::OnDrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT frame = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    FillRect(dc, &frame, GetSysColorBrush(COLOR_BTNFACE));
    DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

    HGDIOBJ oldFont = SelectObject(dc, font_.Get() != nullptr ? static_cast<HGDIOBJ>(font_.Get())
                                                              : GetStockObject(DEFAULT_GUI_FONT));
    RECT textRect = {0, 0, 0, 0};
    DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &textRect,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int textWidth = textRect.right - textRect.left;
    const int textHeight = textRect.bottom - textRect.top;
    const int glyphWidth = glyph_.Get() != nullptr ? glyphSize_.cx : 0;
    const int gap = glyphWidth > 0 && textWidth > 0 ? kSpacing : 0;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int shift = pressed ? 1 : 0;
    const int left = frame.left + (width - (glyphWidth + gap + textWidth)) / 2 + shift;

    if (glyphWidth > 0)
        DrawGlyph(dc, left, frame.top + (height - glyphSize_.cy) / 2 + shift, disabled);

    RECT text = {left + glyphWidth + gap, frame.top + (height - textHeight) / 2 + shift, 0, 0};
    text.right = text.left + textWidth;
    text.bottom = text.top + textHeight;
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        // Embossed, the way the system greys a caption.
        RECT raised = {text.left + 1, text.top + 1, text.right + 1, text.bottom + 1};
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &raised,
                  DT_SINGLELINE | DT_NOPREFIX);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, ColorRefOf(fontColor_));
    }
    DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);

    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = frame;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}
