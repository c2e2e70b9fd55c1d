// The platform as the program's windows meet it in host tests: the in-memory
// window system, the DDE library with the teletext decoder behind it, the
// serial ports, the speaker, a Finnish locale with a fixed clock and a fresh
// working folder for the settings file. Also the decoder's page rows in their
// own column layout, and a way to make the port's writes run out of time at
// once instead of after the port's 1000 ms.
//
// Everything here is installed for the life of one object; the program's
// objects must be destroyed before it. Main thread, apart from what the
// serial port's watcher thread calls in the comm and sync fakes.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "asetus/settings_folder.h"
#include "fakes/fake_comm.h"
#include "fakes/fake_ddeml.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_speaker.h"
#include "fakes/fake_sync.h"
#include "platform/seam.h"
#include "ui/memory/memory_widget_set.h"

// One row of the decoder's page: 40 columns, frequency right-aligned in 1-6,
// the DX call from 8, the comment from 15, the spotter from 30, the time in
// 37-40.
inline std::string PageRow(int kHz, const std::string& dx, const std::string& spotter,
                           const std::string& time = "1305", const std::string& comment = "cq dx") {
    auto field = [](const std::string& text, size_t width, bool right) {
        const std::string cut = text.substr(0, width);
        const std::string pad(width - cut.size(), ' ');
        return right ? pad + cut : cut + pad;
    };
    return field(std::to_string(kHz), 6, true) + " " + field(dx, 6, false) + " " +
           field(comment, 14, false) + " " + field(spotter, 6, false) + " " + field(time, 4, false);
}

// The spot row the program sees: the page row with its line end turned into
// two blanks.
inline std::string SpotRow(const std::string& pageRow) {
    return pageRow + "  ";
}

// The block as the decoder serves it: each row ended by CR LF.
inline std::string Page(const std::vector<std::string>& pageRows) {
    std::string text;
    for (const std::string& row : pageRows) text += row + "\r\n";
    return text;
}

// A window system that notes each window it makes in the DDE fake's log, so
// that one list shows windows, DDE calls and events in their order.
class LoggingWidgetSet : public TMemoryWidgetSet {
  public:
    explicit LoggingWidgetSet(std::vector<std::string>& log) : log_(log) {}
    std::unique_ptr<IFormPeer> CreateForm(const std::string& className, IFormPeer* owner,
                                          IFormEvents& events) override {
        log_.push_back("window " + className);
        return TMemoryWidgetSet::CreateForm(className, owner, events);
    }

  private:
    std::vector<std::string>& log_;
};

// A clock that moves on by `step` seconds at every reading (0: stands still).
class SteppingLocale : public FakeLocale {
  public:
    explicit SteppingLocale(FakeLocale base) : FakeLocale(std::move(base)) {}
    int step = 0;
    LocalTime GetLocalTime() override {
        const LocalTime reading = now;
        now.second += step;
        now.minute += now.second / 60;
        now.second %= 60;
        return reading;
    }
};

class ProgramSeams {
  public:
    static constexpr const char* kItem = "10,10,,,B(0/5/39/23)";

    ProgramSeams() {
        ddeml.server.items[kItem] = "";
        comm.AddDevice("Com2");
        comm.AddDevice("Com5");
        locale.now = LocalTime{2026, 12, 7, 9, 41, 7, 0};
    }
    ProgramSeams(const ProgramSeams&) = delete;
    ProgramSeams& operator=(const ProgramSeams&) = delete;

    // The decoder puts new text in the block and announces it.
    void Serve(const std::string& text) {
        ddeml.server.items[kItem] = text;
        ddeml.Advise(kItem);
    }

    // From now on every write to a port is left pending by the device and the
    // main thread's wait for it runs out at once.
    void WritesTimeOut() {
        comm.writeMode = FakeComm::WriteMode::Pending;
        const std::thread::id main = std::this_thread::get_id();
        sync.onWait = [this, main](std::uintptr_t handle, std::uint32_t) {
            if (std::this_thread::get_id() == main) sync.ScriptWait(handle, kWaitTimeout);
        };
    }
    void WritesComplete() {
        comm.writeMode = FakeComm::WriteMode::Complete;
        sync.onWait = nullptr;
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const TMemoryMessageBox& box : widgets.messageBoxes) texts.push_back(box.Text);
        return texts;
    }

    SettingsFolder folder;
    FakeDdeml ddeml;
    LoggingWidgetSet widgets{ddeml.log};
    FakeSync sync;
    FakeComm comm{sync};
    FakeSpeaker speaker;
    SteppingLocale locale{FakeLocale::Finnish()};

  private:
    ScopedSeam<IDdeml> ddemlSeam_{&ddeml};
    ScopedSeam<IWidgetSet> widgetSeam_{&widgets};
    ScopedSeam<ISync> syncSeam_{&sync};
    ScopedSeam<IComm> commSeam_{&comm};
    ScopedSeam<ISpeaker> speakerSeam_{&speaker};
    ScopedSeam<ILocale> localeSeam_{&locale};
};
