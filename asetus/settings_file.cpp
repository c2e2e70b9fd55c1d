#include "asetus/settings_file.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CommInt/comm.h"
#include "platform/files.h"
#include "platform/seam.h"
#include "rtl/text_fields.h"
#include "rtl/text_file.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"

const char* const kSettingsFileName = "vareli.ini";
const char* const kDefaultClusterPort = "7300";
const char* const kSettingsRestoredText = "Asetukset palautettiin tiedostosta vareli.ini.tmp.";
const char* const kSettingsRestoredFromNewText =
    "Asetukset palautettiin tiedostosta vareli.ini.new.";
const char* const kSettingsNotRestoredText =
    "Asetuksia ei voitu palauttaa: yksik\xE4\xE4n kopio ei ole ehj\xE4.";

namespace {

// Every key the settings file may hold, each at the start of its own line.
// A line without one of them at its start is not one this program wrote: a
// kept copy holding such a line is not put back. A path's value ends at the
// next of them.
constexpr const char* kSettingsKeys[] = {
    "[COMPort]", "[AlaMHZ]",   "[YlaMHZ]",         "[Com]",         "[SarjaDX]",
    "[Loki]",    "[Klusteri]", "[KlusteriPortti]", "[KlusteriLAN]", "[Uudelleen]",
    "[Seuraa]",  "[Vilkuta]",  "[Hiljaa]",         "[NaytaMaa]",    "[SeuraaMaat]",
    "[ADIF]",    "[UusiMaa]",  "[UusiBandi]",      "[Vahvistetut]",
};

// What counts as a blank around a value: a hand-edited file may hold tabs, and
// a file with lone LF line ends is one long line whose values end in an LF.
constexpr const char* kBlanks = " \t\n\v\f";

// The text after the key, up to the line's end or the next "[", without the
// blanks at either end; nullopt when the line does not hold the key. Taken
// from where the key stands, so a blank before it shifts nothing, and ending
// at the next key, so two keys on one line each keep their own value.
std::optional<std::string> ValueAfter(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t from = at + key.size();
    const std::size_t to = std::min(line.find('[', from), line.size());
    const std::size_t first = line.find_first_not_of(kBlanks, from);
    if (first == std::string::npos || first >= to) return std::string();
    const std::size_t last = line.find_last_not_of(kBlanks, to - 1);
    return line.substr(first, last + 1 - first);
}

void SetFrom(const std::string& line, const char* key, TComboBox& box) {
    if (const auto value = ValueAfter(line, key)) box.SetText(*value);
}

bool Holds(const std::string& line, const char* key) {
    return line.find(key) != std::string::npos;
}

struct CheckedLine {
    TCheckBox* box;
    const char* line;  // written when on, the key and its value in one
};

std::vector<CheckedLine> RelayOptions(const RelayControls& relay) {
    return {{relay.clusterLines, "[SarjaDX]1"},
            {relay.spotFile, "[Loki]1"},
            {relay.clusterNode, "[Klusteri]1"},
            {relay.clusterLan, "[KlusteriLAN]1"},
            {relay.relink, "[Uudelleen]1"}};
}

std::vector<CheckedLine> WatchOptions(const WatchControls& watch) {
    return {{watch.flash, "[Vilkuta]1"},        {watch.quiet, "[Hiljaa]1"},
            {watch.showCountry, "[NaytaMaa]1"}, {watch.newCountry, "[UusiMaa]1"},
            {watch.newBand, "[UusiBandi]1"},    {watch.confirmed, "[Vahvistetut]1"}};
}

void WriteCheckedOptions(TextFileWriter& file, const std::vector<CheckedLine>& options,
                         std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (options[i].box != nullptr && options[i].box->Checked()) file.WriteLine(options[i].line);
}

constexpr const char* kClusterPortKey = "[KlusteriPortti]";
constexpr const char* kWatchKey = "[Seuraa]";
constexpr const char* kCountriesKey = "[SeuraaMaat]";
constexpr const char* kAdifKey = "[ADIF]";

// The path after "[ADIF]", up to the next key of the file or the line's end,
// without blanks at either end; nullopt when the line does not hold the key.
// So a "[" that starts no key stays in the path, and no key is ever inside it.
std::optional<std::string> PathAfter(const std::string& line) {
    const std::size_t at = line.find(kAdifKey);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t from = at + std::char_traits<char>::length(kAdifKey);
    std::size_t to = line.size();
    for (const char* key : kSettingsKeys) to = std::min(to, line.find(key, from));
    return Trimmed(line.substr(from, to - from), kBlanks);
}

// Stored with its key when the text holds an entry: blanks and commas only
// hold none.
void WriteEntries(TextFileWriter& file, const char* key, const TEdit* edit) {
    if (edit == nullptr) return;
    const std::string entries = Trimmed(edit->Text(), kBlanks);
    if (entries.find_first_not_of(std::string(kBlanks) + ",") != std::string::npos)
        file.WriteLine(key + entries);
}

}  // namespace

KeptCopy RestoreKeptSettingsFile() {
    return RestoreKeptSettingsFile(Seam<IFiles>::Get());
}

KeptCopy RestoreKeptSettingsFile(IFiles& files) {
    return RestoreKeptTextFile(kSettingsFileName, files, IsSettingsLine);
}

bool IsSettingsLine(const std::string& line) {
    for (const char* key : kSettingsKeys)
        if (line.compare(0, std::char_traits<char>::length(key), key) == 0) return true;
    return false;
}

const char* SettingsRestoredText(KeptCopy copy) {
    switch (copy) {
        case KeptCopy::kTmp:
            return kSettingsRestoredText;
        case KeptCopy::kNew:
            return kSettingsRestoredFromNewText;
        case KeptCopy::kNoneWhole:
            return kSettingsNotRestoredText;
        case KeptCopy::kNone:
            break;
    }
    return nullptr;
}

void WriteSettingsFile(const SettingsControls& controls) {
    TextFileWriter file(kSettingsFileName);
    file.WriteLine("[COMPort]" + controls.port.Text());
    file.WriteLine("[AlaMHZ]" + controls.lowerLimit.Text());
    file.WriteLine("[YlaMHZ]" + controls.upperLimit.Text());
    // The check box is asked twice, once for each line it may write.
    if (controls.forwarding.Checked()) file.WriteLine("[Com]1");
    if (!controls.forwarding.Checked()) file.WriteLine("[Com]0");
    // In the order the options stand in their dialog: the port after its switch.
    const std::vector<CheckedLine> options = RelayOptions(controls.relay);
    WriteCheckedOptions(file, options, 0, 3);
    TEdit* port = controls.relay.clusterPort;
    if (port != nullptr && port->Text() != kDefaultClusterPort)
        file.WriteLine(kClusterPortKey + port->Text());
    WriteCheckedOptions(file, options, 3, options.size());
    // The watch options come after every line older files have, the newer
    // ones after the older, so a file without them is what it always was.
    WriteEntries(file, kWatchKey, controls.watch.entries);
    const std::vector<CheckedLine> watch = WatchOptions(controls.watch);
    WriteCheckedOptions(file, watch, 0, 3);
    WriteEntries(file, kCountriesKey, controls.watch.countries);
    if (controls.watch.adifPath != nullptr) {
        const std::string path = Trimmed(controls.watch.adifPath->Text(), kBlanks);
        if (!path.empty()) file.WriteLine(kAdifKey + path);
    }
    WriteCheckedOptions(file, watch, 3, watch.size());
    file.Commit();
}

void ReadSettingsFile(const SettingsControls& controls, TComm& comm) {
    TextFileReader file(kSettingsFileName);
    std::vector<CheckedLine> options = RelayOptions(controls.relay);
    for (const CheckedLine& option : WatchOptions(controls.watch)) options.push_back(option);
    std::vector<bool> on(options.size(), false);
    std::string clusterPort = kDefaultClusterPort;
    std::string watchEntries;
    std::string countries;
    std::string adifPath;
    while (!file.Eof()) {
        const std::string line = file.ReadLine();
        if (const auto path = PathAfter(line)) adifPath = *path;
        for (std::size_t i = 0; i < options.size(); ++i)
            if (Holds(line, options[i].line)) on[i] = true;
        if (const auto value = ValueAfter(line, kClusterPortKey)) clusterPort = *value;
        if (const auto value = ValueAfter(line, kWatchKey)) watchEntries = *value;
        if (const auto value = ValueAfter(line, kCountriesKey)) countries = *value;
        SetFrom(line, "[AlaMHZ]", controls.lowerLimit);
        SetFrom(line, "[YlaMHZ]", controls.upperLimit);
        SetFrom(line, "[COMPort]", controls.port);
        if (Holds(line, "[Com]0")) controls.forwarding.SetChecked(false);
        if (Holds(line, "[Com]1")) controls.forwarding.SetChecked(true);
    }
    file.Close();
    // Set only once the whole file is read: a line further on may hold one.
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i].box != nullptr) options[i].box->SetChecked(on[i]);
    if (controls.relay.clusterPort != nullptr) controls.relay.clusterPort->SetText(clusterPort);
    const std::vector<std::pair<TEdit*, const std::string*>> texts = {
        {controls.watch.entries, &watchEntries},
        {controls.watch.countries, &countries},
        {controls.watch.adifPath, &adifPath}};
    for (const auto& [edit, text] : texts)
        if (edit != nullptr) edit->SetText(*text);
    comm.SetDeviceName(controls.port.Text());
}
