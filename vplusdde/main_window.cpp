// The main window's handlers: first show, close, resize, the link
// indicator, the menu commands, and spot intake's host; the spots' outlets
// are SpotOutlets', the stored layout main_window_layout's.
#include "vplusdde/main_window.h"

#include <exception>
#include <utility>

#include "Bleeper/bleeper.h"
#include "asetus/relay_dialog.h"
#include "asetus/settings_dialog.h"
#include "asetus/settings_file.h"
#include "asetus/watch_dialog.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/seam.h"
#include "platform/speaker.h"
#include "rtl/date_time_text.h"
#include "ui/application.h"
#include "ui/layout.h"
#include "vplusdde/main_window_layout.h"

const char* const kSpotItemName = "10,10,,,B(0/5/39/23)";
const char* const kDecoderService = "VTplus";
const char* const kDecoderTopic = "590";
const char* const kAboutText =
    "Vareli v140102\r\n\r\n"
    "DX-vihjeet teksti-TV:n sivulta 590.\r\n"
    "Tehty radioamat\xF6\xF6reille, kiitos kaikille vihjeit\xE4 l\xE4hett\xE4ville.";

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    TLayoutReader reader(this);
    reader.Field("memo1", &memo1);
    reader.Field("Label1", &Label1);
    reader.Field("Label2", &Label2);
    reader.Field("Label3", &Label3);
    reader.Field("Label4", &Label4);
    reader.Field("BitBtn2", &BitBtn2);
    reader.Field("lientti", &lientti, TPropertySetter<TDdeClientConv>(ReadConvProperty));
    reader.Field("DdeClientItem1", &DdeClientItem1,
                 TPropertySetter<TDdeClientItem>(ReadItemProperty));
    reader.Field("Comm1", &Comm1, TPropertySetter<TComm>(ReadCommProperty));
    reader.Field("MainMenu1", &MainMenu1);
    reader.Field("Tiedosto1", &Tiedosto1);
    reader.Field("Asetukset1", &Asetukset1);
    reader.Field("Valitys1", &Valitys1);
    reader.Field("Seuranta1", &Seuranta1);
    reader.Field("Sulje1", &Sulje1);
    reader.Field("Apua1", &Apua1);
    reader.Field("Tietojaohjelmasta1", &Tietojaohjelmasta1);
    reader.Method("FormShow", this, &TForm1::FormShow);
    reader.Method("FormClose", this, &TForm1::FormClose);
    reader.Method("FormResize", this, &TForm1::FormResize);
    reader.Method("lienttiOpen", this, &TForm1::lienttiOpen);
    reader.Method("lienttiClose", this, &TForm1::lienttiClose);
    reader.Method("Button1Click", this, &TForm1::Button1Click);
    reader.Method("BitBtn1Click", this, &TForm1::BitBtn1Click);
    reader.Method("Valitys1Click", this, &TForm1::Valitys1Click);
    reader.Method("Seuranta1Click", this, &TForm1::Seuranta1Click);
    reader.Method("Tietojaohjelmasta1Click", this, &TForm1::Tietojaohjelmasta1Click);
    reader.Method("DdeClientItem1Change", this, &TForm1::DdeClientItem1Change);
    reader.Read(Form1Layout());
    outlets_ = std::make_unique<SpotOutlets>(
        *Comm1, [this](std::exception_ptr error) { PostErrorReport(std::move(error)); },
        [this](const std::string& text) { PostMessageBox(text); });
    link_ = std::make_unique<DecoderLinkSupervisor>(
        *lientti, *DdeClientItem1,
        DecoderLinkSupervisor::Target{kDecoderService, kDecoderTopic, kSpotItemName},
        [this](std::exception_ptr error) { PostErrorReport(std::move(error)); });
    hunt_ = std::make_unique<SpotHunt>(Seam<IFiles>::Get(),
                                       [this](const std::string& text) { PostErrorReport(text); });
}

TForm1::~TForm1() {
    WidgetSet().StopTimer(linkTimer_);
    WidgetSet().StopTimer(logTimer_);
    WidgetSet().StopTimer(sliceTimer_);
    // The components go while this window's handlers can still be told, but
    // none of them may raise an event any more: the settings dialog the
    // handlers read may already be gone.
    MarkDestroying();
    DestroyComponents();
}

void TForm1::SetSettingsDialog(TForm3* dialog) {
    settings_ = dialog;
}

void TForm1::SetRelayDialog(TForm4* dialog) {
    relay_ = dialog;
    outlets_->SetRelayDialog(dialog);
}

void TForm1::SetWatchDialog(TForm5* dialog) {
    watch_ = dialog;
    watch_->FirstUnknownCountry = [this](const std::string& text) {
        return hunt_->FirstUnknownCountry(text);
    };
    watch_->OptionsTaken = [this] { TakeHuntSettings(); };
}

void TForm1::SetProgramFolder(const std::string& folder) {
    hunt_->SetProgramFolder(folder);
}

void TForm1::TakeHuntSettings() {
    HuntSettings settings;
    settings.calls = &watch_->Watch();
    settings.showCountry = watch_->ShowCountry();
    settings.countryText = watch_->CountryText();
    settings.adifPath = watch_->AdifPath();
    settings.options.newCountry = watch_->NewCountryOn();
    settings.options.newBand = watch_->NewBandOn();
    settings.options.confirmedOnly = watch_->ConfirmedOnly();
    hunt_->TakeSettings(settings);
    ShowHuntStatus();
    // A new path is looked at now, not at the next check.
    if (sliceTimer_ == 0 && linkTimer_ != 0) StepLog();
}

void TForm1::StopHoldingSpots() {
    holdingSpots_ = false;
    if (!spotsHeld_) return;
    spotsHeld_ = false;
    intake_.Run(DdeClientItem1->Text());
}

void TForm1::ShowHuntStatus() {
    if (watch_ == nullptr) return;
    watch_->SetCountryStatus(hunt_->CountryStatus());
    watch_->SetLogStatus(hunt_->LogStatus());
}

void TForm1::StepLog() {
    if (WidgetSet().InputWaiting()) return;  // the next tick goes on
    ISpeaker& clock = Seam<ISpeaker>::Get();
    const std::uint32_t start = clock.GetTickCount();
    bool more = hunt_->StepLog();
    while (more && clock.GetTickCount() - start < kLogTickBudgetMs && !WidgetSet().InputWaiting())
        more = hunt_->StepLog();
    if (holdingSpots_ && (!hunt_->LogPending() || clock.GetTickCount() - holdStart_ >= kLogWaitMs))
        StopHoldingSpots();
    if (more && sliceTimer_ == 0) {
        sliceTimer_ = WidgetSet().StartTimer(kLogSliceMs, [this] { StepLog(); });
    } else if (!more && sliceTimer_ != 0) {
        WidgetSet().StopTimer(sliceTimer_);
        sliceTimer_ = 0;
    }
    if (!more) ShowHuntStatus();
}

void TForm1::FormShow(TObject*) {
    // The view is painted once, with the restored lines and the first block:
    // line by line, a full view scrolls and repaints for each (under wine
    // some 10 ms a line).
    memo1->BeginUpdate();
    struct Painted {
        TRichEdit* view;
        ~Painted() { view->EndUpdate(); }
    } painted{memo1};
    // No step waits on another: a kept copy that cannot be put back, a
    // settings file that cannot be read, day files or a node port that fail
    // each get their box, and the link check and the labels still come. The
    // item alone waits for the settings: without limits every block with a
    // row would end in a box, so a run without settings takes no spot.
    ShowStep([this] {
        // Settings whose save could not finish wait in the kept copy.
        if (const char* text = SettingsRestoredText(RestoreKeptSettingsFile()))
            PostMessageBox(text);
    });
    const bool settingsRead = ShowStep([this] { haeasetukset(); });
    holdingSpots_ = hunt_->LogPending();
    holdStart_ = Seam<ISpeaker>::Get().GetTickCount();
    ShowStep([this] { ApplyClusterSettings(); });
    intake_.ResetCounter();
    intake_.ShowCount();  // also when no block comes: no design caption
    ShowStep([this] { intake_.Restore(outlets_->RestoreLogged()); });
    if (settingsRead)
        ShowStep([this] {
            DdeClientItem1->SetDdeItem(kSpotItemName);
            lientti->Retarget(kDecoderService, kDecoderTopic);
            lientti->OpenConversation();
        });
    if (linkTimer_ == 0)
        linkTimer_ = WidgetSet().StartTimer(kLinkCheckMs, [this] { CheckDecoderLink(); });
    // The log is read from the loop, slice by slice, once the window is up.
    if (logTimer_ == 0)
        logTimer_ = WidgetSet().StartTimer(kLogCheckMs, [this] {
            if (sliceTimer_ == 0) StepLog();
        });
    if (sliceTimer_ == 0) sliceTimer_ = WidgetSet().StartTimer(kLogSliceMs, [this] { StepLog(); });
    // Without a tick nothing would end the wait.
    if (logTimer_ == 0 && sliceTimer_ == 0) StopHoldingSpots();
    const LocalTime now = Seam<ILocale>::Get().GetLocalTime();
    Label3->SetCaption("Alkoi: " + DateToStr(now) + " " + TimeToStr(now));
}

bool TForm1::ShowStep(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (...) {
        PostErrorReport(std::current_exception());
        return false;
    }
}

void TForm1::FormClose(TObject*, TCloseAction&) {
    WidgetSet().StopTimer(linkTimer_);
    linkTimer_ = 0;
    WidgetSet().StopTimer(logTimer_);
    logTimer_ = 0;
    WidgetSet().StopTimer(sliceTimer_);
    sliceTimer_ = 0;
    outlets_->Stop();  // every connection first
    lientti->CloseConversation();
}

void TForm1::FormResize(TObject*) {
    const int h = Height();
    memo1->SetHeight(h - 82);
    Label2->SetTop(h - 66);
    Label3->SetTop(h - 80);
    Label4->SetTop(h - 64);
    BitBtn2->SetTop(h - 76);
}

void TForm1::lienttiOpen(TObject*) {
    // An open whose item the decoder refused carries no spots.
    Label2->SetVisible(!RelinkOn() || link_->Healthy());
}

void TForm1::lienttiClose(TObject*) {
    Label2->SetVisible(false);
}

bool TForm1::RelinkOn() const {
    return relay_ != nullptr && relay_->RelinkOn();
}

void TForm1::ShowLinkState() {
    if (RelinkOn()) Label2->SetVisible(link_->Healthy());
}

void TForm1::CheckDecoderLink() {
    if (!RelinkOn()) return;
    link_->Tick();
    ShowLinkState();
}

void TForm1::Button1Click(TObject*) {
    Close();
}

void TForm1::BitBtn1Click(TObject*) {
    settings_->ShowModal();
}

void TForm1::Valitys1Click(TObject*) {
    relay_->ShowModal();
}

void TForm1::Seuranta1Click(TObject*) {
    ShowHuntStatus();  // a country file dropped in meanwhile is seen
    watch_->ShowModal();
}

void TForm1::Tietojaohjelmasta1Click(TObject*) {
    ShowMessage(kAboutText);
}

void TForm1::DdeClientItem1Change(TObject*) {
    // The item keeps the page's latest text: a held block is read whole later.
    if (holdingSpots_) {
        spotsHeld_ = true;
        return;
    }
    intake_.Run(DdeClientItem1->Text());
}

void TForm1::haeasetukset() {
    outlets_->SettingsRead();
    ReadSettingsFile(settings_->Controls(), *Comm1);
    if (relay_ != nullptr) relay_->TakeOptions();
    if (watch_ != nullptr) watch_->TakeOptions();
}

void TForm1::Relay(const std::string& row) {
    outlets_->Relay(row);
}

void TForm1::ApplyClusterSettings() {
    outlets_->ApplyClusterSettings();
}

void TForm1::PostErrorReport(const std::string& text) {
    PostErrorReport(std::make_exception_ptr(Exception(text)));
}

void TForm1::PostMessageBox(const std::string& text) {
    std::weak_ptr<int> alive = alive_;
    WidgetSet().PostCall([this, alive, text] {
        if (!alive.expired()) ShowMessage(text);
    });
}

void TForm1::PostErrorReport(std::exception_ptr error) {
    std::weak_ptr<int> alive = alive_;
    WidgetSet().PostCall([this, alive, error = std::move(error)] {
        if (alive.expired()) return;
        if (auto* application = dynamic_cast<TApplication*>(Owner()))
            application->HandleException(error);
    });
}

void TForm1::Forward(const std::string& row) {
    outlets_->Forward(row);
}

bool TForm1::lahetaporttiin(std::string row) {
    return outlets_->SendToPort(std::move(row));
}

void TForm1::ShowMessage(const std::string& text) {
    if (auto* application = dynamic_cast<TApplication*>(Owner())) application->ShowMessage(text);
}

std::string TForm1::UpperLimitText() {
    return settings_->ComboBox2->Text();
}

std::string TForm1::LowerLimitText() {
    return settings_->ComboBox1->Text();
}

bool TForm1::ForwardingOn() {
    return settings_->CheckBox1->Checked();
}

void TForm1::PlayTone(std::uint16_t frequency, std::int32_t duration) {
    if (watch_ != nullptr && watch_->SoundsOff()) return;
    ::PlayTone(frequency, duration);
}

SpotMarks TForm1::Marks(const std::string& row) {
    return hunt_->Marks(row);
}

std::string TForm1::LineTail(const SpotMarks& marks) {
    return hunt_->LineTail(marks);
}

void TForm1::WatchedSpotShown() {
    // Only the task bar button: the user may be typing in another program.
    if (watch_ != nullptr && watch_->FlashOn()) FlashUntilActive();
}

std::string TForm1::TodayText() {
    return DateToStr(Seam<ILocale>::Get().GetLocalTime());
}

std::string TForm1::NowText() {
    return TimeToStr(Seam<ILocale>::Get().GetLocalTime());
}

void TForm1::SetLastSpotTime(const std::string& caption) {
    Label1->SetCaption(caption);
}

void TForm1::SetSpotCount(const std::string& caption) {
    Label4->SetCaption(caption);
}

int TForm1::LineCount() {
    return memo1->LineCount();
}

std::string TForm1::Line(int index) {
    return memo1->Line(index);
}

void TForm1::AppendLine(const std::string& text, std::uint32_t color) {
    memo1->AppendLine(text, static_cast<TColor>(color));
}

void TForm1::DeleteFirstLines(int count) {
    memo1->DeleteFirstLines(count);
}

void TForm1::AppendLines(const std::vector<SpotLine>& lines) {
    std::vector<TColoredLine> colored;
    colored.reserve(lines.size());
    for (const SpotLine& line : lines)
        colored.push_back({line.text, static_cast<TColor>(line.color)});
    memo1->AppendLines(colored);
}

std::vector<std::string> TForm1::LinesFrom(int first) {
    return memo1->LinesFrom(first);
}
