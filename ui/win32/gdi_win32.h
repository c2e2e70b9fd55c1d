// GDI objects owned by the peer that made them (RAII, non-copyable), and the
// conversions of the toolkit's colours and fonts to GDI's. Main thread only.
#pragma once

#include <windows.h>

#include <utility>

#include "ui/graphics.h"

// A font, brush or bitmap, deleted with its holder.
template <class Handle>
class TGdiObject {
  public:
    TGdiObject() = default;
    explicit TGdiObject(Handle handle) : handle_(handle) {}
    ~TGdiObject() { Reset(); }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    TGdiObject(TGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    TGdiObject& operator=(TGdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = nullptr;
};

// The colour as GDI draws it; a system colour is looked up now.
inline COLORREF ColorRefOf(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(SystemColorIndex(color));
    return static_cast<COLORREF>(color) & 0x00FFFFFFu;
}

// A font of the data's face, pixel height and style.
inline HFONT MakeFont(const TFontData& font) {
    return CreateFontA(font.Height, 0, 0, 0, (font.Style & fsBold) != 0 ? FW_BOLD : FW_NORMAL,
                       (font.Style & fsItalic) != 0, (font.Style & fsUnderline) != 0,
                       (font.Style & fsStrikeOut) != 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       font.Name.c_str());
}
