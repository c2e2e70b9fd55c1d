// The DX-cluster node on fake sockets: login, telnet bytes and line ends,
// the spot feed and sh/dx, the limits that keep one client from hurting the
// rest, and a port that cannot be opened.
#include "relay/cluster_node.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fakes/fake_sockets.h"

namespace {

const LocalTime kAccepted{2026, 12, 7, 13, 5, 0, 0};
const std::string kExampleRow = "  7025 Q1AAA  cq dx          Q9ZZZ  1305  ";
const std::string kLogin = "login: ";

// A spot row on the given kHz with the call Q1<n>.
std::string Row(int khz, int n) {
    const std::string frequency = std::to_string(khz);
    const std::string call = "Q1" + std::to_string(n);
    return std::string(6 - frequency.size(), ' ') + frequency + " " + call +
           std::string(22 - call.size(), ' ') + "Q9ZZZ  1305  ";
}

std::string Hello(const std::string& call) {
    return "Hello " + call + ", this is VARELI, teletext DX spots of page 590.\r\n" + call +
           " de VARELI >\r\n";
}

class ClusterNodeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        node.SetConnectionsChanged([this] { ++changes; });
        ASSERT_EQ(node.Start(ClusterNode::kDefaultPort, false), 0);
    }
    void TearDown() override { EXPECT_TRUE(sockets.faults.empty()) << sockets.faults.front(); }

    int Connect() {
        const int peer = sockets.Connect(ClusterNode::kDefaultPort);
        sockets.Pump();
        return peer;
    }
    // Sends and returns the answer.
    std::string Say(int peer, const std::string& bytes) {
        sockets.PeerSend(peer, bytes);
        sockets.Pump();
        return sockets.PeerTake(peer);
    }
    int LoggedIn(const std::string& call) {
        const int peer = Connect();
        EXPECT_EQ(sockets.PeerTake(peer), kLogin);
        EXPECT_EQ(Say(peer, call + "\r\n"), Hello(call));
        return peer;
    }

    FakeSockets sockets;
    std::chrono::steady_clock::time_point now;
    ClusterNode node{sockets, [this] { return now; }};
    int changes = 0;
};

TEST_F(ClusterNodeTest, LoginTakesACallSignInUpperCaseAndThreeFailuresClose) {
    EXPECT_EQ(sockets.boundAddress, kInaddrLoopback);
    const int peer = Connect();
    EXPECT_EQ(sockets.PeerTake(peer), kLogin);
    const std::string sorry = "Sorry, that is not a call sign.\r\n";
    EXPECT_EQ(Say(peer, "oh\r\n"), sorry + kLogin);                // too short
    EXPECT_EQ(Say(peer, "oh2 abc\r\n"), sorry + kLogin);           // a blank inside
    EXPECT_EQ(Say(peer, "  oh2-abc/p \r\n"), Hello("OH2-ABC/P"));  // the third try
    EXPECT_EQ(Say(peer, "OH2XYZ\r\n"),
              "Sorry, Vareli only serves spots: sh/dx [n], bye.\r\nOH2-ABC/P de VARELI >\r\n");

    const int other = Connect();
    sockets.PeerTake(other);
    EXPECT_EQ(Say(other, "1234567890123\r\n"), sorry + kLogin);  // 13 characters
    EXPECT_EQ(Say(other, "ab.cd\r\n"), sorry + kLogin);
    EXPECT_EQ(Say(other, "\r\n"), sorry);
    EXPECT_TRUE(sockets.ClosedByNode(other));
    EXPECT_FALSE(sockets.ClosedByNode(peer));
    EXPECT_EQ(node.ConnectionCount(), 1u);
    EXPECT_EQ(changes, 3);  // two opened, one closed
}

// A call sent before the prompt went out is served the same way.
TEST_F(ClusterNodeTest, CallSentBeforeThePrompt) {
    const int peer = sockets.Connect(ClusterNode::kDefaultPort);
    sockets.PeerSend(peer, "q9zzz\n");
    sockets.Pump();
    EXPECT_EQ(sockets.PeerTake(peer), kLogin + Hello("Q9ZZZ"));
}

// Lines end with CR, LF or CR LF, split over reads or several in one read;
// telnet negotiation, subnegotiation included, is skipped and never echoed.
TEST_F(ClusterNodeTest, LineEndsSplitJoinedAndTelnetBytes) {
    const int peer = Connect();
    sockets.PeerTake(peer);
    const std::string will = "\xff\xfb\x18", doEcho = "\xff\xfd\x01";
    const std::string sub = std::string("\xff\xfa\x18\x00VT\r\n100\xff\xff", 13) + "\xff\xf0";
    EXPECT_EQ(Say(peer, will + "Q9" + sub + "Z"), "");
    EXPECT_EQ(Say(peer, "ZZ" + doEcho + "\r"), Hello("Q9ZZZ"));
    const std::string prompt = "Q9ZZZ de VARELI >\r\n";
    EXPECT_EQ(Say(peer, "\n"), "");  // the LF of the CR LF above
    EXPECT_EQ(Say(peer, "\r\n\n\r" + std::string(1, '\0')), prompt + prompt + prompt);
    EXPECT_EQ(Say(peer, "  SH" + will + "/Dx  \r\nbye"), prompt);
    EXPECT_FALSE(sockets.ClosedByNode(peer));
    EXPECT_EQ(Say(peer, "\n"), "");
    EXPECT_TRUE(sockets.ClosedByNode(peer));
}

TEST_F(ClusterNodeTest, SpotsGoToLoggedInClientsInOrder) {
    const int a = LoggedIn("OH1AA");
    const int b = LoggedIn("OH2BB");
    const int waiting = Connect();
    sockets.PeerTake(waiting);
    node.Spot(kExampleRow, kAccepted);
    node.Spot("no spot here", kAccepted);
    node.Spot(Row(14025, 2), kAccepted);
    const std::string lines =
        "DX de Q9ZZZ:      7025.0  Q1AAA        cq dx                          1305Z\r\n" +
        *DxLine(Row(14025, 2), "0000");
    EXPECT_EQ(sockets.PeerTake(a), lines);
    EXPECT_EQ(sockets.PeerTake(b), lines);
    EXPECT_EQ(sockets.PeerTake(waiting), "");
}

TEST_F(ClusterNodeTest, ShowDxListsTheLatestNewestFirst) {
    EXPECT_EQ(FormatListLine(*ParseSpotRow(kExampleRow, "0000"), kAccepted),
              "  7025.0  Q1AAA        7-Dec-2026 1305Z  cq dx                        <Q9ZZZ>");
    const DxSpot longOne{10368000, "Q1LONGCALL/P", std::string(40, 'c'), "VARELI", "2359"};
    EXPECT_EQ(FormatListLine(longOne, LocalTime{2027, 1, 31, 0, 0, 0, 0}),
              "10368000.0  Q1LONGCALL/P 31-Jan-2027 2359Z  " + std::string(28, 'c') + "<VARELI>");

    const int peer = LoggedIn("OH1AA");
    const std::string prompt = "OH1AA de VARELI >\r\n";
    EXPECT_EQ(Say(peer, "sh/dx\r\n"), prompt);  // nothing yet
    for (int n = 1; n <= 105; ++n) node.Spot(Row(7000 + n, n), kAccepted);
    sockets.PeerTake(peer);
    auto listed = [&](const std::string& command) {
        const std::string answer = Say(peer, command + "\r\n");
        std::vector<int> calls;
        for (std::size_t at = answer.find("Q1"); at != std::string::npos;
             at = answer.find("Q1", at + 1))
            calls.push_back(std::stoi(answer.substr(at + 2, 3)));
        EXPECT_EQ(answer.substr(answer.size() - prompt.size()), prompt) << command;
        return calls;
    };
    EXPECT_EQ(listed("sh/dx"), (std::vector<int>{105, 104, 103, 102, 101, 100, 99, 98, 97, 96}));
    EXPECT_EQ(listed(" SHOW/DX 3 "), (std::vector<int>{105, 104, 103}));
    EXPECT_EQ(listed("sh/dx 0"), std::vector<int>{105});
    const std::vector<int> all = listed("sh/dx 5000");
    ASSERT_EQ(all.size(), 100u);  // only the latest 100 are kept
    EXPECT_EQ(all.back(), 6);
    EXPECT_EQ(Say(peer, "sh/dx x\r\n"),
              "Sorry, Vareli only serves spots: sh/dx [n], bye.\r\n" + prompt);
    // Loggers' own forms: the count after a slash, and settings taken quietly.
    EXPECT_EQ(listed("SH/DX/5"), (std::vector<int>{105, 104, 103, 102, 101}));
    EXPECT_EQ(listed("show/dx/2"), (std::vector<int>{105, 104}));
    EXPECT_EQ(listed("sh/dx/").size(), 10u);
    EXPECT_EQ(Say(peer, "SET/NAME x\r\nunset/echo\r\nsettings\r\n"),
              prompt + prompt + "Sorry, Vareli only serves spots: sh/dx [n], bye.\r\n" + prompt);
    EXPECT_EQ(Say(peer, "QUIT\r\n"), "");
    EXPECT_TRUE(sockets.ClosedByNode(peer));
}

// Spots of an earlier run: listed with their own times, in the order they
// were restored, within the same 100, and sent to no one.
TEST_F(ClusterNodeTest, RestoredSpotsAreListedNotSent) {
    const int peer = LoggedIn("OH1AA");
    for (int n = 1; n <= 100; ++n) node.Restore(Row(7000 + n, n), kAccepted);
    // A row without a time of its own: the one given is used.
    node.Restore("  7003 Q1NT   restored", LocalTime{2026, 12, 6, 23, 58, 30, 0});
    node.Restore("no spot here", kAccepted);
    EXPECT_EQ(sockets.PeerTake(peer), "");
    node.Spot(kExampleRow, kAccepted);
    EXPECT_EQ(sockets.PeerTake(peer), *DxLine(kExampleRow, "0000"));

    std::string listed = FormatListLine(*ParseSpotRow(kExampleRow, ""), kAccepted) + "\r\n" +
                         "  7003.0  Q1NT         6-Dec-2026 2358Z  restored                    "
                         "<VARELI>\r\n";
    for (int n = 100; n >= 3; --n)
        listed += FormatListLine(*ParseSpotRow(Row(7000 + n, n), ""), kAccepted) + "\r\n";
    EXPECT_EQ(Say(peer, "sh/dx 100\r\n"), listed + "OH1AA de VARELI >\r\n");
}

TEST_F(ClusterNodeTest, SeventeenthConnectionIsToldAndClosed) {
    for (int i = 0; i < 16; ++i) Connect();
    const int extra = Connect();
    EXPECT_EQ(sockets.PeerTake(extra), "Sorry, too many connections.\r\n");
    EXPECT_TRUE(sockets.ClosedByNode(extra));
    EXPECT_EQ(node.ConnectionCount(), 16u);
    EXPECT_EQ(changes, 16);
    sockets.PeerClose(0);
    sockets.Pump();
    EXPECT_EQ(node.ConnectionCount(), 15u);
    const int again = Connect();
    EXPECT_EQ(sockets.PeerTake(again), kLogin);  // room again

    // Three leave, but their closes go unread; a live one's call waits too.
    for (int peer : {3, 5, again}) sockets.PeerClose(peer);
    sockets.PeerSend(4, "oh1aa\r\n");
    sockets.LoseNotices();
    EXPECT_EQ(node.ConnectionCount(), 16u);
    const int newcomer = Connect();
    EXPECT_EQ(sockets.PeerTake(newcomer), kLogin);
    EXPECT_EQ(sockets.PeerTake(4), kLogin + Hello("OH1AA"));
    EXPECT_EQ(node.ConnectionCount(), 14u);
    EXPECT_EQ(changes, 16 + 2 + 3 + 1);

    // A change callback that stops the node while places are looked for: the
    // one waiting is closed with the rest, not taken into a stopped node.
    Connect();
    Connect();
    sockets.PeerClose(4);
    sockets.LoseNotices();
    node.SetConnectionsChanged([this] { node.Stop(); });
    const int last = Connect();
    EXPECT_TRUE(sockets.ClosedByNode(last));
    EXPECT_EQ(sockets.OpenSockets(), 0u);
}

TEST_F(ClusterNodeTest, LongLineClosesAtOnce) {
    const int peer = LoggedIn("OH1AA");
    EXPECT_EQ(Say(peer, std::string(256, 'x') + "\r\n"),
              "Sorry, Vareli only serves spots: sh/dx [n], bye.\r\nOH1AA de VARELI >\r\n");
    Say(peer, std::string(256, 'x'));
    EXPECT_FALSE(sockets.ClosedByNode(peer));
    Say(peer, "x");
    EXPECT_TRUE(sockets.ClosedByNode(peer));
    EXPECT_EQ(node.ConnectionCount(), 0u);
}

// A client that stops reading is closed once 64 KiB wait for it; the one
// beside it gets every line, in order, throughout.
TEST_F(ClusterNodeTest, StalledClientIsClosedOthersGoOn) {
    const int stalled = LoggedIn("OH1AA");
    const int reader = LoggedIn("OH2BB");
    sockets.SetWindow(stalled, 4096);
    std::string expected, got;
    int spots = 0;
    while (!sockets.ClosedByNode(stalled) && spots < 10000) {
        const std::string row = Row(7000 + spots % 1000, spots % 1000);
        node.Spot(row, kAccepted);
        expected += *DxLine(row, "0000");
        got += sockets.PeerTake(reader);
        ++spots;
    }
    EXPECT_TRUE(sockets.ClosedByNode(stalled));
    const std::size_t lineSize = expected.size() / static_cast<std::size_t>(spots);
    EXPECT_EQ(static_cast<std::size_t>(spots), (4096 + 65536) / lineSize + 1);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(node.ConnectionCount(), 1u);

    // A slow reader that catches up is served what waited.
    sockets.SetWindow(reader, 100);
    node.Spot(kExampleRow, kAccepted);
    node.Spot(kExampleRow, kAccepted);
    std::string slow;
    for (int i = 0; i < 10; ++i) {
        slow += sockets.PeerTake(reader);
        sockets.Pump();
    }
    EXPECT_EQ(slow, *DxLine(kExampleRow, "") + *DxLine(kExampleRow, ""));
}

// Wine re-arms FD_ACCEPT only after an accept that took a connection, and
// FD_READ only after a recv that read: notices get lost, the tick covers them.
TEST_F(ClusterNodeTest, TheTickTakesWhatLostNoticesWouldHaveBrought) {
    EXPECT_LE(sockets.TickInterval(), 1000u);
    EXPECT_GT(sockets.TickInterval(), 0u);
    const int reset = sockets.Connect(ClusterNode::kDefaultPort);
    const int peer = sockets.Connect(ClusterNode::kDefaultPort);
    sockets.LoseNotices();
    EXPECT_EQ(node.ConnectionCount(), 0u);
    sockets.resetBeforeAccept = 1;  // the first goes before it is taken
    sockets.Tick();
    EXPECT_EQ(sockets.PeerTake(reset), "");
    EXPECT_EQ(sockets.PeerTake(peer), kLogin);
    sockets.PeerSend(peer, "oh1aa\r\n");
    sockets.LoseNotices();
    sockets.Tick();
    EXPECT_EQ(sockets.PeerTake(peer), Hello("OH1AA"));
    sockets.SetWindow(peer, 10);  // the rest of the line waits for room
    node.Spot(kExampleRow, kAccepted);
    const std::string start = sockets.PeerTake(peer);  // room again: FD_WRITE
    sockets.SetWindow(peer, 1000);
    sockets.LoseNotices();
    sockets.Tick();
    EXPECT_EQ(start + sockets.PeerTake(peer), *DxLine(kExampleRow, ""));
    sockets.PeerClose(peer);
    sockets.LoseNotices();
    sockets.Tick();
    EXPECT_TRUE(sockets.ClosedByNode(peer));
    EXPECT_EQ(node.ConnectionCount(), 0u);

    // 32 failed accepts in a row end a tick's accepting; the next goes on.
    sockets.resetBeforeAccept = 33;
    for (int i = 0; i < 33; ++i) sockets.Connect(ClusterNode::kDefaultPort);
    const int late = sockets.Connect(ClusterNode::kDefaultPort);
    sockets.LoseNotices();
    sockets.Tick();
    EXPECT_EQ(sockets.resetBeforeAccept, 1);
    EXPECT_EQ(sockets.PeerTake(late), "");
    sockets.Tick();
    EXPECT_EQ(sockets.PeerTake(late), kLogin);
}

// A client that sends without end gets one bounded turn a tick (20 lines,
// or the answer that passes 4 KiB) and none on its notices, so the others and
// newcomers are served meanwhile, also at the cap; kept up far beyond a
// logger's pace, it is told why and closed, while a logger is not.
TEST_F(ClusterNodeTest, AFloodingClientGetsOneBoundedTurnATickAndIsClosed) {
    auto times = [](const std::string& text, int count) {
        std::string all;
        for (int i = 0; i < count; ++i) all += text;
        return all;
    };
    const std::string flooderPrompt = "OH1AA de VARELI >\r\n";
    const std::string loggerPrompt = "OH2BB de VARELI >\r\n";
    const int flooder = LoggedIn("OH1AA");
    const int logger = LoggedIn("OH2BB");
    for (int n = 1; n <= 100; ++n) node.Spot(Row(7000 + n, n), kAccepted);
    sockets.PeerTake(flooder);
    sockets.PeerTake(logger);

    // Five lists asked at once: one answer a turn, the rest by the ticks.
    const std::string lists = Say(logger, times("sh/dx 100\r\n", 5));
    const std::size_t listLine =
        FormatListLine(*ParseSpotRow(Row(7001, 1), "0000"), kAccepted).size() + 2;
    EXPECT_EQ(lists.size(), listLine * 100 + loggerPrompt.size());
    for (int tick = 0; tick < 4; ++tick) sockets.Tick();
    EXPECT_EQ(sockets.PeerTake(logger).size(), 4 * lists.size());

    sockets.PeerFlood(flooder, std::string(2048, '\n'), 1000);
    sockets.Pump();
    EXPECT_EQ(sockets.PeerTake(flooder), times(flooderPrompt, 20));
    const int reads = sockets.Reads(flooder);
    EXPECT_EQ(Say(logger, "set/name x\r\n"), loggerPrompt);
    while (node.ConnectionCount() < ClusterNode::kMaxConnections)
        EXPECT_EQ(sockets.PeerTake(Connect()), kLogin);
    EXPECT_EQ(sockets.PeerTake(Connect()), "Sorry, too many connections.\r\n");
    EXPECT_EQ(sockets.Reads(flooder), reads);  // neither its notices nor the look read it

    int ticks = 0;
    std::string last;
    while (!sockets.ClosedByNode(flooder) && ticks < 40) {
        now += ClusterNode::kTick;
        sockets.Tick();
        ++ticks;
        last = sockets.PeerTake(flooder);
        if (!sockets.ClosedByNode(flooder)) {
            EXPECT_EQ(last, times(flooderPrompt, 20));
        }
        EXPECT_EQ(Say(logger, "sh/dx 1\r\n").substr(0, 9), "  7100.0 ");
    }
    EXPECT_TRUE(sockets.ClosedByNode(flooder));
    EXPECT_TRUE(sockets.ShutDownByNode(flooder));  // or the reset drops its last words
    EXPECT_GE(ticks, 16);  // some 9 s of twice the pace, on top of the first turn
    EXPECT_LE(ticks, 22);
    EXPECT_EQ(last.substr(last.size() - 46), "Sorry, more than 20 lines a second, closing.\r\n");
    EXPECT_FALSE(sockets.ClosedByNode(logger));

    // Long answers asked without end keep within the pace but not within
    // what the client is served: after 10 s of it, it is told and closed.
    sockets.PeerFlood(logger, times("sh/dx 100\r\n", 100), 1000);
    ticks = 0;
    while (!sockets.ClosedByNode(logger) && ticks < 40) {
        now += ClusterNode::kTick;
        sockets.Tick();
        ++ticks;
        last = sockets.PeerTake(logger);
    }
    EXPECT_GE(ticks, 19);
    EXPECT_LE(ticks, 21);
    EXPECT_EQ(last.substr(last.size() - 42), "Sorry, too much waiting unread, closing.\r\n");
}

// --- the two rules, each alone at its bounds

class ClusterNodeRulesTest : public ClusterNodeTest {
  protected:
    static constexpr const char* kPaceWords = "Sorry, more than 20 lines a second, closing.\r\n";
    static constexpr const char* kWaitingWords = "Sorry, too much waiting unread, closing.\r\n";
    const std::string prompt = "OH1AA de VARELI >\r\n";

    // Logged in, and its credit full again.
    int Client(const std::string& call = "OH1AA") {
        const int peer = LoggedIn(call);
        now += std::chrono::seconds(10);
        return peer;
    }
    static int Count(const std::string& text, const std::string& part) {
        int count = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + part.size()))
            ++count;
        return count;
    }
    static std::string Lines(int count, const std::string& line) {
        std::string all;
        for (int i = 0; i < count; ++i) all += line + "\r\n";
        return all;
    }
    // Half a second of the loop: the client's lines, their notices, the tick.
    std::string HalfSecond(int peer, int lines, const std::string& line = "set/page 20") {
        now += ClusterNode::kTick;
        if (lines > 0) sockets.PeerSend(peer, Lines(lines, line));
        sockets.Pump();
        sockets.Tick();
        return sockets.PeerTake(peer);
    }
};

// The pace rule: 200 lines at once are all answered (the tick serves the
// held client 20 a turn, with the clock standing still), the 201st closes.
TEST_F(ClusterNodeRulesTest, TwoHundredLinesAtOnceAreAnsweredTheNextCloses) {
    const int peer = Client();
    sockets.PeerSend(peer, Lines(201, "set/page 20"));
    sockets.Pump();
    std::string got = sockets.PeerTake(peer);
    for (int tick = 0; tick < 20 && !sockets.ClosedByNode(peer); ++tick) {
        sockets.Tick();
        got += sockets.PeerTake(peer);
    }
    EXPECT_EQ(got, Lines(200, "OH1AA de VARELI >") + kPaceWords);
    EXPECT_TRUE(sockets.ClosedByNode(peer));

    // 200 at once, and it stays; served out, its next line is answered.
    const int other = Client("OH2BB");
    sockets.PeerSend(other, Lines(200, "set/page 20"));
    sockets.Pump();
    got = sockets.PeerTake(other);
    for (int tick = 0; tick < 20; ++tick) {
        sockets.Tick();
        got += sockets.PeerTake(other);
    }
    EXPECT_EQ(Count(got, "OH2BB de VARELI >\r\n"), 200);
    EXPECT_FALSE(sockets.ClosedByNode(other));
}

// 20 lines a second keep a client for ever; 25 close it once the 200 lines
// ahead are used up, 5 a second: in about 40 s.
TEST_F(ClusterNodeRulesTest, TwentyFiveLinesASecondCloseInAbout40Seconds) {
    const int steady = Client();
    for (int half = 0; half < 240; ++half)
        ASSERT_EQ(HalfSecond(steady, 10), Lines(10, "OH1AA de VARELI >"));
    EXPECT_FALSE(sockets.ClosedByNode(steady));
    sockets.PeerClose(steady);
    sockets.Pump();

    const int fast = Client();
    int halves = 0;
    std::string last;
    while (!sockets.ClosedByNode(fast) && halves < 200) {
        last = HalfSecond(fast, 12 + halves % 2);
        ++halves;
    }
    EXPECT_TRUE(sockets.ClosedByNode(fast));
    // 200 ahead less the first half second's 12, at 5 a second: 38 s.
    EXPECT_GE(halves, 76) << "closed after " << halves / 2.0 << " s";
    EXPECT_LE(halves, 80) << "closed after " << halves / 2.0 << " s";
    EXPECT_EQ(last.substr(last.size() - 46), kPaceWords);
}

// A logger's one full 1 KiB burst of settings, then silence: it is served
// out by the tick, no longer held once a read finds nothing, so its next
// line is answered on its own notice; and it is never closed.
TEST_F(ClusterNodeRulesTest, OneFullKibBurstThenSilenceStaysAndIsServedOnItsNotices) {
    const int peer = Client();
    const std::string line = "set/name 1234";  // 15 bytes with its line end
    std::string burst = Lines(68, line);
    burst += std::string(1024 - burst.size() - 2, 'x') + "\r\n";
    ASSERT_EQ(burst.size(), 1024u);
    sockets.PeerSend(peer, burst);
    sockets.Pump();
    std::string got = sockets.PeerTake(peer);
    EXPECT_EQ(Count(got, prompt), 20);  // one turn, then held
    for (int half = 0; half < 120; ++half) got += HalfSecond(peer, 0);
    EXPECT_EQ(Count(got, prompt), 68 + 1);
    EXPECT_EQ(Count(got, "Sorry, Vareli only serves spots"), 1);  // the filler
    EXPECT_FALSE(sockets.ClosedByNode(peer));
    EXPECT_EQ(Say(peer, "sh/dx 0\r\n"), prompt);  // without a tick
}

// Served 1 KiB a turn, lines of 110 bytes at exactly 20 a second never
// drained after one second's backlog, and were closed as a flood. A turn
// takes 20 lines however long, twice the pace: it drains and stays, with
// the longest lines too, after a backlog of 9 s (180 of the 200 ahead).
TEST_F(ClusterNodeRulesTest, LongLinesAtThePaceAfterABacklogStay) {
    const std::string line = "set/name " + std::string(99, 'n');  // 110 bytes with CR LF
    ASSERT_EQ(line.size() + 2, 110u);
    const std::string longest = "set/name " + std::string(ClusterNode::kMaxLineBytes - 9, 'n');
    struct Case {
        std::string line;
        int backlogSeconds;
    };
    for (const Case& c : {Case{line, 1}, Case{longest, 9}}) {
        const int peer = Client();
        // The loop held up: what came meanwhile waits unread.
        sockets.PeerSend(peer, Lines(20 * c.backlogSeconds, c.line));
        now += std::chrono::seconds(c.backlogSeconds);
        std::string got;
        for (int half = 0; half < 240; ++half) got += HalfSecond(peer, 10, c.line);
        EXPECT_FALSE(sockets.ClosedByNode(peer)) << c.backlogSeconds << " s";
        got += HalfSecond(peer, 0);
        EXPECT_EQ(Count(got, prompt), 20 * c.backlogSeconds + 240 * 10);
        EXPECT_EQ(Say(peer, "sh/dx 0\r\n"), prompt);  // drained: served on its notice
        sockets.PeerClose(peer);
        sockets.Pump();
    }
}

// The waiting rule: lines whose answers fill every turn close the client
// after 10 s on end of it, not before; lists asked now and then, each
// drained before the next, never.
TEST_F(ClusterNodeRulesTest, AnswersThatFillEveryTurnFor10SecondsClose) {
    for (int n = 1; n <= 100; ++n) node.Spot(Row(7000 + n, n), kAccepted);
    const int lists = Client();
    sockets.PeerTake(lists);
    for (int round = 0; round < 12; ++round) {
        // Four lists at once take four turns: three filled by answers, then dry.
        std::string got = HalfSecond(lists, 4, "sh/dx 100");
        for (int half = 0; half < 9; ++half) got += HalfSecond(lists, 0);
        ASSERT_EQ(Count(got, prompt), 4);
    }
    EXPECT_FALSE(sockets.ClosedByNode(lists));

    const int greedy = LoggedIn("OH2BB");
    sockets.PeerFlood(greedy, Lines(100, "sh/dx 100"), 1000);  // the first turn
    sockets.Pump();
    for (int half = 1; half < 20; ++half) {
        now += ClusterNode::kTick;
        sockets.Tick();
    }
    EXPECT_FALSE(sockets.ClosedByNode(greedy)) << "9.5 s";
    now += ClusterNode::kTick;
    sockets.Tick();
    EXPECT_TRUE(sockets.ClosedByNode(greedy)) << "10 s";
    const std::string last = sockets.PeerTake(greedy);
    EXPECT_EQ(last.substr(last.size() - 42), kWaitingWords);
}

// A silent connection loses its place after 60 s; a logged-in one never does,
// but keep-alive is asked for on each so that a vanished computer's ends.
TEST_F(ClusterNodeTest, NoCallSignIn60SecondsClosesLoggedInClientsStay) {
    const int loggedIn = LoggedIn("OH1AA");
    now += std::chrono::seconds(30);
    const int silent = Connect();
    sockets.PeerTake(silent);
    now += std::chrono::milliseconds(59999);
    sockets.Tick();
    EXPECT_FALSE(sockets.ClosedByNode(silent));
    now += std::chrono::milliseconds(1);
    sockets.Tick();
    EXPECT_EQ(sockets.PeerTake(silent), "Sorry, no call sign in 60 seconds.\r\n");
    EXPECT_TRUE(sockets.ClosedByNode(silent));
    now += std::chrono::hours(10);
    sockets.Tick();
    EXPECT_FALSE(sockets.ClosedByNode(loggedIn));
    EXPECT_EQ(sockets.keepAlives, 2);
    EXPECT_GE(sockets.keepAliveIdleMs, 60000u);
    EXPECT_LE(sockets.keepAliveIdleMs, 600000u);
    EXPECT_GT(sockets.keepAliveIntervalMs, 0u);
}

// Calls of 3 and 12 characters log in, 13 do not; "q" ends like "bye".
TEST_F(ClusterNodeTest, CallLengthLimitsAndQuitWords) {
    const std::string sorry = "Sorry, that is not a call sign.\r\n";
    const int shortest = LoggedIn("K1A");
    const int longest = LoggedIn("OH2ABCDEFGHI");
    const int tooLong = Connect();
    sockets.PeerTake(tooLong);
    EXPECT_EQ(Say(tooLong, "OH2ABCDEFGHIJ\r\n"), sorry + kLogin);
    EXPECT_EQ(Say(shortest, "q\r\n"), "");
    EXPECT_TRUE(sockets.ClosedByNode(shortest));
    EXPECT_EQ(Say(longest, "Bye\r\n"), "");
    EXPECT_TRUE(sockets.ClosedByNode(longest));
}

// IAC IAC in a line is the data byte 255, inside a subnegotiation nothing;
// every 255 the node sends is doubled, or a client would take it for IAC.
TEST_F(ClusterNodeTest, ByteTwoFiftyFiveBothWays) {
    const int peer = Connect();
    sockets.PeerTake(peer);
    EXPECT_EQ(Say(peer, "OH1AA\xff\xff\r\n"), "Sorry, that is not a call sign.\r\n" + kLogin);
    EXPECT_EQ(Say(peer,
                  "OH\xff\xfa\x18\xff\xff.\xff\xf0"
                  "1AA\r\n"),
              Hello("OH1AA"));
    const std::string row = "  7025 Q1AAA  up \xff\xfa 5         Q9ZZZ  1305  ";
    node.Spot(row, kAccepted);
    EXPECT_EQ(sockets.PeerTake(peer),
              "DX de Q9ZZZ:      7025.0  Q1AAA        up \xff\xff\xfa 5"
              "                        1305Z\r\n");
    const std::string listed = Say(peer, "sh/dx 1\r\n");
    EXPECT_NE(listed.find("up \xff\xff\xfa 5"), std::string::npos) << listed;
}

// 65,535 bytes may wait for a client, 65,536 close it; and the limit holds
// for each answer, so one read of many "sh/dx 100" cannot queue megabytes.
TEST_F(ClusterNodeTest, TheWaitingLimitIsExactAndHoldsWithinOneRead) {
    const std::size_t lineSize = DxLine(kExampleRow, "")->size();
    const std::size_t lines = ClusterNode::kMaxWaitingBytes / lineSize + 1;
    const std::size_t excess = lines * lineSize - ClusterNode::kMaxWaitingBytes;
    const int under = LoggedIn("OH1AA");
    const int at = LoggedIn("OH2BB");
    sockets.SetWindow(under, excess + 1);
    sockets.SetWindow(at, excess);
    for (std::size_t i = 0; i < lines; ++i) node.Spot(kExampleRow, kAccepted);
    EXPECT_FALSE(sockets.ClosedByNode(under));
    EXPECT_TRUE(sockets.ClosedByNode(at));

    const int greedy = LoggedIn("OH3CC");
    sockets.SetWindow(greedy, 0);
    std::string commands;
    while (commands.size() < 1000) commands += "sh/dx 100\r\n";
    sockets.largestSend = 0;
    Say(greedy, commands);
    for (int tick = 0; tick < 20 && !sockets.ClosedByNode(greedy); ++tick) sockets.Tick();
    EXPECT_TRUE(sockets.ClosedByNode(greedy));
    EXPECT_LT(sockets.largestSend,
              ClusterNode::kMaxWaitingBytes + 10000u);  // one answer past it at most
}

// Nothing at the listener that keeps the port from being bound again at
// once (SO_EXCLUSIVEADDRUSE does while accepted connections wait out
// TIME_WAIT), nor lets another program share it (SO_REUSEADDR); Stop closes
// every connection and the listener, and the same port opens again at once.
TEST_F(ClusterNodeTest, StopAndStartOnTheSamePort) {
    LoggedIn("OH1AA");
    Connect();
    node.Stop();
    EXPECT_EQ(sockets.OpenSockets(), 0u);
    EXPECT_EQ(sockets.TickInterval(), 0u);
    EXPECT_EQ(node.Start(ClusterNode::kDefaultPort, true), 0);
    for (int option : sockets.options) {
        EXPECT_NE(option, kSoExclusiveAddrUse);
        EXPECT_NE(option, kSoReuseAddr);
    }
    EXPECT_EQ(sockets.PeerTake(Connect()), kLogin);
}

// A port that cannot be opened is tried again every 30 s, quietly, until it
// opens; Stop ends the retries.
TEST(ClusterNodeStart, APortInUseIsTriedAgainEvery30Seconds) {
    FakeSockets sockets;
    sockets.portsInUse.insert(7300);
    std::chrono::steady_clock::time_point now;
    ClusterNode node(sockets, [&now] { return now; });
    EXPECT_EQ(node.Start(7300, false), kWsaEAddrInUse);
    now += std::chrono::milliseconds(29999);
    sockets.Tick();
    EXPECT_EQ(sockets.startups, 1);  // no second try yet
    now += std::chrono::milliseconds(1);
    sockets.Tick();
    EXPECT_EQ(sockets.startups, 2);  // tried again, failed again
    EXPECT_FALSE(node.Running());
    sockets.portsInUse.clear();
    now += std::chrono::seconds(30);
    sockets.Tick();
    EXPECT_TRUE(node.Running());
    sockets.Connect(7300);
    sockets.Pump();
    EXPECT_EQ(node.ConnectionCount(), 1u);

    node.Stop();
    sockets.portsInUse.insert(7301);
    EXPECT_NE(node.Start(7301, false), 0);
    node.Stop();
    EXPECT_FALSE(sockets.Tick());
    EXPECT_EQ(sockets.cleanups, sockets.startups);
    EXPECT_TRUE(sockets.faults.empty());
}

TEST(ClusterNodeStart, PortInUseLeavesNothingOpen) {
    FakeSockets sockets;
    sockets.portsInUse.insert(7300);
    ClusterNode node(sockets);
    EXPECT_EQ(node.Start(7300, true), kWsaEAddrInUse);
    EXPECT_FALSE(node.Running());
    EXPECT_EQ(sockets.OpenSockets(), 0u);
    EXPECT_EQ(sockets.cleanups, sockets.startups);
    EXPECT_EQ(ClusterPortErrorText(7300, kWsaEAddrInUse),
              "DX-klusterin porttia 7300 ei voitu avata (virhe 10048).");

    EXPECT_EQ(node.Start(7301, true), 0);  // on every interface
    EXPECT_EQ(sockets.boundAddress, kInaddrAny);
    sockets.Connect(7301);
    sockets.Pump();
    EXPECT_EQ(node.ConnectionCount(), 1u);
    node.Stop();
    EXPECT_EQ(sockets.OpenSockets(), 0u);
    EXPECT_EQ(sockets.cleanups, sockets.startups);
    EXPECT_EQ(sockets.Connect(7301), -1);
    EXPECT_TRUE(sockets.faults.empty());
}

}  // namespace
