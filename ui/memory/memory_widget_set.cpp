// The in-memory window system: forms with fixed frame metrics, a message
// queue, recorded message boxes and the user's actions.
#include "ui/memory/memory_widget_set.h"

#include <chrono>

#include "rtl/error_report.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/control.h"
#include "ui/edit.h"
#include "ui/form.h"

namespace {

constexpr int kCaptionHeight = 18;
constexpr int kMenuHeight = 20;

template <class Action>
void AtBoundary(Action&& action) {
    ErrorReport::Guard(std::forward<Action>(action));
}

}  // namespace

TMemoryFormPeer::TMemoryFormPeer(std::string name, TMemoryFormPeer* ownerPeer,
                                 IFormEvents& formEvents)
    : className(std::move(name)), owner(ownerPeer), events(formEvents) {}

TMemoryFormPeer::~TMemoryFormPeer() = default;

TExtent TMemoryFormPeer::FrameSize() const {
    int border = 0;
    int caption = kCaptionHeight;
    switch (borderStyle) {
        case TBorderStyle::bsNone:
            caption = 0;
            break;
        case TBorderStyle::bsSizeable:
        case TBorderStyle::bsSizeToolWin:
            border = 4;
            break;
        default:
            border = 3;
            break;
    }
    const int menuBar = menu.empty() ? 0 : kMenuHeight;
    return TExtent{2 * border, 2 * border + caption + menuBar};
}

TBounds TMemoryFormPeer::CurrentBounds() const {
    if (state == TWindowState::wsMaximized) {
        const int border = FrameSize().Width / 2;
        return TBounds{-border, -border, TMemoryWidgetSet::kScreenWidth + 2 * border,
                       TMemoryWidgetSet::kScreenHeight + 2 * border};
    }
    return normalBounds;
}

TExtent TMemoryFormPeer::ClientSize() {
    // While minimised, the size it will have again.
    const TBounds outer = state == TWindowState::wsMinimized ? normalBounds : CurrentBounds();
    const TExtent frame = FrameSize();
    return TExtent{std::max(outer.Width - frame.Width, 0),
                   std::max(outer.Height - frame.Height, 0)};
}

void TMemoryFormPeer::SetBorder(TBorderStyle style, TBorderIcons icons) {
    const TExtent before = ClientSize();
    borderStyle = style;
    borderIcons = icons;
    if (ClientSize() != before) events.PeerSizeChanged();
}

void TMemoryFormPeer::SetBounds(const TBounds& bounds) {
    const TExtent before = ClientSize();
    normalBounds = bounds;
    if (state != TWindowState::wsMaximized && ClientSize() != before) events.PeerSizeChanged();
}

void TMemoryFormPeer::SetClientSize(const TExtent& size) {
    const TExtent frame = FrameSize();
    SetBounds(TBounds{normalBounds.Left, normalBounds.Top, size.Width + frame.Width,
                      size.Height + frame.Height});
}

void TMemoryFormPeer::SetMenu(const std::vector<TMenuEntry>& value) {
    const TExtent before = ClientSize();
    menu = value;
    // The menu bar takes its height from the client area, as a real one does.
    if (ClientSize() != before) events.PeerSizeChanged();
}

void TMemoryFormPeer::ChangeState(TWindowState value) {
    if (value == state) return;
    state = value;
    events.PeerSizeChanged();
}

void TMemoryFormPeer::SetWindowState(TWindowState value) {
    ChangeState(value);
}

void TMemoryFormPeer::Show(TWindowState value, bool activate) {
    visible = true;
    activatedOnShow = activate;
    ++showCount;
    ChangeState(value);
}

std::unique_ptr<IFormPeer> TMemoryWidgetSet::CreateForm(const std::string& className,
                                                        IFormPeer* owner, IFormEvents& events) {
    return std::make_unique<TMemoryFormPeer>(className, dynamic_cast<TMemoryFormPeer*>(owner),
                                             events);
}

std::unique_ptr<ILabelPeer> TMemoryWidgetSet::CreateLabel(IFormPeer& parent) {
    return std::make_unique<TMemoryLabelPeer>(dynamic_cast<TMemoryFormPeer&>(parent));
}

std::unique_ptr<IButtonPeer> TMemoryWidgetSet::CreateButton(IFormPeer& parent,
                                                            IControlEvents& events) {
    return std::make_unique<TMemoryButtonPeer>(dynamic_cast<TMemoryFormPeer&>(parent), events);
}

std::unique_ptr<ICheckBoxPeer> TMemoryWidgetSet::CreateCheckBox(IFormPeer& parent,
                                                                IControlEvents& events) {
    return std::make_unique<TMemoryCheckBoxPeer>(dynamic_cast<TMemoryFormPeer&>(parent), events);
}

std::unique_ptr<IEditPeer> TMemoryWidgetSet::CreateEdit(IFormPeer& parent) {
    return std::make_unique<TMemoryEditPeer>(dynamic_cast<TMemoryFormPeer&>(parent));
}

std::unique_ptr<IComboBoxPeer> TMemoryWidgetSet::CreateComboBox(IFormPeer& parent,
                                                                const TComboBoxOptions& options) {
    return std::make_unique<TMemoryComboBoxPeer>(dynamic_cast<TMemoryFormPeer&>(parent), options);
}

std::unique_ptr<IRichEditPeer> TMemoryWidgetSet::CreateRichEdit(IFormPeer& parent,
                                                                const TRichEditOptions& options) {
    return std::make_unique<TMemoryRichEditPeer>(dynamic_cast<TMemoryFormPeer&>(parent), options);
}

bool TMemoryWidgetSet::ProcessMessage(bool* quit) {
    Message message;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.empty()) return false;
        message = std::move(queue_.front());
        queue_.pop_front();
    }
    if (message.quit) {
        *quit = true;
        return true;
    }
    AtBoundary(message.call);
    return true;
}

void TMemoryWidgetSet::WaitMessage() {
    if (OnIdle && Pending() == 0) OnIdle();
    std::unique_lock<std::mutex> lock(mutex_);
    if (!posted_.wait_for(lock, std::chrono::milliseconds(waitTimeoutMs),
                          [this] { return !queue_.empty(); }))
        throw std::runtime_error("in-memory message loop: nothing to wait for");
}

void TMemoryWidgetSet::PostQuitMessage(int exitCode) {
    ++quitRequests;
    lastExitCode = exitCode;
    std::lock_guard<std::mutex> lock(mutex_);
    Message message;
    message.quit = true;
    queue_.push_back(std::move(message));
    posted_.notify_all();
}

void TMemoryWidgetSet::PostCall(std::function<void()> call) {
    std::lock_guard<std::mutex> lock(mutex_);
    Message message;
    message.call = std::move(call);
    queue_.push_back(std::move(message));
    posted_.notify_all();
}

int TMemoryWidgetSet::StartTimer(std::uint32_t intervalMs, std::function<void()> tick) {
    const int id = nextTimer_++;
    timers_[id] = Timer{intervalMs, std::move(tick)};
    return id;
}

void TMemoryWidgetSet::StopTimer(int id) {
    timers_.erase(id);
}

std::map<int, std::uint32_t> TMemoryWidgetSet::Timers() const {
    std::map<int, std::uint32_t> intervals;
    for (const auto& entry : timers_) intervals[entry.first] = entry.second.intervalMs;
    return intervals;
}

void TMemoryWidgetSet::FireTimers() {
    std::vector<int> ids;
    for (const auto& entry : timers_) ids.push_back(entry.first);
    for (int id : ids) {
        const auto found = timers_.find(id);
        if (found == timers_.end()) continue;  // stopped by an earlier tick
        const std::function<void()> tick = found->second.tick;
        AtBoundary(tick);
    }
}

size_t TMemoryWidgetSet::Pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

void TMemoryWidgetSet::MessageBoxA(const std::string& text, const std::string& caption,
                                   TMessageBoxIcon icon) {
    TMemoryMessageBox box{text, caption, icon};
    messageBoxes.push_back(box);
    ++openMessageBoxes;
    struct Closed {
        int& open;
        ~Closed() { --open; }
    } closed{openMessageBoxes};
    if (OnMessageBox) OnMessageBox(box);
}

std::optional<std::string> TMemoryWidgetSet::OpenFileDialog(IFormPeer* owner,
                                                            const std::string& title,
                                                            const std::vector<TFileFilter>& filters,
                                                            const std::string& initialPath) {
    if (!OnOpenFileDialog) throw std::logic_error("a file dialog nobody answers");
    auto* form = dynamic_cast<TMemoryFormPeer*>(owner);
    TMemoryFileDialog dialog{form != nullptr ? form->className : std::string(), title, filters,
                             initialPath};
    fileDialogs.push_back(dialog);
    ++openFileDialogs;
    struct Closed {
        int& open;
        ~Closed() { --open; }
    } closed{openFileDialogs};
    return OnOpenFileDialog(dialog);
}

void TMemoryWidgetSet::CancelMouseCapture() {
    if (!mouseCaptured) return;
    mouseCaptured = false;
    ++cancelModeMessages;
}

IControlPeer* TMemoryWidgetSet::AnyPeerOf(const TControl* control) {
    if (control == nullptr || control->Peer() == nullptr)
        throw std::logic_error("the control has no peer");
    return control->Peer();
}

TMemoryFormPeer& TMemoryWidgetSet::PeerOf(TForm* form) {
    auto* peer = dynamic_cast<TMemoryFormPeer*>(&form->FormPeer());
    if (peer == nullptr) throw std::logic_error("not an in-memory form");
    return *peer;
}

void TMemoryWidgetSet::RequireNoBox() const {
    if (openMessageBoxes > 0) throw std::logic_error("a message box is open");
    if (openFileDialogs > 0) throw std::logic_error("a file dialog is open");
}

void TMemoryWidgetSet::RequireUsable(TMemoryFormPeer& form) const {
    RequireNoBox();
    if (!form.visible) throw std::logic_error("the form is hidden");
    if (!form.enabled) throw std::logic_error("the form is disabled");
}

void TMemoryWidgetSet::RequireUsable(const TControl* control) const {
    auto* state = dynamic_cast<TMemoryControlState*>(AnyPeerOf(control));
    if (state == nullptr) throw std::logic_error("not an in-memory control");
    RequireUsable(state->Form());
    if (state->Form().state == TWindowState::wsMinimized)
        throw std::logic_error("the form is minimised");
    if (!state->visible) throw std::logic_error("the control is hidden");
    if (!state->enabled) throw std::logic_error("the control is disabled");
}

void TMemoryWidgetSet::Click(TControl* control) {
    RequireUsable(control);
    if (auto* check = dynamic_cast<TMemoryCheckBoxPeer*>(control->Peer())) {
        check->checked = !check->checked;
        AtBoundary([check] { check->events.PeerClicked(); });
        return;
    }
    if (auto* button = dynamic_cast<TMemoryButtonPeer*>(control->Peer())) {
        AtBoundary([button] { button->events.PeerClicked(); });
        return;
    }
    throw std::logic_error("only buttons and check boxes are clicked");
}

void TMemoryWidgetSet::TypeText(TComboBox* combo, const std::string& text) {
    RequireUsable(combo);
    auto& peer = PeerOf<TMemoryComboBoxPeer>(combo);
    if (peer.options.Style != TComboBoxStyle::csDropDown)
        throw std::logic_error("a drop-down list takes no typing");
    peer.Type(text);
}

void TMemoryWidgetSet::TypeText(TEdit* edit, const std::string& text) {
    RequireUsable(edit);
    PeerOf<TMemoryEditPeer>(edit).text = text;
}

void TMemoryWidgetSet::ChooseItem(TComboBox* combo, int index) {
    RequireUsable(combo);
    auto& peer = PeerOf<TMemoryComboBoxPeer>(combo);
    if (index < 0 || index >= static_cast<int>(peer.items.size()))
        throw std::logic_error("no such item");
    peer.SetItemIndex(index);
}

void TMemoryWidgetSet::ChooseMenu(TForm* form, const std::vector<std::string>& path) {
    TMemoryFormPeer& peer = PeerOf(form);
    RequireUsable(peer);
    const std::vector<TMenuEntry>* entries = &peer.menu;
    const TMenuEntry* chosen = nullptr;
    for (const std::string& caption : path) {
        chosen = nullptr;
        for (const TMenuEntry& entry : *entries) {
            if (entry.Caption == caption) chosen = &entry;
        }
        if (chosen == nullptr) throw std::logic_error("no menu item " + caption);
        if (!chosen->Enabled) throw std::logic_error("menu item " + caption + " is disabled");
        entries = &chosen->Items;
    }
    if (chosen == nullptr || !chosen->Items.empty())
        throw std::logic_error("the path does not end at a command");
    const int command = chosen->Command;
    AtBoundary([&peer, command] { peer.events.PeerMenuCommand(command); });
}

void TMemoryWidgetSet::PressCloseBox(TForm* form) {
    TMemoryFormPeer& peer = PeerOf(form);
    RequireUsable(peer);
    if ((peer.borderIcons & biSystemMenu) == 0 || peer.borderStyle == TBorderStyle::bsNone)
        throw std::logic_error("the form has no close box");
    AtBoundary([&peer] { peer.events.PeerCloseRequested(); });
}

void TMemoryWidgetSet::SystemMenuClose(TForm* form) {
    // The system menu's close command reaches the form as the close box does.
    PressCloseBox(form);
}

void TMemoryWidgetSet::ResizeForm(TForm* form, int width, int height) {
    TMemoryFormPeer& peer = PeerOf(form);
    RequireUsable(peer);
    if (peer.borderStyle != TBorderStyle::bsSizeable &&
        peer.borderStyle != TBorderStyle::bsSizeToolWin)
        throw std::logic_error("the form's frame is not sizeable");
    if (peer.state != TWindowState::wsNormal) throw std::logic_error("the form is not restored");
    AtBoundary([&peer, width, height] {
        peer.SetBounds(TBounds{peer.normalBounds.Left, peer.normalBounds.Top, width, height});
    });
}

void TMemoryWidgetSet::Minimize(TForm* form) {
    TMemoryFormPeer& peer = PeerOf(form);
    RequireUsable(peer);
    AtBoundary([&peer] { peer.SetWindowState(TWindowState::wsMinimized); });
}

void TMemoryWidgetSet::Maximize(TForm* form) {
    TMemoryFormPeer& peer = PeerOf(form);
    RequireUsable(peer);
    if ((peer.borderIcons & biMaximize) == 0)
        throw std::logic_error("the form has no maximise box");
    AtBoundary([&peer] { peer.SetWindowState(TWindowState::wsMaximized); });
}

void TMemoryWidgetSet::Restore(TForm* form) {
    // From the task bar: a minimised form is restored even when disabled.
    TMemoryFormPeer& peer = PeerOf(form);
    RequireNoBox();
    if (!peer.visible) throw std::logic_error("the form is hidden");
    AtBoundary([&peer] { peer.SetWindowState(TWindowState::wsNormal); });
}
