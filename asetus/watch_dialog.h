// TForm5, the dialog "Seuranta": the watch list (call signs and prefixes
// typed in one line, see WatchList), whether the main window flashes when a
// watched call is spotted, and whether sounds are off. Its controls hold the
// options as the settings file has them; while the dialog is open they may
// hold changes not yet stored. What is in effect is what was last read or
// stored (Watch, FlashOn, SoundsOff).
//
// One instance for the whole run, created hidden after the "Välitys" dialog
// and shown modally from the main window. Closing it by any means first
// checks the list: a bad entry raises Exception "Virheellinen tunnus:
// <entry>", so the application frame reports it and the dialog stays open
// with nothing stored. Otherwise it stores the whole settings file and reads
// it back (StoreSettings, set at start-up), then puts the options in effect;
// when that fails the dialog stays open and what was in effect stays so.
//
// Owned by the application; main thread only.
#pragma once

#include <functional>

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
    TBitBtn* BitBtn1 = nullptr;

    WatchControls Controls() const { return {Edit1, CheckBox1, CheckBox2}; }

    // The options in effect.
    const WatchList& Watch() const { return watch_; }
    bool FlashOn() const { return flashOn_; }
    bool SoundsOff() const { return soundsOff_; }
    // Puts the controls' options in effect; for when the settings file has
    // just been read into them. Bad entries there (a file edited by hand) are
    // left out of the list, not refused.
    void TakeOptions();

    // Writes the settings file from all dialogs and reads it back.
    std::function<void()> StoreSettings;

  private:
    void BitBtn1Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    WatchList watch_;
    bool flashOn_ = false;
    bool soundsOff_ = false;
};
