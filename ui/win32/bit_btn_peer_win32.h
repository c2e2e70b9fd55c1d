// A picture button's peer: an owner-drawn push button that draws its frame,
// its glyph (the normal image, or the disabled one when it is disabled) left of
// its caption, the pair centred, and the focus rectangle. The glyph is a
// bitmap resource of the program; its bottom-left pixel's colour is
// transparent. Main thread only; SetGlyph throws EOutOfResources when the
// resource is missing.
#pragma once

#include "ui/win32/control_peer_win32.h"

class TWin32BitBtnPeer : public TWin32Control<IButtonPeer> {
  public:
    TWin32BitBtnPeer(TWin32FormPeer& form, IControlEvents& events);

    void SetCaption(const std::string& caption) override;
    void SetGlyph(const std::string& resourceName, int numGlyphs) override;
    void OnCommand(int code) override;
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;

    HBITMAP Glyph() const { return glyph_.Get(); }

  private:
    void DrawGlyph(HDC dc, int left, int top, bool disabled) const;

    IControlEvents& events_;
    std::string caption_;
    TGdiObject<HBITMAP> glyph_;
    int numGlyphs_ = 1;
    SIZE glyphSize_ = {0, 0};  // one image
};
