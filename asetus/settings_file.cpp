#include "asetus/settings_file.h"

#include "CommInt/comm.h"
#include "rtl/text_file.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"

const char* const kSettingsFileName = "vareli.ini";

namespace {

// Characters from 1-based position `from`, at most `count`; empty when the
// line is shorter.
std::string Copy(const std::string& line, std::size_t from, std::size_t count) {
    if (line.size() < from) return std::string();
    return line.substr(from - 1, count);
}

bool Holds(const std::string& line, const char* key) {
    return line.find(key) != std::string::npos;
}

}  // namespace

void WriteSettingsFile(const SettingsControls& controls) {
    TextFileWriter file(kSettingsFileName);
    file.WriteLine("[COMPort]" + controls.port.Text());
    file.WriteLine("[AlaMHZ]" + controls.lowerLimit.Text());
    file.WriteLine("[YlaMHZ]" + controls.upperLimit.Text());
    // The check box is asked twice, once for each line it may write.
    if (controls.forwarding.Checked()) file.WriteLine("[Com]1");
    if (!controls.forwarding.Checked()) file.WriteLine("[Com]0");
    file.Commit();
}

void ReadSettingsFile(const SettingsControls& controls, TComm& comm) {
    TextFileReader file(kSettingsFileName);
    while (!file.Eof()) {
        const std::string line = file.ReadLine();
        if (Holds(line, "[AlaMHZ]")) controls.lowerLimit.SetText(Copy(line, 9, 7));
        if (Holds(line, "[YlaMHZ]")) controls.upperLimit.SetText(Copy(line, 9, 7));
        if (Holds(line, "[COMPort]")) controls.port.SetText(Copy(line, 10, 4));
        if (Holds(line, "[Com]0")) controls.forwarding.SetChecked(false);
        if (Holds(line, "[Com]1")) controls.forwarding.SetChecked(true);
    }
    file.Close();
    comm.SetDeviceName(controls.port.Text());
}
