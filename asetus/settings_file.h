// The settings file "vareli.ini": four lines, "[COMPort]", "[AlaMHZ]",
// "[YlaMHZ]" each followed by its value, and "[Com]1" or "[Com]0"; after
// them the options of the "Välitys" and "Seuranta" dialogs that are set. The
// dialogs' controls are the only store of the settings; the writer copies
// them into the file, the reader copies the file into them.
//
// The name has no folder: it is found in the working folder at each open.
// Main thread only. Both raise EInOutError (and the reader whatever the serial
// component raises for its device name) and catch nothing.
#pragma once

#include <string>

#include "rtl/text_file.h"

class TCheckBox;
class TComboBox;
class TComm;
class TEdit;

extern const char* const kSettingsFileName;  // "vareli.ini"

// Start-up, before the settings are read: when "vareli.ini" is missing,
// puts back the newer of "vareli.ini.tmp" (where a failed save keeps its
// contents) and "vareli.ini.new" (where they stay when even that move
// failed), see RestoreKeptTextFile, and says which. Only a copy that reads
// whole goes back: it ends with a line end and each of its lines is a
// settings line (IsSettingsLine); else the other copy, else none (kNoneWhole,
// the copies left for the user to look at). The caller then shows
// SettingsRestoredText once and reads the settings as usual. With
// "vareli.ini" there nothing is moved or opened, so a copy held open by
// another program is no obstacle. A look or a move that fails otherwise
// raises EInOutError with the system's code (32 held open elsewhere, 5
// access denied, ...), so that it is reported like any failure to read the
// settings rather than hidden behind a "File not found"; the copy then
// stays for the next start. The IFiles overload is for tests; the other
// uses Seam<IFiles>.
KeptCopy RestoreKeptSettingsFile();
KeptCopy RestoreKeptSettingsFile(IFiles& files);

// "Asetukset palautettiin tiedostosta vareli.ini.tmp."
extern const char* const kSettingsRestoredText;
// "Asetukset palautettiin tiedostosta vareli.ini.new."
extern const char* const kSettingsRestoredFromNewText;
// "Asetuksia ei voitu palauttaa: yksikään kopio ei ole ehjä."
extern const char* const kSettingsNotRestoredText;
// The box text for the copy put back, or for copies none of which was whole;
// nullptr for none there.
const char* SettingsRestoredText(KeptCopy copy);

// Whether the line starts with a key of the settings file (one list of keys,
// kept beside the reader and the writer, so that a new key is added once).
bool IsSettingsLine(const std::string& line);

// The "Välitys" dialog's options. Each is stored only when it is on, after
// the four lines, so that a user who never turns one on keeps the four-line
// file; a file without its line means off.
struct RelayControls {
    TCheckBox* clusterLines = nullptr;  // "[SarjaDX]1"
    TCheckBox* spotFile = nullptr;      // "[Loki]1"
    TCheckBox* clusterNode = nullptr;   // "[Klusteri]1"
    TEdit* clusterPort = nullptr;       // "[KlusteriPortti]N", stored unless 7300
    TCheckBox* clusterLan = nullptr;    // "[KlusteriLAN]1"
    TCheckBox* relink = nullptr;        // "[Uudelleen]1"
};

// The "Seuranta" dialog's options, stored like the relay options only when
// set, after them, in this order. A text is stored without blanks at its
// ends; an entry list only when it holds an entry (not blanks and commas
// only), a path only when not blank.
//
// A log's path may hold "[" ("C:\Lokit [vanhat]\oh.adi"), so "[ADIF]"'s value
// does not end at any "[" as the others' do, but at the next of this file's
// own keys ("[Loki]", "[UusiMaa]", ...) or the line's end. A path that holds
// one of those keys (never seen in practice) is cut there and the key read.
struct WatchControls {
    TEdit* entries = nullptr;          // "[Seuraa]<text>"
    TCheckBox* flash = nullptr;        // "[Vilkuta]1"
    TCheckBox* quiet = nullptr;        // "[Hiljaa]1"
    TCheckBox* showCountry = nullptr;  // "[NaytaMaa]1"
    TEdit* countries = nullptr;        // "[SeuraaMaat]<text>"
    TEdit* adifPath = nullptr;         // "[ADIF]<path>"
    TCheckBox* newCountry = nullptr;   // "[UusiMaa]1"
    TCheckBox* newBand = nullptr;      // "[UusiBandi]1"
    TCheckBox* confirmed = nullptr;    // "[Vahvistetut]1"
};

// The cluster node's TCP port when none is stored.
extern const char* const kDefaultClusterPort;  // "7300"

// The settings dialog's four controls, the relay options when there is a
// "Välitys" dialog, and the watch options when there is a "Seuranta" dialog.
struct SettingsControls {
    TComboBox& lowerLimit;  // ComboBox1
    TComboBox& upperLimit;  // ComboBox2
    TComboBox& port;        // ComboBox3
    TCheckBox& forwarding;  // CheckBox1
    RelayControls relay = {};
    WatchControls watch = {};
};

// Writes the four lines, then the relay options and the watch options that
// are set, CR LF after each. The file is replaced only once the whole new
// content is written, so a failure keeps the old file.
void WriteSettingsFile(const SettingsControls& controls);

// Reads every line and tests it for each key anywhere in it, in order; a
// value is the text after its key up to the line's end or the next "["
// ("[ADIF]": see WatchControls), without blanks at either end, so whatever
// the writer stored comes back whole. The last line holding a key wins. Then hands the port box's
// text to the serial component as its device name.
void ReadSettingsFile(const SettingsControls& controls, TComm& comm);
