// The program started again and again over one working folder, as a user
// starts it, with the port, the daily spot file and the DX-cluster node on:
// first shows that meet a failing step, and restarts on a fake clock stepped
// through a week of calendar edges.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "fakes/fake_sockets.h"
#include "program_seams.h"
#include "relay/dx_line.h"
#include "vareli/program.h"
#include "vplusdde/main_window.h"

namespace {

using Texts = std::vector<std::string>;

class StartsTest : public ::testing::Test {
  protected:
    ~StartsTest() override { Stop(); }

    // Made as the entry point makes it; `beforeShow` meets the window first.
    void Start(const std::function<void()>& beforeShow = [] {}) {
        program = std::make_unique<VareliProgram>(s.widgets, "C:\\Vareli\\Vareli.exe");
        form1 = program->Form1;
        beforeShow();
        form1->Show();
        program->Application().ProcessMessages();
    }
    // Closed as the user closes it: the loop ends at the quit that posts.
    void Stop() {
        if (!program) return;
        form1->Close();
        program->Application().ProcessMessages();
        EXPECT_TRUE(program->Application().Terminated());
        program.reset();
    }
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
    // The lines of every day file in the folder.
    static int LoggedLines() {
        int lines = 0;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            if (entry.path().filename().string().rfind("vihjeet-", 0) == 0)
                for (char c : SettingsFolder::Get(entry.path().filename().string()))
                    lines += c == '\n';
        return lines;
    }

    const std::string kAllOn =
        "[COMPort]Com5\r\n[AlaMHZ]1800\r\n[YlaMHZ]30000\r\n[Com]1\r\n[SarjaDX]1\r\n[Loki]1\r\n"
        "[Klusteri]1\r\n";
    ProgramSeams s;
    FakeSockets sockets;
    ScopedSeam<ISockets> socketsSeam_{&sockets};
    std::unique_ptr<VareliProgram> program;
    TForm1* form1 = nullptr;
};

// Each step of the first show made to fail in turn: its box comes from the
// loop, and the other steps still run: the link open and checked, the labels
// showing the start and the count, the view painted; the item named once the
// settings were read (without them there are no limits to take spots by).
TEST_F(StartsTest, AFailingStepOfTheFirstShowLeavesTheOthersToRun) {
    s.locale.utcNow = LocalTime{2026, 12, 7, 7, 41, 7, 0};
    std::string dayFile;
    for (int i = 0; i < 30; ++i)
        dayFile += "2026-12-07 08:00:00 " + SpotRow(PageRow(3500 + i, "Q2BBB", "Q9ZZZ")) + "\r\n";
    // A line too long for the room the view has left, after the others.
    dayFile += "2026-12-07 08:00:00 " + SpotRow(PageRow(3600, "Q3CCC", "Q9ZZZ")) +
               std::string(900, 'x') + "\r\n";
    const struct {
        const char* step;
        std::function<void()> fail;
        Texts boxes;
        int spots;  // the page's row is taken when the settings were read
    } cases[] = {
        {"kept copy",
         [&] {
             std::filesystem::rename("vareli.ini", "vareli.ini.tmp");
             s.folder.Files().moveError = 32;
         },
         {"I/O error 32.", "File not found."},
         0},
        {"settings", [] { std::filesystem::remove("vareli.ini"); }, {"File not found."}, 0},
        {"node's port",
         [&] { sockets.portsInUse.insert(ClusterNode::kDefaultPort); },
         {"DX-klusterin porttia 7300 ei voitu avata (virhe 10048)."},
         1},
        {"restore",
         [&] {
             SettingsFolder::Put(dayFile, "vihjeet-20261207.txt");
             form1->memo1->SetTextLimit(2000);  // no room for the long line
         },
         {"RichEdit line insertion error."},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        SettingsFolder::Put(kAllOn);
        s.ddeml.server.items[ProgramSeams::kItem] = Page({PageRow(7025, "Q1AAA", "Q9ZZZ")});
        s.widgets.messageBoxes.clear();
        Start(c.fail);
        EXPECT_EQ(s.BoxTexts(), c.boxes);
        EXPECT_EQ(form1->DdeClientItem1->DdeItem(), c.spots == 0 ? "" : ProgramSeams::kItem);
        EXPECT_TRUE(form1->lientti->IsOpen());
        bool linkChecked = false;
        for (const auto& timer : s.widgets.Timers()) linkChecked |= timer.second == 10000u;
        EXPECT_TRUE(linkChecked);
        EXPECT_EQ(Caption(form1->Label3), "Alkoi: 7.12.2026 9.41.07");
        EXPECT_EQ(Caption(form1->Label4), std::to_string(c.spots) + " vihjett\xE4");
        EXPECT_TRUE(View().painting);
        Stop();
        s.folder.Files().moveError = 0;
        sockets.portsInUse.clear();
        for (const char* left : {"vareli.ini.tmp", "vihjeet-20261207.txt"})
            std::filesystem::remove(left);
    }
}

// A NUL in the day's file (zeros where a line's end was, after a power loss;
// the next spot's repair then ended the line): the restart shows all seven
// lines, the NUL a blank, takes none of the six the page still shows, and
// says nothing.
TEST_F(StartsTest, ANulInTheDaysFileCostsNoLineAndTakesNoSpotAgain) {
    s.locale.utcNow = LocalTime{2026, 12, 7, 7, 41, 7, 0};
    SettingsFolder::Put(kAllOn);
    Texts rows;
    std::string dayFile;
    for (int i = 0; i < 7; ++i) {
        rows.push_back(PageRow(7000 + i, "Q" + std::string(1, static_cast<char>('A' + i)) + "AA",
                               "Q9ZZZ", "081" + std::to_string(i)));
        dayFile += "2026-12-07 08:1" + std::to_string(i) + ":00 " + SpotRow(rows.back()) +
                   (i == 3 ? std::string(2, '\0') : "") + "\r\n";
    }
    SettingsFolder::Put(dayFile, "vihjeet-20261207.txt");
    s.ddeml.server.items[ProgramSeams::kItem] = Page(Texts(rows.begin() + 1, rows.end()));
    Start();
    ASSERT_EQ(View().LineCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(View().Line(i), SpotRow(rows[i]) + (i == 3 ? "  " : "") + "7.12.2026") << i;
    EXPECT_EQ(s.speaker.log, Texts{});
    EXPECT_EQ(Caption(form1->Label4), "0 vihjett\xE4");
    EXPECT_EQ(LoggedLines(), 7);
    EXPECT_EQ(s.BoxTexts(), Texts{});
    Stop();
}

// With the day's file switched off nothing is restored, though the files are
// there: the page's rows are new spots again.
TEST_F(StartsTest, WithTheDaysFileOffNoSpotIsRestored) {
    std::string settings = kAllOn;
    settings.replace(settings.find("[Loki]1"), 7, "[Loki]0");
    SettingsFolder::Put(settings);
    const std::string row = PageRow(7025, "Q1AAA", "Q9ZZZ", "0800");
    SettingsFolder::Put("2026-12-07 08:00:00 " + SpotRow(row) + "\r\n", "vihjeet-20261207.txt");
    SettingsFolder::Put("2026-12-06 08:00:00 " + SpotRow(row) + "\r\n", "vihjeet-20261206.txt");
    s.ddeml.server.items[ProgramSeams::kItem] = Page({row});
    Start();
    EXPECT_EQ(View().LineCount(), 1);
    EXPECT_EQ(View().Line(0), SpotRow(row) + "7.12.2026");
    EXPECT_EQ(s.speaker.log, Texts{"Beep 1500 50"});
    EXPECT_EQ(Caption(form1->Label4), "1 vihjett\xE4");
    const int client = LoggedInClient();
    sockets.PeerSend(client, "sh/dx\r\n");
    sockets.Pump();
    const std::string listed = sockets.PeerTake(client);
    EXPECT_EQ(listed.find("Q1AAA"), listed.rfind("Q1AAA")) << listed;
    Stop();
}

// When the system cannot convert a logged local time to UTC, sh/dx lists the
// spot at its local time moved by today's offset: two hours back here.
TEST_F(StartsTest, ALocalTimeTheSystemCannotConvertTakesTodaysOffset) {
    s.locale.utcNow = LocalTime{2026, 12, 7, 7, 41, 7, 0};
    s.locale.failConversions = true;
    SettingsFolder::Put(kAllOn);
    const std::string row = PageRow(7025, "Q1AAA", "Q9ZZZ", "2210");
    SettingsFolder::Put("2026-12-07 00:10:05 " + SpotRow(row) + "\r\n", "vihjeet-20261207.txt");
    Start();
    const int client = LoggedInClient();
    sockets.PeerSend(client, "sh/dx\r\n");
    sockets.Pump();
    const std::string listed = sockets.PeerTake(client);
    EXPECT_NE(listed.find("Q1AAA        6-Dec-2026 2210Z"), std::string::npos) << listed;
    EXPECT_EQ(s.BoxTexts(), Texts{});
    Stop();
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

// A week of calendar edges in Finnish time: at each moment a spot arrives
// (one tone, one port line, one line in that local day's file, one line to
// the node's client), then the program starts again and takes nothing again
// from the page that still shows it, and sh/dx lists it at the UTC time of
// its own local time. `offset`: the clock's own, in minutes ahead of UTC.
TEST_F(StartsTest, AWeekOfCalendarEdgesNeitherRepeatsNorShiftsASpot) {
    s.locale.utcOffsetAt = FakeLocale::FinnishTime;
    SettingsFolder::Put(kAllOn);
    const struct {
        const char *spot, *restart;
        int offset, restartOffset;
        const char* listed;  // by sh/dx, in UTC
    } week[] = {
        {"2027-06-14 23:58", "2027-06-15 00:03", 180, 180, "14-Jun-2027 2058Z"},  // midnight
        {"2027-04-30 23:59", "2027-05-01 00:04", 180, 180, "30-Apr-2027 2059Z"},  // a month's end
        {"2027-12-01 01:30", "2027-12-01 01:40", 120, 120, "30-Nov-2027 2330Z"},  // in UTC only
        {"2027-12-31 23:50", "2028-01-01 00:10", 120, 120, "31-Dec-2027 2150Z"},  // the year's end
        {"2028-02-28 23:55", "2028-02-29 00:05", 120, 120, "28-Feb-2028 2155Z"},  // to a leap day
        {"2028-02-29 23:58", "2028-03-01 00:02", 120, 120, "29-Feb-2028 2158Z"},  // and past it
        {"2028-03-01 01:10", "2028-03-01 01:20", 120, 120, "29-Feb-2028 2310Z"},  // in UTC, back
        {"2027-03-27 22:00", "2027-03-28 10:00", 120, 180, "27-Mar-2027 2000Z"},  // summer time
        {"2027-03-28 02:59", "2027-03-28 04:01", 120, 180, "28-Mar-2027 0059Z"},  // a minute to it
        {"2027-10-30 23:00", "2027-10-31 12:00", 180, 120, "30-Oct-2027 2000Z"},  // winter time
        // The hour repeated: its first pass, then a spot in its second pass,
        // which the file cannot tell from the first and is read as summer time.
        {"2027-10-31 03:30", "2027-10-31 03:10", 180, 120, "31-Oct-2027 0030Z"},
        {"2027-10-31 03:20", "2027-10-31 03:45", 120, 120, "31-Oct-2027 0020Z"},
        {"2027-11-10 12:20", "2027-11-10 11:25", 120, 120, "10-Nov-2027 1020Z"},  // set back
        {"2027-11-11 00:10", "2027-11-10 23:50", 120, 120, "10-Nov-2027 2210Z"},  // past midnight
    };
    const auto startAt = [this](const char* local, int offset) {
        s.locale.now = At(local);
        s.locale.utcNow = FakeLocale::ToUtc(s.locale.now, offset);
        Start();
        s.speaker.log.clear();
        return LoggedInClient();
    };
    int logged = 0;
    for (std::size_t i = 0; i < sizeof week / sizeof week[0]; ++i) {
        const auto& w = week[i];
        SCOPED_TRACE(w.spot);
        const std::string call = "Q" + std::string(1, static_cast<char>('A' + i)) + "AA";
        const std::string row = PageRow(7000 + static_cast<int>(i), call, "Q9ZZZ", "");
        const LocalTime spotAt = At(w.spot);
        const std::string line = SpotRow(row) + Formatted("%3$d.%2$d.%1$d", spotAt);

        s.ddeml.server.items[ProgramSeams::kItem] = "";
        int client = startAt(w.spot, w.offset);
        std::size_t sent = s.comm.Written().size();
        s.Serve(Page({row}));
        sockets.Pump();
        const std::string dxLine = *DxLine(SpotRow(row), HhmmOf(s.locale.utcNow));
        EXPECT_EQ(s.speaker.log, Texts{"Beep 1500 50"});
        EXPECT_EQ(s.comm.Written().substr(sent), dxLine);
        EXPECT_EQ(sockets.PeerTake(client), dxLine);
        const std::string logText =
            SettingsFolder::Get(Formatted("vihjeet-%04d%02d%02d.txt", spotAt));
        const std::string logLine =
            Formatted("%04d-%02d-%02d ", spotAt) + (w.spot + 11) + ":00 " + SpotRow(row) + "\r\n";
        EXPECT_EQ(logText.substr(logText.size() - std::min(logText.size(), logLine.size())),
                  logLine);
        EXPECT_EQ(LoggedLines(), ++logged);
        EXPECT_EQ(View().Line(View().LineCount() - 1), line);
        Stop();

        client = startAt(w.restart, w.restartOffset);
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
        for (int l = 0; l < View().LineCount(); ++l) shown += View().Line(l) == line;
        EXPECT_EQ(shown, 1);  // with the date it was taken on
        EXPECT_EQ(s.BoxTexts(), Texts{});
        Stop();
    }
}

}  // namespace
