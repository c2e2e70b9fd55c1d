// TControl: what every control of a form has — bounds, visibility, enabled
// state, font, colour, tab order, the click event — and its peer.
//
// A control lives on a form (its parent) and is owned by a component, usually
// that form. Its peer is made once the control has a parent and is not loading
// (so a control read from a layout gets its peer in Loaded, with every stored
// property known); until then the properties are only kept. Every later change
// goes straight to the peer. The peer is destroyed with the control or when the
// parent form goes first.
//
// Bounds are relative to the form's client area; a negative width or height is
// taken as 0. ParentFont and ParentColor (true by default for most controls)
// make the control follow its form's font and colour until it is given its own.
//
// Main thread only. What OnClick raises when the user clicks goes to the
// application's error report (ErrorReport); Click() called by the program
// raises it to the caller.
#pragma once

#include <memory>
#include <string>

#include "rtl/classes.h"
#include "ui/graphics.h"
#include "ui/layout.h"
#include "ui/peers.h"
#include "ui/widget_set.h"

class TForm;

class TControl : public TComponent, public IStoredComponent, protected IControlEvents {
  public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    const char* ClassName() const override { return "TControl"; }

    TForm* Parent() const { return parent_; }
    void SetParent(TForm* parent);

    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width; }
    int Height() const { return bounds_.Height; }
    TBounds BoundsRect() const { return bounds_; }
    void SetLeft(int left) { SetBounds(left, bounds_.Top, bounds_.Width, bounds_.Height); }
    void SetTop(int top) { SetBounds(bounds_.Left, top, bounds_.Width, bounds_.Height); }
    void SetWidth(int width) { SetBounds(bounds_.Left, bounds_.Top, width, bounds_.Height); }
    void SetHeight(int height) { SetBounds(bounds_.Left, bounds_.Top, bounds_.Width, height); }
    void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    TFont* Font() { return &font_; }
    const TFont* Font() const { return &font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);

    // The place in the form's tab sequence, from 0; -1 for a control the tab
    // key never reaches (a label) or one without a parent.
    int TabOrder() const;
    void SetTabOrder(int order);
    // Whether the control takes part in the tab sequence at all.
    virtual bool CanTab() const { return true; }

    // Raises OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

    // The peer; null until the control has one.
    IControlPeer* Peer() const { return peer_.get(); }

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;
    void SetParentComponent(TComponent* parent) override;
    void Loaded() override;

  protected:
    // Makes the class's peer on the form's peer; the class then gives it its
    // own properties in PushState.
    virtual std::unique_ptr<IControlPeer> MakePeer(IWidgetSet& widgets, IFormPeer& form) = 0;
    virtual void PushState() {}
    // The font or the bounds changed (the peer has them already).
    virtual void FontChanged() {}
    // The peer was destroyed (with the parent form); drop typed pointers to it.
    virtual void PeerDestroyed() {}
    // Raises EInvalidOperation when there is no peer yet.
    void RequirePeer() const;

    void PeerClicked() override;

  private:
    friend class TForm;
    void MakePeerWhenReady();
    void FollowParentFont(const TFontData& font);
    void FollowParentColor(TColor color);
    void DetachFromParent();
    void OwnFontChanged();

    TForm* parent_ = nullptr;
    std::unique_ptr<IControlPeer> peer_;
    TBounds bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool followingParent_ = false;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    int storedTabOrder_ = -1;  // read from a layout, applied by the form after loading
};
