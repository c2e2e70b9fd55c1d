// The Win32 window system: classes, the loop's steps, posted calls, message
// boxes, the open-file dialog and the start request's show state.
#include "ui/win32/widget_set_win32.h"

#include <cderr.h>
#include <commdlg.h>
#include <richedit.h>

#include <memory>
#include <vector>

#include "rtl/error_report.h"
#include "ui/ui_errors.h"
#include "ui/win32/bit_btn_peer_win32.h"
#include "ui/win32/check_box_peer_win32.h"
#include "ui/win32/combo_box_peer_win32.h"
#include "ui/win32/edit_peer_win32.h"
#include "ui/win32/form_peer_win32.h"
#include "ui/win32/label_peer_win32.h"
#include "ui/win32/rich_edit_peer_win32.h"

namespace {

constexpr const char* kCallWindowClass = "VareliCalls";
constexpr UINT kCallMessage = WM_APP + 1;
constexpr UINT kTickMessage = WM_APP + 2;

TWin32FormPeer& Win32Form(IFormPeer& form) {
    return dynamic_cast<TWin32FormPeer&>(form);
}

}  // namespace

TWin32WidgetSet::TWin32WidgetSet(HINSTANCE instance) : instance_(instance), ticks_(kTickMessage) {
    // RichEdit 2.0 registers its window class when its library is loaded.
    richEdit_ = LoadLibraryA("riched20.dll");
    if (richEdit_ == nullptr) throw EOutOfResources("Cannot load riched20.dll");

    WNDCLASSA calls = {};
    calls.lpfnWndProc = &CallWindowProc;
    calls.hInstance = instance_;
    calls.lpszClassName = kCallWindowClass;
    RegisterClassA(&calls);
    // A message-only window: never shown, never found by its caption.
    callWindow_ = CreateWindowExA(0, kCallWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance_, nullptr);
    if (callWindow_ == nullptr) throw EOutOfResources("Cannot make the message window");
    SetWindowLongPtrA(callWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32WidgetSet::~TWin32WidgetSet() {
    // No timer callback may outlive the window and the ticks' handlers.
    ticks_.StopAll();
    // Calls still waiting are dropped with their storage.
    MSG message;
    while (PeekMessageA(&message, callWindow_, kCallMessage, kCallMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
    DestroyWindow(callWindow_);
    UnregisterClassA(kCallWindowClass, instance_);
    for (const std::string& name : formClasses_) UnregisterClassA(name.c_str(), instance_);
    FreeLibrary(richEdit_);
}

const char* TWin32WidgetSet::FormClass(const std::string& className) {
    auto found = formClasses_.find(className);
    if (found != formClasses_.end()) return found->c_str();
    WNDCLASSA form = {};
    form.style = CS_DBLCLKS;
    form.lpfnWndProc = &TWin32FormPeer::WindowProc;
    form.hInstance = instance_;
    // The program's own icon when its resources carry one (Vareli.exe does),
    // else the system's.
    form.hIcon = LoadIconA(instance_, "VARELI_ICON");
    if (form.hIcon == nullptr)
        form.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    form.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    form.lpszClassName = className.c_str();
    if (RegisterClassA(&form) == 0)
        throw EOutOfResources("Cannot register the window class " + className);
    return formClasses_.insert(className).first->c_str();
}

std::unique_ptr<IFormPeer> TWin32WidgetSet::CreateForm(const std::string& className,
                                                       IFormPeer* owner, IFormEvents& events) {
    HWND ownerWindow = owner != nullptr ? Win32Form(*owner).Handle() : nullptr;
    return std::make_unique<TWin32FormPeer>(*this, className, ownerWindow, events);
}

std::unique_ptr<ILabelPeer> TWin32WidgetSet::CreateLabel(IFormPeer& parent) {
    return std::make_unique<TWin32LabelPeer>(Win32Form(parent));
}

std::unique_ptr<IButtonPeer> TWin32WidgetSet::CreateButton(IFormPeer& parent,
                                                           IControlEvents& events) {
    return std::make_unique<TWin32BitBtnPeer>(Win32Form(parent), events);
}

std::unique_ptr<ICheckBoxPeer> TWin32WidgetSet::CreateCheckBox(IFormPeer& parent,
                                                               IControlEvents& events) {
    return std::make_unique<TWin32CheckBoxPeer>(Win32Form(parent), events);
}

std::unique_ptr<IEditPeer> TWin32WidgetSet::CreateEdit(IFormPeer& parent) {
    return std::make_unique<TWin32EditPeer>(Win32Form(parent));
}

std::unique_ptr<IComboBoxPeer> TWin32WidgetSet::CreateComboBox(IFormPeer& parent,
                                                               const TComboBoxOptions& options) {
    return std::make_unique<TWin32ComboBoxPeer>(Win32Form(parent), options);
}

std::unique_ptr<IRichEditPeer> TWin32WidgetSet::CreateRichEdit(IFormPeer& parent,
                                                               const TRichEditOptions& options) {
    return std::make_unique<TWin32RichEditPeer>(Win32Form(parent), options);
}

bool TWin32WidgetSet::ProcessMessage(bool* quit) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        *quit = true;
        return true;
    }
    // The active form's keyboard navigation: Tab through its controls.
    HWND active = GetActiveWindow();
    if (active != nullptr && forms_.count(active) != 0 && IsDialogMessageA(active, &message))
        return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

void TWin32WidgetSet::WaitMessage() {
    ::WaitMessage();
}

void TWin32WidgetSet::PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

void TWin32WidgetSet::PostCall(std::function<void()> call) {
    auto* posted = new std::function<void()>(std::move(call));
    if (!PostMessageA(callWindow_, kCallMessage, 0, reinterpret_cast<LPARAM>(posted)))
        delete posted;
}

LRESULT CALLBACK TWin32WidgetSet::CallWindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == kCallMessage) {
        std::unique_ptr<std::function<void()>> call(
            reinterpret_cast<std::function<void()>*>(lParam));
        ErrorReport::Guard([&call] { (*call)(); });
        return 0;
    }
    if (message == kTickMessage) {
        auto* self = reinterpret_cast<TWin32WidgetSet*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        // A tick posted before its timer was stopped is dropped here.
        if (self == nullptr || !self->ticks_.Take(wParam, lParam)) return 0;
        const auto found = self->timers_.find(static_cast<int>(wParam));
        if (found == self->timers_.end()) return 0;
        ErrorReport::Guard([&found] {
            // A copy: the tick may stop its own timer.
            const std::function<void()> tick = found->second;
            tick();
        });
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int TWin32WidgetSet::StartTimer(std::uint32_t intervalMs, std::function<void()> tick) {
    const int id = nextTimer_++;
    timers_[id] = std::move(tick);
    if (!ticks_.Start(callWindow_, static_cast<std::uintptr_t>(id), intervalMs)) {
        timers_.erase(id);
        return 0;
    }
    return id;
}

void TWin32WidgetSet::StopTimer(int id) {
    if (timers_.erase(id) == 0) return;
    ticks_.Stop(static_cast<std::uintptr_t>(id));
}

void TWin32WidgetSet::MessageBoxA(const std::string& text, const std::string& caption,
                                  TMessageBoxIcon icon) {
    // Modal to the active window; with none, to every window of the program.
    HWND owner = GetActiveWindow();
    UINT flags = MB_OK | (owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL);
    if (icon == TMessageBoxIcon::miError) flags |= MB_ICONERROR;
    ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

namespace {

// The type list as the dialog takes it: caption and patterns, each ended by
// a NUL, the whole ended by one more.
std::string FilterText(const std::vector<TFileFilter>& filters) {
    std::string text;
    for (const TFileFilter& filter : filters) {
        text += filter.Caption;
        text += '\0';
        text += filter.Patterns;
        text += '\0';
    }
    text += '\0';
    return text;
}

// Room for any path the ANSI calls take, and more.
constexpr std::size_t kPathRoom = 4096;

// One showing of the dialog: the chosen path, or nullopt with *error the
// dialog's own error code (0 when the user cancelled).
std::optional<std::string> ShowOpenDialog(HWND owner, const std::string& title,
                                          const std::string& filter, const std::string& initial,
                                          DWORD* error) {
    std::vector<char> file(kPathRoom, '\0');
    if (initial.size() < file.size()) initial.copy(file.data(), initial.size());
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrTitle = title.c_str();
    // The settings file is found in the working folder: the dialog must not
    // move it to where the user browsed.
    request.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    *error = 0;
    if (GetOpenFileNameA(&request) != 0) return std::string(file.data());
    *error = CommDlgExtendedError();
    return std::nullopt;
}

}  // namespace

std::optional<std::string> TWin32WidgetSet::OpenFileDialog(IFormPeer* owner,
                                                           const std::string& title,
                                                           const std::vector<TFileFilter>& filters,
                                                           const std::string& initialPath) {
    HWND ownerWindow = owner != nullptr ? Win32Form(*owner).Handle() : nullptr;
    const std::string filter = FilterText(filters);
    DWORD error = 0;
    auto chosen = ShowOpenDialog(ownerWindow, title, filter, initialPath, &error);
    // Windows refuses to open with a hand-typed text that is no file name:
    // then it opens without it.
    if (error == FNERR_INVALIDFILENAME && !initialPath.empty())
        chosen = ShowOpenDialog(ownerWindow, title, filter, "", &error);
    if (error != 0)
        throw EOutOfResources("Cannot open the file dialog (error " + std::to_string(error) + ")");
    return chosen;
}

void TWin32WidgetSet::CancelMouseCapture() {
    HWND capture = GetCapture();
    if (capture != nullptr) SendMessageA(capture, WM_CANCELMODE, 0, 0);
}

bool TWin32WidgetSet::InputWaiting() {
    // The high word: what is in the queue now, not what came since the last look.
    return HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)) != 0;
}

int TWin32WidgetSet::StartShowState() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWNORMAL;
}
