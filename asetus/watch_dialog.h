// TForm5, the dialog "Seuranta": the watch list (call signs and prefixes
// typed in one line, see WatchList), whether the main window flashes when a
// watched call is spotted, and whether sounds are off; the watched countries
// (primary prefixes as the country file writes them) and whether the spot
// list shows each spot's country; the path of the user's ADIF log ("Selaa..."
// picks it with the system's file dialog) and whether spots of a country or
// band the log still needs are marked, counting confirmed QSOs only or all.
// Two status lines tell how the country file and the log stand; the main
// window sets them whenever that changes, the dialog open or not.
//
// Its controls hold the options as the settings file has them; while the
// dialog is open they may hold changes not yet stored. What is in effect is
// what was last read or stored (Watch, FlashOn, SoundsOff, ShowCountry, ...).
//
// One instance for the whole run, created hidden after the "Välitys" dialog
// and shown modally from the main window. Closing it by any means first
// checks the entries: a bad call entry raises Exception "Virheellinen
// tunnus: <entry>", then a country the country file does not know (asked of
// FirstUnknownCountry, when set) raises "Tuntematon maa: <entry>", so the
// application frame reports it and the dialog stays open with nothing
// stored. Otherwise it stores the whole settings file and reads it back
// (StoreSettings, set at start-up), then puts the options in effect
// (TakeOptions); when that fails the dialog stays open and what was in
// effect stays so.
//
// Owned by the application; main thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "asetus/settings_file.h"
#include "spots/watch_list.h"
#include "ui/bit_btn.h"
#include "ui/check_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"

class TForm5 : public TForm {
  public:
    explicit TForm5(TComponent* AOwner);
    const char* ClassName() const override { return "TForm5"; }

    TLabel* Label1 = nullptr;        // "Seurattavat tunnukset:"
    TEdit* Edit1 = nullptr;          // the entries
    TCheckBox* CheckBox1 = nullptr;  // flash the window
    TCheckBox* CheckBox2 = nullptr;  // sounds off
    TLabel* Label2 = nullptr;        // "Seurattavat maat:"
    TEdit* Edit2 = nullptr;          // the watched countries
    TCheckBox* CheckBox3 = nullptr;  // show the country in the spot list
    TLabel* Label3 = nullptr;        // the country file's status
    TLabel* Label4 = nullptr;        // "ADIF-loki:"
    TEdit* Edit3 = nullptr;          // the log's path
    TBitBtn* BitBtn2 = nullptr;      // "Selaa..."
    TCheckBox* CheckBox4 = nullptr;  // new countries
    TCheckBox* CheckBox5 = nullptr;  // new bands
    TCheckBox* CheckBox6 = nullptr;  // confirmed QSOs only
    TLabel* Label5 = nullptr;        // the log's status
    TBitBtn* BitBtn1 = nullptr;

    WatchControls Controls() const {
        return {Edit1, CheckBox1, CheckBox2, CheckBox3, Edit2,
                Edit3, CheckBox4, CheckBox5, CheckBox6};
    }

    // The options in effect.
    const WatchList& Watch() const { return watch_; }
    bool FlashOn() const { return flashOn_; }
    bool SoundsOff() const { return soundsOff_; }
    bool ShowCountry() const { return showCountry_; }
    // The countries' entries and the log's path, without blanks at the ends.
    const std::string& CountryText() const { return countryText_; }
    const std::string& AdifPath() const { return adifPath_; }
    bool NewCountryOn() const { return newCountryOn_; }
    bool NewBandOn() const { return newBandOn_; }
    bool ConfirmedOnly() const { return confirmedOnly_; }
    // Puts the controls' options in effect, then runs OptionsTaken; for when
    // the settings file has just been read into them. Bad entries there (a
    // file edited by hand) are left out of the list, not refused; countries
    // are not checked.
    void TakeOptions();

    // The status lines (shown as given).
    void SetCountryStatus(const std::string& text);
    void SetLogStatus(const std::string& text);

    // Writes the settings file from all dialogs and reads it back.
    std::function<void()> StoreSettings;
    // The first of the text's country entries the country file does not
    // know; nullopt when all are known. Unset: countries are not checked
    // (set by the main window, which leaves them unchecked while it has no
    // country file).
    std::function<std::optional<std::string>(const std::string& text)> FirstUnknownCountry;
    // Run at the end of TakeOptions, once the options are in effect (the
    // main window follows the log's new path then). What it raises passes
    // to TakeOptions' caller.
    std::function<void()> OptionsTaken;

  private:
    void BitBtn1Click(TObject* Sender);
    void BitBtn2Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    WatchList watch_;
    bool flashOn_ = false;
    bool soundsOff_ = false;
    bool showCountry_ = false;
    std::string countryText_;
    std::string adifPath_;
    bool newCountryOn_ = false;
    bool newBandOn_ = false;
    bool confirmedOnly_ = false;
};
