// The main window's stored layout (at 96 dpi) and its handlers: first show,
// close, resize, the link indicator, the menu commands, spot intake and spot
// forwarding.
#include "vplusdde/main_window.h"

#include <exception>
#include <optional>
#include <utility>

#include "Bleeper/bleeper.h"
#include "CommInt/comm_error.h"
#include "asetus/relay_dialog.h"
#include "asetus/settings_dialog.h"
#include "asetus/settings_file.h"
#include "asetus/watch_dialog.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/seam.h"
#include "platform/sockets.h"
#include "relay/dx_line.h"
#include "relay/spot_history.h"
#include "rtl/calendar.h"
#include "rtl/date_time_text.h"
#include "ui/application.h"
#include "ui/glyphs.h"
#include "ui/layout.h"
#include "vplusdde/spot_view_layout.h"

const char* const kSpotItemName = "10,10,,,B(0/5/39/23)";
const char* const kDecoderService = "VTplus";
const char* const kDecoderTopic = "590";
const char* const kAboutText =
    "Vareli v140102\r\n\r\n"
    "DX-vihjeet teksti-TV:n sivulta 590.\r\n"
    "Tehty radioamat\xF6\xF6reille, kiitos kaikille vihjeit\xE4 l\xE4hett\xE4ville.";

namespace {

// A page of the decoder as the window was designed with: 19 rows of 42
// characters. Cleared when the item is named at start-up; never taken as spots.
std::string DesignSample() {
    static const char* const rows[] = {
        "  1832 Q1AAA  cq dx          Q9ZZZ  1301", "  3505 Q2BBB  599            Q8YYY  1302",
        "  7025 Q3CCC  up 2           Q7XXX  1303", " 10105 Q4DDD  cw             Q6WWW  1304",
        " 14025 Q5EEE  tnx qso        Q5VVV  1305", " 18075 Q6FFF  rtty           Q4UUU  1306",
        " 21025 Q7GGG  cq             Q3TTT  1307", " 24895 Q8HHH  ssb            Q2SSS  1308",
        " 28495 Q9III  loud           Q1RRR  1309", " 50110 Q1JJJ  es             Q9QQQ  1310",
        "144300 Q2KKK  tropo          Q8PPP  1311", "432200 Q3LLL  ms             Q7OOO  1312",
        "  7010 Q4MMM  qrp            Q6NNN  1313", " 14080 Q5NNN  psk            Q5MMM  1314",
        " 21074 Q6OOO  ft8            Q4LLL  1315", "  3790 Q7PPP  ssb            Q3KKK  1316",
        " 28010 Q8QQQ  beacon         Q2JJJ  1317", " 10136 Q9RRR  ft8            Q1III  1318",
        "  1840 Q1SSS  cq             Q9HHH  1319",
    };
    std::string sample;
    for (const char* row : rows) sample += std::string(row) + "  ";
    return sample;
}

TLayoutObject StatusLabel(const char* name, int top, const char* caption) {
    return {"TLabel", name, {{"Left", 120}, {"Top", top}, {"Height", 13}, {"Caption", caption}}};
}

const TLayoutObject& Form1Layout() {
    static const TLayoutObject layout{
        "TForm1",
        "Form1",
        {{"Left", 220},
         {"Top", 166},
         {"AutoScroll", false},
         {"Caption", "Vareli"},
         {"ClientHeight", 314},
         {"ClientWidth", 433},
         {"Color", Ident("clBtnFace")},
         {"Font.Color", Ident("clWindowText")},
         {"Font.Height", -11},
         {"Font.Name", "MS Sans Serif"},
         {"Font.Style", SetOf({})},
         {"Menu", Ident("MainMenu1")},
         {"OnClose", Ident("FormClose")},
         {"OnResize", Ident("FormResize")},
         {"OnShow", Ident("FormShow")},
         {"PixelsPerInch", 96},
         {"TextHeight", 13}},
        {
            SpotViewLayout(),
            {"TLabel",
             "Label1",
             {{"Left", 0},
              {"Top", 696},
              {"Caption", ""},
              {"Font.Color", Ident("clWindowText")},
              {"Font.Height", -13},
              {"Font.Name", "Terminal"},
              {"Font.Style", SetOf({"fsBold"})},
              {"ParentFont", false}}},
            {"TLabel",
             "Label2",
             {{"Left", 0},
              {"Top", 294},
              {"Width", 51},
              {"Height", 13},
              {"AutoSize", false},
              {"Caption", "DDE link"},
              {"Color", Ident("clGreen")},
              {"Font.Color", Ident("clWhite")},
              {"Font.Height", -11},
              {"Font.Name", "MS Sans Serif"},
              {"Font.Style", SetOf({"fsBold"})},
              {"ParentColor", false},
              {"ParentFont", false},
              {"Transparent", false},
              {"Visible", false}}},
            StatusLabel("Label3", 280, "Label3"),
            StatusLabel("Label4", 296, "Label4"),
            {"TBitBtn",
             "BitBtn2",
             {{"Left", 357},
              {"Top", 284},
              {"Width", 75},
              {"Height", 25},
              {"Caption", "Sulje"},
              {"TabOrder", 1},
              {"OnClick", Ident("Button1Click")},
              {"Glyph", kGlyphCross},
              {"NumGlyphs", 2}}},
            {"TDdeClientConv",
             "lientti",
             {{"DdeService", "VTPlus"},
              {"DdeTopic", "590"},
              {"ServiceApplication", "VTPlus"},
              {"OnClose", Ident("lienttiClose")},
              {"OnOpen", Ident("lienttiOpen")},
              {"LinkInfo", StringList({"Service VTPlus", "Topic 590"})}}},
            {"TDdeClientItem",
             "DdeClientItem1",
             {{"DdeConv", Ident("lientti")},
              {"Lines", StringList({DesignSample()})},
              {"OnChange", Ident("DdeClientItem1Change")}}},
            {"TComm",
             "Comm1",
             {{"DeviceName", "Com2"},
              {"MonitorEvents", SetOf({"evBreak", "evCts", "evDsr", "evError", "evRing", "evRlsd",
                                       "evRxChar", "evRxFlag", "evTxEmpty"})}}},
            {"TMainMenu",
             "MainMenu1",
             {},
             {{"TMenuItem",
               "Tiedosto1",
               {{"Caption", "Tiedosto"}},
               {{"TMenuItem",
                 "Asetukset1",
                 {{"Caption", "Asetukset"}, {"OnClick", Ident("BitBtn1Click")}}},
                {"TMenuItem",
                 "Valitys1",
                 {{"Caption", "V\xE4litys"}, {"OnClick", Ident("Valitys1Click")}}},
                {"TMenuItem",
                 "Seuranta1",
                 {{"Caption", "Seuranta"}, {"OnClick", Ident("Seuranta1Click")}}},
                {"TMenuItem",
                 "Sulje1",
                 {{"Caption", "Sulje"}, {"OnClick", Ident("Button1Click")}}}}},
              {"TMenuItem",
               "Apua1",
               {{"Caption", "Apua"}},
               {{"TMenuItem",
                 "Tietojaohjelmasta1",
                 {{"Caption", "Tietoja ohjelmasta"},
                  {"OnClick", Ident("Tietojaohjelmasta1Click")}}}}}}},
        }};
    return layout;
}

bool ReadConvProperty(TDdeClientConv& conv, TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) {
    if (name == "DdeService") {
        conv.SetDdeService(value.AsString());
    } else if (name == "DdeTopic") {
        conv.SetDdeTopic(value.AsString());
    } else if (name == "ServiceApplication") {
        conv.SetServiceApplication(value.AsString());
    } else if (name == "OnClose") {
        conv.OnClose = reader.FindMethod<TNotifyEvent>(value);
    } else if (name == "OnOpen") {
        conv.OnOpen = reader.FindMethod<TNotifyEvent>(value);
    } else if (name == "LinkInfo") {
        conv.ReadLinkInfo(value.AsStrings());
    } else {
        return false;
    }
    return true;
}

bool ReadItemProperty(TDdeClientItem& item, TLayoutReader& reader, const std::string& name,
                      const TLayoutValue& value) {
    if (name == "DdeConv") {
        reader.Reference<TDdeClientConv>(value,
                                         [&item](TDdeClientConv* conv) { item.SetDdeConv(conv); });
    } else if (name == "Lines") {
        item.Lines() = value.AsStrings();
    } else if (name == "OnChange") {
        item.OnChange = reader.FindMethod<TNotifyEvent>(value);
    } else {
        return false;
    }
    return true;
}

TCommEventType CommEventByName(const std::string& name) {
    static const char* const names[] = {"evBreak", "evCts",    "evDsr",    "evError",  "evRing",
                                        "evRlsd",  "evRxChar", "evRxFlag", "evTxEmpty"};
    for (int i = 0; i < 9; ++i) {
        if (name == names[i]) return static_cast<TCommEventType>(i);
    }
    throw EReadError("Invalid property value " + name);
}

bool ReadCommProperty(TComm& comm, TLayoutReader&, const std::string& name,
                      const TLayoutValue& value) {
    if (name == "DeviceName") {
        comm.SetDeviceName(value.AsString());
    } else if (name == "MonitorEvents") {
        TCommEventTypes events;
        for (const std::string& member : value.AsSet()) events.Include(CommEventByName(member));
        comm.SetMonitorEvents(events);
    } else {
        return false;
    }
    return true;
}

}  // namespace

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
    link_ = std::make_unique<DecoderLinkSupervisor>(
        *lientti, *DdeClientItem1,
        DecoderLinkSupervisor::Target{kDecoderService, kDecoderTopic, kSpotItemName},
        [this](std::exception_ptr error) { PostErrorReport(std::move(error)); });
}

TForm1::~TForm1() {
    WidgetSet().StopTimer(linkTimer_);
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
}

void TForm1::SetWatchDialog(TForm5* dialog) {
    watch_ = dialog;
}

void TForm1::FormShow(TObject*) {
    // Settings whose save could not finish wait in the kept copy.
    if (const char* text = SettingsRestoredText(RestoreKeptSettingsFile())) PostMessageBox(text);
    haeasetukset();
    ApplyClusterSettings();
    intake_.ResetCounter();
    RestoreLoggedSpots();
    DdeClientItem1->SetDdeItem(kSpotItemName);
    lientti->Retarget(kDecoderService, kDecoderTopic);
    lientti->OpenConversation();
    if (linkTimer_ == 0)
        linkTimer_ = WidgetSet().StartTimer(kLinkCheckMs, [this] { CheckDecoderLink(); });
    const LocalTime now = Seam<ILocale>::Get().GetLocalTime();
    Label3->SetCaption("Alkoi: " + DateToStr(now) + " " + TimeToStr(now));
}

void TForm1::RestoreLoggedSpots() {
    if (relay_ == nullptr || !relay_->SpotFileOn()) return;
    ILocale& locale = Seam<ILocale>::Get();
    const LocalTime now = locale.GetLocalTime();
    const int toUtc = MinutesBetween(now, locale.GetSystemTime());
    const std::vector<LoggedSpot> spots =
        ReadRecentSpots(Seam<IFiles>::Get(), now, kRecentSpotLines,
                        [this](const std::string& text) { PostErrorReport(text); });
    // Already seen before the restart: the decoder's page repeats them, and
    // its rows already shown are then not taken again.
    for (const LoggedSpot& spot : spots) {
        intake_.Restore(spot.row, DateToStr(spot.when));
        if (node_) node_->Restore(spot.row, ShiftedBy(spot.when, toUtc));
    }
}

void TForm1::FormClose(TObject*, TCloseAction&) {
    WidgetSet().StopTimer(linkTimer_);
    linkTimer_ = 0;
    if (node_) node_->Stop();  // every connection first
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
    watch_->ShowModal();
}

void TForm1::Tietojaohjelmasta1Click(TObject*) {
    ShowMessage(kAboutText);
}

void TForm1::DdeClientItem1Change(TObject*) {
    intake_.Run(DdeClientItem1->Text());
}

void TForm1::haeasetukset() {
    // Other settings (another port, forwarding switched on again) are a new
    // outage to report.
    forwardFailureReported_ = false;
    ReadSettingsFile(settings_->Controls(), *Comm1);
    if (relay_ != nullptr) relay_->TakeOptions();
    if (watch_ != nullptr) watch_->TakeOptions();
}

void TForm1::Relay(const std::string& row) {
    if (node_) node_->Spot(row, Seam<ILocale>::Get().GetSystemTime());
    if (relay_ == nullptr || !relay_->SpotFileOn()) return;
    if (!spotLog_) {
        // The box waits for the message loop: shown here, its loop would take
        // the next updates while this row has still to be forwarded, and
        // their lines would reach the port before this row's.
        spotLog_ = std::make_unique<SpotLog>(
            Seam<IFiles>::Get(), [this](const std::string& text) { PostErrorReport(text); });
    }
    spotLog_->Append(row, Seam<ILocale>::Get().GetLocalTime());
}

void TForm1::ApplyClusterSettings() {
    if (relay_ == nullptr) return;
    if (!relay_->CheckBox3->Checked()) {
        if (node_) node_->Stop();
        ShowConnections();
        return;
    }
    int port = 0;
    try {
        port = relay_->ClusterPort();
    } catch (const Exception& e) {
        // A hand-edited file: the dialog shows the same words when closed.
        PostErrorReport(e.Message());
        return;
    }
    const bool lan = relay_->CheckBox4->Checked();
    if (!node_) {
        node_ = std::make_unique<ClusterNode>(Seam<ISockets>::Get());
        node_->SetConnectionsChanged([this] { ShowConnections(); });
    }
    // Closing the dialog without a change keeps the connections, or the
    // retries of a port that could not be opened (reported once already).
    if (node_->Started() && port == node_->Port() && lan == node_->AllowsLan()) return;
    const int error = node_->Start(static_cast<std::uint16_t>(port), lan);
    ShowConnections();
    if (error != 0) PostErrorReport(ClusterPortErrorText(static_cast<std::uint16_t>(port), error));
}

void TForm1::ShowConnections() {
    if (relay_ != nullptr)
        relay_->SetConnectionCount(node_ ? static_cast<int>(node_->ConnectionCount()) : 0);
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
    try {
        // A cut line is no sign the port is back.
        if (lahetaporttiin(row)) forwardFailureReported_ = false;
    } catch (const ECommError&) {
        // A port gone stays gone for every spot until it is back: one box for
        // the outage, and intake goes on. The box waits for the message loop,
        // so the run (and a first show's start line) does not wait for its OK.
        if (forwardFailureReported_) return;
        forwardFailureReported_ = true;
        PostErrorReport(std::current_exception());
    }
}

bool TForm1::lahetaporttiin(std::string row) {
    const bool wasOpen = Comm1->IsOpen();
    int written = 0;
    std::optional<std::string> dxLine;
    if (relay_ != nullptr && relay_->ClusterLinesOn())
        dxLine = DxLine(row, HhmmOf(Seam<ILocale>::Get().GetSystemTime()));
    try {
        Comm1->Open();
        row = dxLine ? *dxLine : row + "\r\n";
        written = Comm1->Write(row.data(), static_cast<int>(row.size()));
    } catch (...) {
        // A failed set-up or write must not leave the port open, or every
        // later row would fail with "Port already assigned (open)". A port
        // that was open before does not belong to this call.
        if (!wasOpen) Comm1->Close();
        throw;
    }
    Comm1->Close();
    // A cut line would run into the next spot's line at the other end.
    if (written == static_cast<int>(row.size())) return true;
    // Once per outage, like a port that is gone, and from the loop: a box
    // opened here would hold intake, and the DDE callback under it, for as
    // long as it stays open.
    if (!forwardFailureReported_) {
        forwardFailureReported_ = true;
        PostMessageBox("Error writing to: " + Comm1->DeviceName());
    }
    return false;
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

bool TForm1::IsWatched(const std::string& row) {
    return watch_ != nullptr && watch_->Watch().MatchesRow(row);
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
