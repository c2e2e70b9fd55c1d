// TForm3, the settings dialog "Asetukset": lower and upper frequency limit,
// serial port and the forwarding switch. Its controls are the program's only
// store of the current settings; spot intake reads them for every row.
//
// One instance for the whole run, created hidden after the main window and
// shown modally from its menu. Closing it by any means stores the settings
// and reads them back (FormClose); when that fails the dialog stays open and
// the application frame reports the error.
//
// Owned by the application; main thread only.
#pragma once

#include <functional>

#include "asetus/settings_file.h"
#include "ui/bit_btn.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/form.h"
#include "ui/label.h"

class TForm3 : public TForm {
  public:
    explicit TForm3(TComponent* AOwner);
    const char* ClassName() const override { return "TForm3"; }

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TComboBox* ComboBox2 = nullptr;
    TComboBox* ComboBox3 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;

    SettingsControls Controls() const {
        return {*ComboBox1, *ComboBox2, *ComboBox3, *CheckBox1, Relay, Watch};
    }

    // The settings reader run after the file is written (the main window's
    // haeasetukset), set at start-up.
    std::function<void()> ReadSettings;
    // The "Välitys" dialog's options, stored in the same file; set at start-up.
    RelayControls Relay;
    // The "Seuranta" dialog's options, likewise.
    WatchControls Watch;

    // Writes the settings file and reads it back: the body of closing this
    // dialog, the "Välitys" dialog and the "Seuranta" dialog.
    void StoreSettings();

  private:
    void BitBtn1Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
};
