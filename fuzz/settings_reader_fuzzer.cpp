// Fuzzes the settings file reader on any file content: the text-file line
// reading (with a buffer as small as one byte and reads that stop short, so
// CR LF pairs fall across buffer refills) and ReadSettingsFile on top of it,
// both against a model written from the file's rules.
//
// Input: byte 0 the reader's buffer size, byte 1 the longest read the file
// hands out (0: no limit), byte 2 whether forwarding starts checked, the rest
// the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CommInt/comm.h"
#include "asetus/settings_file.h"
#include "fakes/fake_comm.h"
#include "fakes/fake_sync.h"
#include "fuzz_check.h"
#include "memory_files.h"
#include "platform/seam.h"
#include "rtl/text_file.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"

namespace {

// The lines: every byte up to the first CR, an LF right after that CR
// skipped, a Ctrl-Z ending the file, a last line without its line end kept.
std::vector<std::string> ModelLines(const std::string& file) {
    const std::string text = file.substr(0, file.find('\x1A'));
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t cr = text.find('\r', at);
        if (cr == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, cr - at));
        at = cr + 1;
        if (at < text.size() && text[at] == '\n') ++at;
    }
    return lines;
}

struct ModelSettings {
    std::string lower = "ComboBox1";
    std::string upper = "ComboBox1";
    std::string port = "ComboBox3";
    bool forwarding = false;
};

std::string From(const std::string& line, std::size_t position, std::size_t count) {
    return line.size() < position ? std::string() : line.substr(position - 1, count);
}

void Apply(ModelSettings& s, const std::string& line) {
    auto holds = [&line](const char* key) { return line.find(key) != std::string::npos; };
    if (holds("[AlaMHZ]")) s.lower = From(line, 9, 7);
    if (holds("[YlaMHZ]")) s.upper = From(line, 9, 7);
    if (holds("[COMPort]")) s.port = From(line, 10, 4);
    if (holds("[Com]0")) s.forwarding = false;
    if (holds("[Com]1")) s.forwarding = true;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += line + "|";
    return joined;
}

struct World {
    fuzz::MemoryFiles files;
    FakeSync sync;
    FakeComm fakeComm{sync};
    ScopedSeam<IFiles> filesSeam{&files};
    ScopedSeam<IComm> commSeam{&fakeComm};
    ScopedSeam<ISync> syncSeam{&sync};
    TComboBox lower{nullptr};
    TComboBox upper{nullptr};
    TComboBox port{nullptr};
    TCheckBox forwarding{nullptr};
    TComm comm{nullptr};
};

World& TheWorld() {
    static World* world = new World;  // lives to the end of the process
    return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    World& w = TheWorld();
    w.files.name = kSettingsFileName;
    w.files.bytes.assign(reinterpret_cast<const char*>(data) + 3, size - 3);
    w.files.chunk = data[1];
    const std::vector<std::string> want = ModelLines(w.files.bytes);

    {
        TextFileReader reader(kSettingsFileName, w.files, data[0] % 64 + 1);
        std::vector<std::string> lines;
        while (!reader.Eof()) {
            fuzz::Check(lines.size() <= want.size(), "more lines than the file holds");
            lines.push_back(reader.ReadLine());
        }
        reader.Close();
        fuzz::CheckEqual(Joined(lines), Joined(want), "the lines of the file");
    }
    fuzz::CheckEqual(w.files.openHandles, 0, "the file is closed after reading");

    ModelSettings model;
    model.forwarding = (data[2] & 1) != 0;
    w.lower.SetText(model.lower);
    w.upper.SetText(model.upper);
    w.port.SetText(model.port);
    w.forwarding.SetChecked(model.forwarding);
    w.comm.SetDeviceName("Com2");
    for (const std::string& line : want) Apply(model, line);

    ReadSettingsFile(SettingsControls{w.lower, w.upper, w.port, w.forwarding}, w.comm);
    fuzz::CheckEqual(w.lower.Text(), model.lower, "the lower limit");
    fuzz::CheckEqual(w.upper.Text(), model.upper, "the upper limit");
    fuzz::CheckEqual(w.port.Text(), model.port, "the port name");
    fuzz::CheckEqual(w.forwarding.Checked(), model.forwarding, "the forwarding switch");
    fuzz::CheckEqual(w.comm.DeviceName(), model.port, "the serial component's device name");
    fuzz::CheckEqual(w.files.openHandles, 0, "the settings file is closed");
    return 0;
}
