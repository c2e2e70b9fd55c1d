// TForm1, the main window "Vareli": the spot view, the status labels, the
// "Sulje" button and the menu, and the program's non-visual components: the
// DDE conversation `lientti` and item `DdeClientItem1` through which spots
// arrive, and the serial port `Comm1` through which they are forwarded.
//
// Owned by the application; the first form created, so its closing ends the
// program. Main thread only. Handlers raise what their steps raise; the
// application frame reports it.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CommInt/comm.h"
#include "dde/dde_client_conv.h"
#include "dde/dde_client_item.h"
#include "ui/bit_btn.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/menus.h"
#include "ui/rich_edit.h"
#include "vplusdde/decoder_link_supervisor.h"
#include "vplusdde/spot_hunt.h"
#include "vplusdde/spot_intake.h"
#include "vplusdde/spot_outlets.h"
#include "vplusdde/spot_view.h"

class TForm3;
class TForm4;
class TForm5;

// The spot block's item and the decoder's service and topic.
extern const char* const kSpotItemName;    // "10,10,,,B(0/5/39/23)"
extern const char* const kDecoderService;  // "VTplus"
extern const char* const kDecoderTopic;    // "590"
// The About message.
extern const char* const kAboutText;

class TForm1 : public TForm, private ISpotIntakeHost, private ISpotLines {
  public:
    explicit TForm1(TComponent* AOwner);
    ~TForm1() override;
    const char* ClassName() const override { return "TForm1"; }

    TRichEdit* memo1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* Tiedosto1 = nullptr;
    TMenuItem* Asetukset1 = nullptr;
    TMenuItem* Valitys1 = nullptr;
    TMenuItem* Seuranta1 = nullptr;
    TMenuItem* Sulje1 = nullptr;
    TMenuItem* Apua1 = nullptr;
    TMenuItem* Tietojaohjelmasta1 = nullptr;
    TDdeClientConv* lientti = nullptr;
    TDdeClientItem* DdeClientItem1 = nullptr;
    TComm* Comm1 = nullptr;

    // The settings dialog whose controls hold the settings; set at start-up,
    // before the window is first shown.
    void SetSettingsDialog(TForm3* dialog);
    // The "Välitys" dialog, whose controls hold the relay options; set at
    // start-up like the settings dialog.
    void SetRelayDialog(TForm4* dialog);
    // The "Seuranta" dialog: the watch list, the flash and the sound switch,
    // the countries and the log.
    void SetWatchDialog(TForm5* dialog);
    // The folder of the program's file, where the country file is looked for
    // after the working folder; set at start-up.
    void SetProgramFolder(const std::string& folder);

    // The settings reader: "vareli.ini" into the dialog's controls, then the
    // port name to Comm1.
    void haeasetukset();
    // Sends one spot row to the serial port as a line (SpotOutlets::SendToPort).
    bool lahetaporttiin(std::string row);

    // The DX-cluster node as the "Välitys" dialog's controls say
    // (SpotOutlets::ApplyClusterSettings).
    void ApplyClusterSettings();

    std::int32_t SpotCounter() const { return intake_.Counter(); }

    // How often the decoder link is looked after when "Välitys" asks for it:
    // one repair step toward a healthy link per check; "DDE link" then shows
    // only while the link is healthy.
    static constexpr std::uint32_t kLinkCheckMs = 10000;
    void CheckDecoderLink();

    // How often the log is looked at for a change, and the pause between
    // two ticks of its reading.
    static constexpr std::uint32_t kLogCheckMs = 2000;
    static constexpr std::uint32_t kLogSliceMs = 1;
    // Slices are read for at most this long a tick, and none while keys,
    // mouse or painting wait: ticks come out of the queue before them, so
    // the window answers between any two slices.
    static constexpr std::uint32_t kLogTickBudgetMs = 25;
    // At start the page's spots wait for the log's first reading, so that a
    // new country on the page is told as such, but no longer than this.
    static constexpr std::uint32_t kLogWaitMs = 5000;
    // Slices of the log's reading for one tick of the timers.
    void StepLog();

    // Handlers (public so tests can raise them as the toolkit does).
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormResize(TObject* Sender);
    void lienttiOpen(TObject* Sender);
    void lienttiClose(TObject* Sender);
    void Button1Click(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void Valitys1Click(TObject* Sender);
    void Seuranta1Click(TObject* Sender);
    void Tietojaohjelmasta1Click(TObject* Sender);
    void DdeClientItem1Change(TObject* Sender);

  private:
    // ISpotIntakeHost
    std::string UpperLimitText() override;
    std::string LowerLimitText() override;
    bool ForwardingOn() override;
    void PlayTone(std::uint16_t frequency, std::int32_t duration) override;
    void Relay(const std::string& row) override;
    // lahetaporttiin, except that what the port raises does not end intake:
    // it is reported from the message loop, once per outage (not again until
    // a row has gone out whole).
    void Forward(const std::string& row) override;
    std::string TodayText() override;
    std::string NowText() override;
    void SetLastSpotTime(const std::string& caption) override;
    void SetSpotCount(const std::string& caption) override;
    SpotMarks Marks(const std::string& row) override;
    std::string LineTail(const SpotMarks& marks) override;
    void WatchedSpotShown() override;
    // ISpotLines, over memo1
    int LineCount() override;
    std::string Line(int index) override;
    void AppendLine(const std::string& text, std::uint32_t color) override;
    void DeleteFirstLines(int count) override;
    void AppendLines(const std::vector<SpotLine>& lines) override;
    std::vector<std::string> LinesFrom(int first) override;

    void ShowMessage(const std::string& text);
    // A plain box from the message loop once what runs now has ended.
    void PostMessageBox(const std::string& text);
    // An error reported as the application frame reports errors (a box with
    // the error icon), from the message loop once what runs now has ended.
    void PostErrorReport(const std::string& text);
    void PostErrorReport(std::exception_ptr error);
    // One step of the first show: what it raises is reported from the loop,
    // and the show goes on with its next step.
    // False when it raised.
    bool ShowStep(const std::function<void()>& step);
    bool RelinkOn() const;
    void ShowLinkState();
    // The "Seuranta" dialog's options in effect to the hunt.
    void TakeHuntSettings();
    // The hunt's two status lines into the "Seuranta" dialog.
    void ShowHuntStatus();
    // Ends the start's wait for the log: the page's spots are taken now.
    void StopHoldingSpots();

    TForm3* settings_ = nullptr;
    TForm4* relay_ = nullptr;
    TForm5* watch_ = nullptr;
    std::unique_ptr<SpotOutlets> outlets_;  // made with the window's port
    int linkTimer_ = 0;
    std::unique_ptr<SpotHunt> hunt_;
    int logTimer_ = 0;
    int sliceTimer_ = 0;         // while a reading of the log is under way
    bool holdingSpots_ = false;  // the start waits for the log's first reading
    bool spotsHeld_ = false;     // and a block came meanwhile
    std::uint32_t holdStart_ = 0;
    std::unique_ptr<DecoderLinkSupervisor> link_;
    // Lives as long as the window: a call posted to the loop runs only then.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    SpotView view_{*this};
    SpotIntake intake_{*this, view_};
};
