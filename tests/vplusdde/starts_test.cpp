// The program started again and again over one working folder, as a user
// starts it: a first show that meets a failing step, and restarts on a fake
// clock stepped through a week of calendar edges, with the daily spot file,
// the port and the DX-cluster node on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "asetus/relay_dialog.h"
#include "fakes/fake_sockets.h"
#include "program_seams.h"
#include "relay/dx_line.h"
#include "vareli/program.h"
#include "vplusdde/main_window.h"

namespace {

using Texts = std::vector<std::string>;

const char* const kAllOn =
    "[COMPort]Com5\r\n[AlaMHZ]1800\r\n[YlaMHZ]30000\r\n[Com]1\r\n"
    "[SarjaDX]1\r\n[Loki]1\r\n[Klusteri]1\r\n";

class StartsTest : public ::testing::Test {
  protected:
    ~StartsTest() override { Stop(); }

    // The program made as the entry point makes it, and its window shown.
    void Start() {
        program = std::make_unique<VareliProgram>(s.widgets, "C:\\Vareli\\Vareli.exe");
        form1 = program->Form1;
        form1->Show();
        program->Application().ProcessMessages();
    }
    // Closed as the user closes it: the loop then ends at the quit it posts.
    void Stop() {
        if (!program) return;
        form1->Close();
        program->Application().ProcessMessages();
        EXPECT_TRUE(program->Application().Terminated());
        program.reset();
    }
    // A client of the node, logged in, with what it was sent so far taken.
    int LoggedInClient() {
        const int peer = sockets.Connect(ClusterNode::kDefaultPort);
        sockets.PeerSend(peer, "q1abc\r\n");
        sockets.Pump();
        sockets.PeerTake(peer);
        return peer;
    }
    TMemoryRichEditPeer& View() {
        return TMemoryWidgetSet::PeerOf<TMemoryRichEditPeer>(form1->memo1);
    }
    std::string Caption(TLabel* label) {
        return TMemoryWidgetSet::PeerOf<TMemoryLabelPeer>(label).caption;
    }
    // Every line of every day file in the folder.
    static int LoggedLines() {
        int lines = 0;
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            if (entry.path().filename().string().rfind("vihjeet-", 0) != 0) continue;
            const std::string text = SettingsFolder::Get(entry.path().filename().string());
            for (char c : text) lines += c == '\n';
        }
        return lines;
    }

    ProgramSeams s;
    FakeSockets sockets;
    ScopedSeam<ISockets> socketsSeam_{&sockets};
    std::unique_ptr<VareliProgram> program;
    TForm1* form1 = nullptr;
};

// Each step of the first show made to fail in turn: its box comes from the
// loop, and the other steps still run, so the item is named, the link open
// and checked, the labels show the start and the count, not their names,
// and the view paints again.
TEST_F(StartsTest, AFailingStepOfTheFirstShowLeavesTheOthersToRun) {
    s.locale.utcNow = LocalTime{2026, 12, 7, 7, 41, 7, 0};
    const std::string row = PageRow(7025, "Q1AAA", "Q9ZZZ");
    const std::string noLimits = "'ComboBox1' is not a valid integer value.";
    std::string dayFile;
    for (int i = 0; i < 30; ++i)
        dayFile += "2026-12-07 08:00:00 " + SpotRow(PageRow(3500 + i, "Q2BBB", "Q9ZZZ")) + "\r\n";
    const struct {
        const char* step;
        std::function<void()> fail;
        Texts boxes;
        bool spotTaken;  // the settings read, the page's row is taken
    } cases[] = {
        {"kept copy",
         [&] {
             std::filesystem::rename("vareli.ini", "vareli.ini.tmp");
             s.folder.Files().moveError = 32;
         },
         {"I/O error 32.", "File not found.", noLimits},
         false},
        {"settings",
         [] { std::filesystem::remove("vareli.ini"); },
         {"File not found.", noLimits},
         false},
        {"node's port",
         [&] { sockets.portsInUse.insert(ClusterNode::kDefaultPort); },
         {"DX-klusterin porttia 7300 ei voitu avata (virhe 10048)."},
         true},
        {"restore",
         [&] {
             SettingsFolder::Put(dayFile, "vihjeet-20261207.txt");
             form1->memo1->SetTextLimit(1000);  // no room for the day's lines
         },
         {"RichEdit line insertion error."},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        SettingsFolder::Put(kAllOn);
        s.ddeml.server.items[ProgramSeams::kItem] = Page({row});
        program = std::make_unique<VareliProgram>(s.widgets, "C:\\Vareli\\Vareli.exe");
        form1 = program->Form1;
        c.fail();
        s.widgets.messageBoxes.clear();
        s.speaker.log.clear();
        form1->Show();
        program->Application().ProcessMessages();
        EXPECT_EQ(s.BoxTexts(), c.boxes);
        EXPECT_EQ(form1->DdeClientItem1->DdeItem(), ProgramSeams::kItem);
        EXPECT_TRUE(form1->lientti->IsOpen());
        const auto timers = s.widgets.Timers();
        EXPECT_TRUE(std::any_of(timers.begin(), timers.end(), [](const auto& timer) {
            return timer.second == TForm1::kLinkCheckMs;
        }));
        EXPECT_EQ(Caption(form1->Label3), "Alkoi: 7.12.2026 9.41.07");
        EXPECT_EQ(Caption(form1->Label4), c.spotTaken ? "1 vihjett\xE4" : "0 vihjett\xE4");
        EXPECT_EQ(!s.speaker.log.empty(), c.spotTaken);
        EXPECT_TRUE(View().painting);  // held while the show filled it
        Stop();
        s.folder.Files().moveError = 0;
        sockets.portsInUse.clear();
        for (const char* left : {"vareli.ini.tmp", "vihjeet-20261207.txt"})
            std::filesystem::remove(left);
    }
}

LocalTime At(const char* text) {
    LocalTime t;
    std::sscanf(text, "%d-%d-%d %d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute);
    return t;
}

std::string Formatted(const char* pattern, const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, t.year, t.month, t.day);
    return text;
}

// A week of calendar edges on a clock in Finnish time: at each moment a
// spot arrives (one tone, one port line, one file line in that local day's
// file, one line to the node's client), then the program starts again later
// and takes nothing again from the page that still shows it, and sh/dx lists
// it at the UTC time of its own local time. `offset` is the clock's own
// (minutes ahead of UTC) at each moment; the restart's may differ.
TEST_F(StartsTest, AWeekOfCalendarEdgesNeitherRepeatsNorShiftsASpot) {
    s.locale.utcOffsetAt = FakeLocale::FinnishTime;
    SettingsFolder::Put(kAllOn);
    const struct {
        const char* spot;
        int offset;
        const char* restart;
        int restartOffset;
        const char* listed;  // in sh/dx, UTC
    } week[] = {
        {"2027-06-14 23:58", 180, "2027-06-15 00:03", 180, "14-Jun-2027 2058Z"},  // midnight
        {"2027-04-30 23:59", 180, "2027-05-01 00:04", 180, "30-Apr-2027 2059Z"},  // a month end
        {"2027-12-01 01:30", 120, "2027-12-01 01:40", 120, "30-Nov-2027 2330Z"},  // one in UTC only
        {"2027-12-31 23:50", 120, "2028-01-01 00:10", 120, "31-Dec-2027 2150Z"},  // the year's end
        {"2028-02-28 23:55", 120, "2028-02-29 00:05", 120, "28-Feb-2028 2155Z"},  // to the leap day
        {"2028-02-29 23:58", 120, "2028-03-01 00:02", 120, "29-Feb-2028 2158Z"},  // and past it
        {"2028-03-01 01:10", 120, "2028-03-01 01:20", 120,
         "29-Feb-2028 2310Z"},  // back to it in UTC
        {"2027-03-27 22:00", 120, "2027-03-28 10:00", 180,
         "27-Mar-2027 2000Z"},  // summer time began
        {"2027-03-28 02:59", 120, "2027-03-28 04:01", 180, "28-Mar-2027 0059Z"},  // a minute before
        {"2027-10-30 23:00", 180, "2027-10-31 12:00", 120,
         "30-Oct-2027 2000Z"},  // summer time ended
        // The hour repeated: its first pass, then a spot in its second pass,
        // which the file cannot tell from the first and is read as summer time.
        {"2027-10-31 03:30", 180, "2027-10-31 03:10", 120, "31-Oct-2027 0030Z"},
        {"2027-10-31 03:20", 120, "2027-10-31 03:45", 120, "31-Oct-2027 0020Z"},
        {"2027-11-10 12:20", 120, "2027-11-10 11:25", 120, "10-Nov-2027 1020Z"},  // clock set back
    };
    const auto setClock = [this](const char* local, int offset) {
        s.locale.now = At(local);
        s.locale.utcNow = FakeLocale::ToUtc(s.locale.now, offset);
    };
    int logged = 0;
    for (std::size_t i = 0; i < sizeof week / sizeof week[0]; ++i) {
        const auto& w = week[i];
        SCOPED_TRACE(w.spot);
        const std::string call = "Q" + std::string(1, static_cast<char>('A' + i)) + "AA";
        const std::string row = PageRow(7000 + static_cast<int>(i), call, "Q9ZZZ", "");
        const LocalTime spotAt = At(w.spot);

        setClock(w.spot, w.offset);
        s.ddeml.server.items[ProgramSeams::kItem] = "";
        Start();
        int client = LoggedInClient();
        s.speaker.log.clear();
        std::size_t sent = s.comm.Written().size();
        s.Serve(Page({row}));
        sockets.Pump();
        const std::string dxLine = *DxLine(SpotRow(row), HhmmOf(s.locale.utcNow));
        EXPECT_EQ(s.speaker.log, Texts{"Beep 1500 50"});
        EXPECT_EQ(s.comm.Written().substr(sent), dxLine);
        EXPECT_EQ(sockets.PeerTake(client), dxLine);
        const std::string file = Formatted("vihjeet-%04d%02d%02d.txt", spotAt);
        const std::string stamp = Formatted("%04d-%02d-%02d ", spotAt) + std::string(w.spot + 11) +
                                  ":00 " + SpotRow(row) + "\r\n";
        const std::string logText = SettingsFolder::Get(file);
        EXPECT_EQ(logText.substr(logText.size() - std::min(logText.size(), stamp.size())), stamp);
        EXPECT_EQ(LoggedLines(), ++logged);
        const std::string line = SpotRow(row) + Formatted("%3$d.%2$d.%1$d", spotAt);
        EXPECT_EQ(View().Line(View().LineCount() - 1), line);
        Stop();

        setClock(w.restart, w.restartOffset);
        Start();
        client = LoggedInClient();
        s.speaker.log.clear();
        sent = s.comm.Written().size();
        s.Serve(Page({row}));
        sockets.PeerSend(client, "sh/dx\r\n");
        sockets.Pump();
        const std::string listed = sockets.PeerTake(client);
        EXPECT_EQ(s.speaker.log, Texts{});
        EXPECT_EQ(s.comm.Written().size(), sent);
        EXPECT_EQ(LoggedLines(), logged);
        EXPECT_EQ(listed.find("DX de"), std::string::npos) << listed;
        const std::size_t at = listed.find(call);
        ASSERT_NE(at, std::string::npos) << listed;
        EXPECT_EQ(listed.find(call, at + 1), std::string::npos) << listed;
        EXPECT_NE(listed.substr(at, listed.find('\n', at) - at).find(w.listed), std::string::npos)
            << listed;
        int shown = 0;
        for (int i = 0; i < View().LineCount(); ++i) shown += View().Line(i) == line;
        EXPECT_EQ(shown, 1);  // with the date it was taken on
        EXPECT_EQ(s.BoxTexts(), Texts{});
        Stop();
    }
}

}  // namespace
