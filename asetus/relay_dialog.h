// TForm4, the dialog "Välitys": how spots go on to other programs beyond the
// spot view and the plain serial line — DX-cluster lines on the serial port,
// a daily spot file, and a DX-cluster node for logging programs (telnet): on
// or off, its TCP port, whether other computers may connect, and how many
// connections it has now; and whether the decoder link is opened again when
// the decoder comes back. Its controls hold the options as the settings file
// has them; while the dialog is open they may hold changes not yet stored.
// What is in effect is what was last read or stored: forwarding and intake
// read ClusterLinesOn and SpotFileOn for every spot, and the node is started
// from the controls only once they are stored (SettingsChanged).
//
// One instance for the whole run, created hidden after the settings dialog
// and shown modally from the main window's menu. Closing it by any means
// stores the whole settings file and reads it back (StoreSettings, set at
// start-up), then puts the options in effect; when that fails the dialog
// stays open, what was in effect stays so, and the application frame reports
// the error.
//
// Owned by the application; main thread only.
#pragma once

#include <functional>

#include "asetus/settings_file.h"
#include "ui/bit_btn.h"
#include "ui/check_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"

class TForm4 : public TForm {
  public:
    explicit TForm4(TComponent* AOwner);
    const char* ClassName() const override { return "TForm4"; }

    TCheckBox* CheckBox1 = nullptr;  // DX-cluster lines on the serial port
    TCheckBox* CheckBox2 = nullptr;  // the daily spot file
    TCheckBox* CheckBox3 = nullptr;  // the cluster node
    TLabel* Label1 = nullptr;        // "TCP-portti"
    TEdit* Edit1 = nullptr;          // the node's TCP port
    TCheckBox* CheckBox4 = nullptr;  // connections from other computers
    TLabel* Label2 = nullptr;        // "Yhteyksiä: N"
    TCheckBox* CheckBox5 = nullptr;  // open the decoder link again when it is back
    TBitBtn* BitBtn1 = nullptr;

    RelayControls Controls() const {
        return {CheckBox1, CheckBox2, CheckBox3, Edit1, CheckBox4, CheckBox5};
    }

    // The options in effect for forwarding, the spot file and the link.
    bool ClusterLinesOn() const { return clusterLinesOn_; }
    bool SpotFileOn() const { return spotFileOn_; }
    bool RelinkOn() const { return relinkOn_; }
    // Puts the controls' options in effect; for when the settings file has
    // just been read into them.
    void TakeOptions();

    // Shows the node's number of open connections.
    void SetConnectionCount(int count);
    // The port box's number; raises Exception "TCP-portin on oltava luku
    // 1-65535." when its text is not a whole number in that range.
    int ClusterPort() const;

    // Run when the dialog has closed and the settings are stored: the node
    // takes its new settings (set at start-up).
    std::function<void()> SettingsChanged;

    // Writes the settings file from both dialogs and reads it back.
    std::function<void()> StoreSettings;

  private:
    void BitBtn1Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    bool clusterLinesOn_ = false;
    bool spotFileOn_ = false;
    bool relinkOn_ = false;
};
