// The application frame: message loop, error report, main-thread wake-up.
#include "ui/application.h"

#include <algorithm>

#include "rtl/error_text.h"
#include "rtl/main_thread.h"
#include "rtl/sysutils.h"

TApplication::TApplication(TComponent* AOwner, IWidgetSet& widgets)
    : TComponent(AOwner), widgets_(widgets) {
    MainThread::SetCurrentAsMain();
    previousHandler_ = ErrorReport::SetHandler(
        [this](const std::exception_ptr& error) { HandleException(error); });
    IWidgetSet* loop = &widgets_;
    MainThread::SetWakeUp([loop] { loop->PostCall([] { MainThread::CheckSynchronize(0); }); });
}

TApplication::~TApplication() {
    DestroyComponents();
    MainThread::SetWakeUp(nullptr);
    ErrorReport::SetHandler(std::move(previousHandler_));
}

bool TApplication::IsFormCaption(const std::string& caption) const {
    return std::any_of(forms_.begin(), forms_.end(),
                       [&](const TForm* form) { return form->Caption() == caption; });
}

std::vector<std::string> TApplication::FormCaptions() const {
    std::vector<std::string> captions;
    for (const TForm* form : forms_) captions.push_back(form->Caption());
    return captions;
}

void TApplication::AddForm(TForm* form) {
    forms_.push_back(form);
}

void TApplication::RemoveForm(TForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::Run() {
    if (mainForm_ != nullptr) {
        switch (widgets_.StartShowState()) {
            case 2:   // minimised
            case 6:   // minimise
            case 7:   // minimised, not activated
            case 11:  // forced minimise
                mainForm_->SetWindowState(TWindowState::wsMinimized);
                break;
            case 3:  // maximised
                mainForm_->SetWindowState(TWindowState::wsMaximized);
                break;
            default:
                break;
        }
        mainForm_->Show();
    }
    while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
    bool quit = false;
    if (widgets_.ProcessMessage(&quit)) {
        if (quit) terminated_ = true;
        return;
    }
    widgets_.WaitMessage();
}

void TApplication::ProcessMessages() {
    bool quit = false;
    while (widgets_.ProcessMessage(&quit)) {
        if (quit) {
            terminated_ = true;
            return;
        }
    }
}

void TApplication::Terminate() {
    widgets_.PostQuitMessage(0);
}

void TApplication::HandleException(const std::exception_ptr& error) {
    widgets_.CancelMouseCapture();
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    ShowBox(ErrorReportText(message), TMessageBoxIcon::miError);
}

void TApplication::ShowMessage(const std::string& text) {
    ShowBox(text, TMessageBoxIcon::miNone);
}

void TApplication::ShowBox(const std::string& text, TMessageBoxIcon icon) {
    if (std::find(openBoxTexts_.begin(), openBoxTexts_.end(), text) != openBoxTexts_.end()) return;
    openBoxTexts_.push_back(text);
    // Boxes nest, so the one closing is the last one opened.
    struct Closed {
        std::vector<std::string>& open;
        ~Closed() { open.pop_back(); }
    } closed{openBoxTexts_};
    widgets_.MessageBoxA(text, title_, icon);
}
