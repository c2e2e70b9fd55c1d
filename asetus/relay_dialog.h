// TForm4, the dialog "Välitys": how spots go on to other programs beyond the
// spot view and the plain serial line — DX-cluster lines on the serial port
// and a daily spot file. Like the settings dialog, its controls are where the
// program holds these options: forwarding and intake read them for every
// spot, so a change applies at once.
//
// One instance for the whole run, created hidden after the settings dialog
// and shown modally from the main window's menu. Closing it by any means
// stores the whole settings file and reads it back (StoreSettings, set at
// start-up); when that fails the dialog stays open and the application frame
// reports the error.
//
// Owned by the application; main thread only.
#pragma once

#include <functional>

#include "asetus/settings_file.h"
#include "ui/bit_btn.h"
#include "ui/check_box.h"
#include "ui/form.h"

class TForm4 : public TForm {
  public:
    explicit TForm4(TComponent* AOwner);
    const char* ClassName() const override { return "TForm4"; }

    TCheckBox* CheckBox1 = nullptr;  // DX-cluster lines on the serial port
    TCheckBox* CheckBox2 = nullptr;  // the daily spot file
    TBitBtn* BitBtn1 = nullptr;

    RelayControls Controls() const { return {CheckBox1, CheckBox2}; }

    // Writes the settings file from both dialogs and reads it back.
    std::function<void()> StoreSettings;

  private:
    void BitBtn1Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
};
