// Applies control lines to the simulated decoder; see controller.h.
// Changing rows never announces anything by itself: "notify" does, so a test
// can change several rows and announce them once, or announce no change.
#include "simulator/controller.h"

#include <fstream>

#include "simulator/command.h"

namespace vtsim {

Controller::Controller(ControllerHost& host, std::uint32_t demo_seed)
    : host_(host), demo_(demo_seed) {}

int Controller::Execute(const std::string& line) {
    const Command command = ParseCommand(line);
    switch (command.verb) {
        case Verb::None:
            break;
        case Verb::Row:
        case Verb::RowEscaped:
            page_.SetRow(command.number, command.text);
            break;
        case Verb::Rows:
            LoadRows(command.text);
            break;
        case Verb::Clear:
            page_.Clear();
            break;
        case Verb::Spot:
            page_.SetRow(command.number, SpotRow(command.spot));
            break;
        case Verb::Raw:
            raw_on_ = true;
            raw_text_ = command.text;
            break;
        case Verb::Block:
            raw_on_ = false;
            break;
        case Verb::Notify:
            host_.Notify();
            break;
        case Verb::Delay:
            behaviour_.delay_ms = command.number;
            break;
        case Verb::RefuseAdvise:
            behaviour_.refuse_advise = command.flag;
            break;
        case Verb::RefuseRequest:
            behaviour_.refuse_request = command.flag;
            break;
        case Verb::RefuseConnect:
            behaviour_.refuse_connect = command.flag;
            break;
        case Verb::Empty:
            behaviour_.empty = command.flag;
            break;
        case Verb::LoneLf:
            behaviour_.lone_lf = command.flag;
            break;
        case Verb::NoZero:
            behaviour_.no_zero = command.flag;
            break;
        case Verb::Sleep:
            return command.number;
        case Verb::Demo:
            SetDemo(command.flag);
            break;
        case Verb::Echo:
            host_.Print(command.text);
            break;
        case Verb::Hangup:
            host_.Hangup();
            break;
        case Verb::Quit:
            host_.Quit();
            break;
    }
    return 0;
}

void Controller::SetDemo(bool on) {
    if (on == demo_on_) return;
    demo_on_ = on;
    host_.SetDemoTimer(on);
    if (on) {
        demo_.FillPage(page_, host_.UtcMinuteOfDay());
        host_.Notify();
    }
}

void Controller::DemoTick() {
    if (!demo_on_) return;
    page_.ScrollIn(SpotRow(demo_.Next(host_.UtcMinuteOfDay())));
    host_.Notify();
}

void Controller::LoadRows(const std::string& file_name) {
    std::ifstream file(file_name, std::ios::binary);
    if (!file) throw ECommandError("cannot open '" + file_name + "'");
    Page loaded;
    std::string line;
    for (int row = 0; row < kPageRows && std::getline(file, line); ++row) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        loaded.SetRow(row, line);
    }
    page_ = loaded;
}

std::string Controller::Served() const {
    std::string text;
    if (!behaviour_.empty) {
        text = raw_on_ ? raw_text_ : page_.Block(behaviour_.lone_lf ? "\n" : "\r\n");
    }
    if (!behaviour_.no_zero) text.push_back('\0');
    return text;
}

}  // namespace vtsim
