// TForm: the form's window, its show and close logic and its modal loop.
#include "ui/form.h"

#include <algorithm>

#include "platform/seam.h"
#include "rtl/error_report.h"
#include "ui/application.h"
#include "ui/control.h"
#include "ui/menus.h"
#include "ui/stored_values.h"

TForm::TForm(TComponent* AOwner)
    : TComponent(AOwner),
      widgets_(Seam<IWidgetSet>::Get()),
      application_(dynamic_cast<TApplication*>(AOwner)) {
    font_.OnChange = [this](TObject*) {
        for (TControl* control : controls_) {
            if (control->ParentFont()) control->FollowParentFont(font_.Data());
        }
    };
    if (application_ != nullptr) application_->AddForm(this);
}

TForm::~TForm() {
    if (menu_ != nullptr) {
        menu_->SetOnChange(nullptr);
        RemoveFreeNotification(menu_);
        menu_ = nullptr;
    }
    // The parts go while the form can still tell them apart from itself.
    DestroyComponents();
    for (TControl* control : std::vector<TControl*>(controls_)) control->DetachFromParent();
    controls_.clear();
    tabList_.clear();
    if (application_ != nullptr) application_->RemoveForm(this);
    peer_.reset();
}

IFormPeer& TForm::FormPeer() {
    if (!peer_) {
        IFormPeer* owner = nullptr;
        if (application_ != nullptr && application_->MainForm() != nullptr &&
            application_->MainForm() != this)
            owner = &application_->MainForm()->FormPeer();
        peer_ = widgets_.CreateForm(ClassName(), owner, *this);
        peer_->SetCaption(caption_);
        peer_->SetBorder(borderStyle_, borderIcons_);
        peer_->SetColor(color_);
        peer_->SetBounds(bounds_);
        client_ = peer_->ClientSize();
    }
    return *peer_;
}

void TForm::SetCaption(const std::string& caption) {
    caption_ = caption;
    FormPeer().SetCaption(caption_);
}

void TForm::SetBounds(int left, int top, int width, int height) {
    bounds_ = TBounds{left, top, std::max(width, 0), std::max(height, 0)};
    FormPeer().SetBounds(bounds_);
    SyncSize();
}

void TForm::SetClientWidth(int width) {
    pendingClient_.Width = width;
    clientWidthSet_ = true;
    if (!Loading()) ApplyClientSize();
}

void TForm::SetClientHeight(int height) {
    pendingClient_.Height = height;
    clientHeightSet_ = true;
    if (!Loading()) ApplyClientSize();
}

void TForm::ApplyClientSize() {
    if (!clientWidthSet_ && !clientHeightSet_) return;
    TExtent wanted = FormPeer().ClientSize();
    if (clientWidthSet_) wanted.Width = pendingClient_.Width;
    if (clientHeightSet_) wanted.Height = pendingClient_.Height;
    clientWidthSet_ = clientHeightSet_ = false;
    FormPeer().SetClientSize(wanted);
    SyncSize();
}

void TForm::SetColor(TColor color) {
    color_ = color;
    FormPeer().SetColor(color_);
    for (TControl* control : controls_) {
        if (control->ParentColor()) control->FollowParentColor(color_);
    }
}

void TForm::SetBorderStyle(TBorderStyle style) {
    borderStyle_ = style;
    FormPeer().SetBorder(borderStyle_, borderIcons_);
    SyncSize();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    borderIcons_ = icons;
    FormPeer().SetBorder(borderStyle_, borderIcons_);
}

void TForm::SetWindowState(TWindowState state) {
    windowState_ = state;
    if (visible_ && !Loading()) {
        FormPeer().SetWindowState(state);
        SyncSize();
    }
}

void TForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_) return;
    if (menu_ != nullptr) {
        menu_->SetOnChange(nullptr);
        RemoveFreeNotification(menu_);
    }
    menu_ = menu;
    if (menu_ != nullptr) {
        FreeNotification(menu_);
        menu_->SetOnChange([this] { PushMenu(); });
    }
    if (!Loading()) PushMenu();
}

void TForm::PushMenu() {
    FormPeer().SetMenu(menu_ != nullptr ? menu_->Entries() : std::vector<TMenuEntry>{});
    SyncSize();
}

void TForm::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == menu_) {
        menu_ = nullptr;
        if (!Destroying() && peer_) PushMenu();
    }
}

bool TForm::Enabled() {
    return FormPeer().Enabled();
}

void TForm::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (Loading()) return;
    if (visible_) {
        ShowWindow();
    } else {
        showPending_ = false;
        FormPeer().Hide();
    }
}

void TForm::Show() {
    if (visible_) {
        if (!Loading()) FormPeer().Show(windowState_, windowState_ != TWindowState::wsMinimized);
        return;
    }
    SetVisible(true);
}

void TForm::ShowWindow() {
    showPending_ = true;
    everShown_ = true;
    const int resizesBefore = resizeCount_;
    FormPeer().Show(windowState_, windowState_ != TWindowState::wsMinimized);
    SyncSize();
    if (FormPeer().WindowState() == TWindowState::wsMinimized) return;
    // The first show runs the resize rule at the size shown, if the window
    // system did not report a size change on its way up.
    if (resizeCount_ == resizesBefore) DoResize();
    ShowWhenRestored();
}

void TForm::ShowWhenRestored() {
    if (!showPending_ || !visible_) return;
    showPending_ = false;
    DoShow();
}

void TForm::SyncSize() {
    if (!peer_) return;
    const TBounds bounds = peer_->Bounds();
    const TExtent client = peer_->ClientSize();
    const TWindowState state = peer_->WindowState();
    const bool resized =
        bounds.Width != bounds_.Width || bounds.Height != bounds_.Height || client != client_;
    bounds_ = bounds;
    client_ = client;
    if (visible_) windowState_ = state;
    // Sizes a window takes before it is first shown are not reported: its
    // first show runs the resize rule once, at the size it is shown in.
    if (resized && !Loading() && everShown_) DoResize();
}

void TForm::DoShow() {
    ErrorReport::Guard([this] { RaiseEvent(OnShow, this); });
}

void TForm::DoResize() {
    ++resizeCount_;
    ErrorReport::Guard([this] { RaiseEvent(OnResize, this); });
}

void TForm::DoClose(TCloseAction& action) {
    RaiseEvent(OnClose, this, action);
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone) return;
    if (application_ != nullptr && application_->MainForm() == this) {
        application_->Terminate();
        return;
    }
    switch (action) {
        case TCloseAction::caHide:
            Hide();
            break;
        case TCloseAction::caMinimize:
            SetWindowState(TWindowState::wsMinimized);
            break;
        case TCloseAction::caFree:
            Release();
            break;
        case TCloseAction::caNone:
            break;
    }
}

void TForm::CloseModal() {
    try {
        TCloseAction action = TCloseAction::caHide;
        DoClose(action);
        if (action == TCloseAction::caNone) modalResult_ = mrNone;
    } catch (...) {
        // The dialog stays open; the user sees why and may try again.
        modalResult_ = mrNone;
        ErrorReport::Report(std::current_exception());
    }
}

int TForm::ShowModal() {
    if (visible_ || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    std::vector<TForm*> disabled;
    if (application_ != nullptr) {
        for (int i = 0; i < application_->FormCount(); ++i) {
            TForm* form = application_->Forms(i);
            // Only what the user can reach: a hidden form disabled now would
            // stay disabled when it is shown from inside this dialog.
            if (form != this && form->peer_ && form->peer_->Visible() && form->peer_->Enabled()) {
                form->peer_->SetEnabled(false);
                disabled.push_back(form);
            }
        }
    }
    modal_ = true;
    modalResult_ = mrNone;
    struct EndModal {
        TForm* form;
        std::vector<TForm*>& disabled;
        ~EndModal() {
            // Enable the others first, so that hiding hands activation back to them.
            for (TForm* other : disabled) {
                if (other->peer_) other->peer_->SetEnabled(true);
            }
            form->modal_ = false;
            ErrorReport::Guard([this] { form->Hide(); });
        }
    } endModal{this, disabled};
    Show();
    do {
        if (application_ != nullptr) {
            application_->HandleMessage();
            if (application_->Terminated()) {
                modalResult_ = mrCancel;
                break;
            }
        } else {
            bool quit = false;
            if (!widgets_.ProcessMessage(&quit)) widgets_.WaitMessage();
            if (quit) {
                modalResult_ = mrCancel;
                break;
            }
        }
        if (modalResult_ != mrNone) CloseModal();
    } while (modalResult_ == mrNone);
    return modalResult_;
}

void TForm::Release() {
    widgets_.PostCall([this] { delete this; });
}

void TForm::PeerCloseRequested() {
    ErrorReport::Guard([this] { Close(); });
}

void TForm::PeerSizeChanged() {
    if (!peer_) return;
    const int resizesBefore = resizeCount_;
    SyncSize();
    // A form shown minimised gets its first show when it is first restored.
    if (visible_ && showPending_ && peer_->Visible() &&
        peer_->WindowState() != TWindowState::wsMinimized) {
        if (resizeCount_ == resizesBefore) DoResize();
        ShowWhenRestored();
    }
}

void TForm::PeerMenuCommand(int command) {
    if (menu_ == nullptr) return;
    TMenuItem* item = menu_->FindCommand(command);
    if (item != nullptr && item->Enabled()) ErrorReport::Guard([item] { item->Click(); });
}

void TForm::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (control->CanTab()) tabList_.push_back(control);
}

void TForm::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
}

int TForm::TabIndexOf(const TControl* control) const {
    auto found = std::find(tabList_.begin(), tabList_.end(), control);
    return found == tabList_.end() ? -1 : static_cast<int>(found - tabList_.begin());
}

void TForm::MoveInTabList(TControl* control, int order) {
    auto found = std::find(tabList_.begin(), tabList_.end(), control);
    if (found == tabList_.end()) return;
    tabList_.erase(found);
    order = std::clamp(order, 0, static_cast<int>(tabList_.size()));
    tabList_.insert(tabList_.begin() + order, control);
    PlaceTabPeers();
}

void TForm::ApplyStoredTabOrders() {
    std::vector<TControl*> stored;
    for (TControl* control : tabList_) {
        if (control->storedTabOrder_ >= 0) stored.push_back(control);
    }
    std::stable_sort(stored.begin(), stored.end(), [](const TControl* a, const TControl* b) {
        return a->storedTabOrder_ < b->storedTabOrder_;
    });
    for (TControl* control : stored) {
        const int order = control->storedTabOrder_;
        control->storedTabOrder_ = -1;
        tabList_.erase(std::find(tabList_.begin(), tabList_.end(), control));
        tabList_.insert(tabList_.begin() + std::clamp(order, 0, static_cast<int>(tabList_.size())),
                        control);
    }
}

void TForm::ControlPeerMade(TControl*) {
    if (!Loading()) PlaceTabPeers();
}

void TForm::PlaceTabPeers() {
    IControlPeer* previous = nullptr;
    for (TControl* control : tabList_) {
        if (control->Peer() == nullptr) continue;
        control->Peer()->PlaceAfter(previous);
        previous = control->Peer();
    }
}

void TForm::Loaded() {
    TComponent::Loaded();
    ApplyStoredTabOrders();
    PlaceTabPeers();
    PushMenu();
    ApplyClientSize();
    if (visible_) ShowWindow();
}

void TForm::SetParentComponent(TComponent*) {}

bool TForm::ReadProperty(TLayoutReader& reader, const std::string& name,
                         const TLayoutValue& value) {
    if (name == "Left") {
        SetLeft(value.AsInteger());
    } else if (name == "Top") {
        SetTop(value.AsInteger());
    } else if (name == "Width") {
        SetWidth(value.AsInteger());
    } else if (name == "Height") {
        SetHeight(value.AsInteger());
    } else if (name == "ClientWidth") {
        SetClientWidth(value.AsInteger());
    } else if (name == "ClientHeight") {
        SetClientHeight(value.AsInteger());
    } else if (name == "Caption") {
        SetCaption(value.AsString());
    } else if (name == "Color") {
        SetColor(ColorValue(value));
    } else if (name == "BorderStyle") {
        SetBorderStyle(static_cast<TBorderStyle>(EnumValue(
            value,
            {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})));
    } else if (name == "BorderIcons") {
        TBorderIcons icons = 0;
        for (const std::string& member : value.AsSet()) {
            icons |= 1u << EnumValue(Ident(member),
                                     {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
        }
        SetBorderIcons(icons);
    } else if (name == "WindowState") {
        SetWindowState(static_cast<TWindowState>(
            EnumValue(value, {"wsNormal", "wsMinimized", "wsMaximized"})));
    } else if (name == "Visible") {
        SetVisible(value.AsBoolean());
    } else if (name == "Menu") {
        reader.Reference<TMainMenu>(value, [this](TMainMenu* menu) { SetMenu(menu); });
    } else if (name == "OnShow") {
        OnShow = reader.FindMethod<TNotifyEvent>(value);
    } else if (name == "OnResize") {
        OnResize = reader.FindMethod<TNotifyEvent>(value);
    } else if (name == "OnClose") {
        OnClose = reader.FindMethod<TCloseEvent>(value);
    } else if (name == "PixelsPerInch") {
        // Positions and font heights are used as stored, in pixels.
        if (value.AsInteger() != 96) throw EReadError("Only layouts made at 96 dpi are read");
    } else if (name == "TextHeight") {
        value.AsInteger();
    } else if (name == "AutoScroll") {
        // A form never scrolls its controls.
        if (value.AsBoolean()) throw EReadError("Scrolling forms are not supported");
    } else if (name == "Position") {
        EnumValue(value, {"poDesigned"});
    } else {
        return ReadFontProperty(font_, name, value);
    }
    return true;
}
