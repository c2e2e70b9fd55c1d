// The program's start-up order and its teardown: what is made in which
// order, which hooks join the parts, and that those hooks go before the
// objects they reach.
#include "vareli/program.h"

#include <vector>

#include "Bleeper/bleeper.h"
#include "asetus/relay_dialog.h"
#include "asetus/settings_dialog.h"
#include "asetus/watch_dialog.h"
#include "vplusdde/main_window.h"

VareliProgram::VareliProgram(IWidgetSet& widgets, const std::string& exeFileName)
    : ddeMgr_(std::make_unique<TDdeMgr>(nullptr, exeFileName)), hooks_(*ddeMgr_) {
    DetectPlatform();
    application_ = std::make_unique<TApplication>(nullptr, widgets);
    application_->SetTitle("Vareli");
    TApplication* application = application_.get();
    // Long tones let the window system go on while they sound.
    SetProcessMessages([application] { application->ProcessMessages(); });
    // An outside program may name one of our windows as its topic.
    ddeMgr_->SetWindowCaptions([application] {
        std::vector<std::string> captions;
        captions.reserve(static_cast<size_t>(application->FormCount()));
        for (int i = 0; i < application->FormCount(); ++i)
            captions.push_back(application->Forms(i)->Caption());
        return captions;
    });
    application_->CreateForm(Form1);
    application_->CreateForm(Form3);
    application_->CreateForm(Form4);
    application_->CreateForm(Form5);
    Form1->SetSettingsDialog(Form3);
    Form1->SetRelayDialog(Form4);
    Form1->SetWatchDialog(Form5);
    Form1->SetProgramFolder(exeFileName.substr(0, exeFileName.find_last_of("\\/") + 1));
    TForm1* form1 = Form1;
    TForm3* form3 = Form3;
    Form3->ReadSettings = [form1] { form1->haeasetukset(); };
    Form3->Relay = Form4->Controls();
    Form4->StoreSettings = [form3] { form3->StoreSettings(); };
    Form4->SettingsChanged = [form1] { form1->ApplyClusterSettings(); };
    Form3->Watch = Form5->Controls();
    Form5->StoreSettings = [form3] { form3->StoreSettings(); };
}

// The members go in reverse order: the hooks, the application with its
// windows, then the DDE manager.
VareliProgram::~VareliProgram() = default;

VareliProgram::ApplicationHooks::~ApplicationHooks() {
    SetProcessMessages(nullptr);
    // The DDE callback stays live until the manager goes: an outside connect
    // meanwhile must not read the captions of windows already destroyed.
    manager_.SetWindowCaptions(nullptr);
}

void VareliProgram::Run() {
    application_->Run();
}
