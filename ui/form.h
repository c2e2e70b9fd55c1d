// TForm: a top-level window built from a stored layout, holding controls and
// a menu bar, shown normally, minimised, maximised or modally.
//
// Ownership: a form is owned by the application (TApplication::CreateForm) or
// by any component; it owns the components its layout makes. Its peer (the
// window) is made on first need, named after ClassName(), which each form class
// overrides. Derived forms read their layout in their constructor through a
// TLayoutReader on `this`.
//
// Events and errors: OnShow runs when the form becomes visible and not
// minimised after having been hidden, so a form shown minimised gets it when it
// is first restored. OnResize runs at that first show and whenever the size
// changes afterwards, never while the form is loading. What OnShow and OnResize
// raise goes to the error report and the form carries on; so does what escapes
// a close by the close box or system menu. Close() called by the program passes
// OnClose's exception to its caller and leaves the form open. A modal form
// whose OnClose raises stays open; the error is reported.
//
// Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/classes.h"
#include "ui/graphics.h"
#include "ui/layout.h"
#include "ui/peers.h"
#include "ui/widget_set.h"

class TApplication;
class TControl;
class TMainMenu;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

class TForm : public TComponent, public IStoredComponent, private IFormEvents {
  public:
    // The widget set comes from Seam<IWidgetSet>. When AOwner is a
    // TApplication the form joins its list of forms.
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    const char* ClassName() const override { return "TForm"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    // Outer bounds on the screen; while minimised, the restored ones.
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
    // The client area, under the menu bar. Set while loading, it is applied
    // when loading ends, once the menu bar is there.
    int ClientWidth() const { return client_.Width; }
    int ClientHeight() const { return client_.Height; }
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFont* Font() { return &font_; }
    const TFont* Font() const { return &font_; }

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);

    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);

    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show();
    void Hide() { SetVisible(false); }
    bool Enabled();
    // The task bar button flashes until the user activates the window.
    void FlashUntilActive() { FormPeer().FlashUntilActive(); }

    // Runs OnClose with the action caHide and carries the action out: hides,
    // minimises or frees the form, or, for the application's main form, ends
    // the program. caNone keeps it open. For a modal form it only asks the
    // modal loop to end (ModalResult mrCancel).
    void Close();
    // Shows the form, disables the application's other forms and runs the
    // message loop until ModalResult is set and the form's OnClose lets it go
    // (or the application ends); then hides it. Returns the ModalResult.
    // EInvalidOperation when the form is visible already.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    bool Modal() const { return modal_; }
    // Frees the form from the message loop, once what is waiting has run.
    void Release();

    TNotifyEvent OnShow;
    TNotifyEvent OnResize;
    TCloseEvent OnClose;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(index); }

    TApplication* Application() const { return application_; }
    IWidgetSet& WidgetSet() const { return widgets_; }
    // The window; made on first need.
    IFormPeer& FormPeer();

    bool ReadProperty(TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) override;
    void SetParentComponent(TComponent* parent) override;
    void Loaded() override;

  protected:
    virtual void DoShow();
    virtual void DoResize();
    virtual void DoClose(TCloseAction& action);
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    int TabIndexOf(const TControl* control) const;
    void MoveInTabList(TControl* control, int order);
    void ControlPeerMade(TControl* control);
    void PlaceTabPeers();
    void ApplyStoredTabOrders();

    void ShowWindow();
    void ShowWhenRestored();
    void CloseModal();
    void ApplyClientSize();
    void PushMenu();
    void SyncSize();

    void PeerCloseRequested() override;
    void PeerSizeChanged() override;
    void PeerMenuCommand(int command) override;

    IWidgetSet& widgets_;
    TApplication* application_ = nullptr;
    std::unique_ptr<IFormPeer> peer_;
    std::string caption_;
    TBounds bounds_{0, 0, 320, 240};
    TExtent client_{0, 0};
    TExtent pendingClient_{0, 0};
    bool clientWidthSet_ = false;
    bool clientHeightSet_ = false;
    TColor color_ = clBtnFace;
    TFont font_;
    TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TWindowState windowState_ = TWindowState::wsNormal;
    TMainMenu* menu_ = nullptr;
    bool visible_ = false;
    bool showPending_ = false;  // shown, but OnShow waits for a restore
    bool everShown_ = false;
    int resizeCount_ = 0;
    bool modal_ = false;
    int modalResult_ = mrNone;
    std::vector<TControl*> controls_;
    std::vector<TControl*> tabList_;
};
