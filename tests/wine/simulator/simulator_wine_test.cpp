// The simulator as another process, reached over wine's real DDEML: the
// block it serves, its notices, and each of its scripted faults.
// tlhelp32.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "sim_process.h"

namespace {

using simtest::Answer;
using simtest::DdeClient;
using simtest::Pump;
using simtest::SimProcess;

const std::string kItem = "10,10,,,B(0/5/39/23)";

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

// Row `index` of a block whose rows are `width` columns plus `end`.
std::string RowOf(const std::string& bytes, int index, const std::string& end = "\r\n") {
    return bytes.substr(index * (40 + end.size()), 40);
}

class SimulatorTest : public ::testing::Test {
  protected:
    void Start(const std::string& extra = "") {
        service_ = simtest::UniqueService();
        sim_ = std::make_unique<SimProcess>("--service " + service_ + " " + extra);
        ASSERT_TRUE(sim_->WaitFor("ready", 30000)) << "the simulator did not come up";
    }
    void Connect() { ASSERT_TRUE(client_.Connect(service_, "590")); }

    std::string service_;
    std::unique_ptr<SimProcess> sim_;
    DdeClient client_;
};

TEST_F(SimulatorTest, ServesNineteenRowsOfFortyColumnsEndedByCrLfAndAZeroByte) {
    Start();
    sim_->Send("spot 0 7025 Q1AAA cq dx Q9ZZZ 1305");
    sim_->Send("rowx 5 A\\xE4B");
    sim_->Send("row 18 LAST");
    ASSERT_TRUE(sim_->Sync());
    // DDE names compare without regard to case ("VTPlus" reaches "VTplus").
    std::string upper = service_;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(client_.Connect(upper, "590"));
    EXPECT_TRUE(sim_->WaitFor("connect 590"));

    const Answer answer = client_.Request(kItem);
    ASSERT_TRUE(answer.ok) << "DMLERR " << answer.error;
    EXPECT_TRUE(sim_->WaitFor("request " + kItem));
    ASSERT_EQ(answer.bytes.size(), 19u * 42u + 1u);
    EXPECT_EQ(answer.bytes.back(), '\0');
    for (int row = 0; row < 19; ++row) {
        EXPECT_EQ(answer.bytes.substr(row * 42 + 40, 2), "\r\n") << "row " << row;
    }
    EXPECT_EQ(answer.bytes.find('\0'), 798u);
    EXPECT_EQ(RowOf(answer.bytes, 0), "  7025 Q1AAA  cq dx          Q9ZZZ  1305");
    EXPECT_EQ(RowOf(answer.bytes, 5),
              "A\xE4"
              "B" +
                  Blanks(37));
    EXPECT_EQ(RowOf(answer.bytes, 18), "LAST" + Blanks(36));
    EXPECT_EQ(RowOf(answer.bytes, 1), Blanks(40));
}

TEST_F(SimulatorTest, RefusesOtherTopicsItemsAndFormats) {
    Start();
    EXPECT_FALSE(client_.Connect(service_, "591"));
    EXPECT_TRUE(sim_->WaitFor("connect-refused 591"));
    Connect();
    EXPECT_FALSE(client_.Request("10,10,,,B(0/5/39/24)").ok);
    EXPECT_TRUE(sim_->WaitFor("request-refused 10,10,,,B(0/5/39/24)"));
    EXPECT_FALSE(client_.Request(kItem, CF_OEMTEXT).ok);
    EXPECT_FALSE(client_.AdvStart("other"));
    EXPECT_TRUE(sim_->WaitFor("advstart-refused other"));
    EXPECT_TRUE(client_.Request(kItem).ok);
}

TEST_F(SimulatorTest, NotifyAnnouncesChangedRowsOnceAndAlsoUnchangedText) {
    Start();
    Connect();
    ASSERT_TRUE(client_.AdvStart(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstart " + kItem));

    sim_->Send("row 3 CHANGED");
    sim_->Send("row 4 AND THIS");
    ASSERT_TRUE(sim_->Sync());
    Pump(300);
    EXPECT_EQ(client_.Notices(), 0) << "row changes must not announce by themselves";

    sim_->Send("notify");
    ASSERT_TRUE(client_.WaitNotices(1));
    EXPECT_TRUE(sim_->WaitFor("notify"));
    Pump(300);
    ASSERT_EQ(client_.Notices(), 1);
    ASSERT_EQ(client_.NoticeTexts()[0].size(), 799u);
    EXPECT_EQ(RowOf(client_.NoticeTexts()[0], 3), "CHANGED" + Blanks(33));
    EXPECT_EQ(RowOf(client_.NoticeTexts()[0], 4), "AND THIS" + Blanks(32));

    sim_->Send("notify");
    ASSERT_TRUE(client_.WaitNotices(2));
    EXPECT_EQ(client_.NoticeTexts()[1], client_.NoticeTexts()[0]);

    ASSERT_TRUE(client_.AdvStop(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstop " + kItem));
    sim_->Send("notify");
    ASSERT_TRUE(sim_->WaitFor("notify"));
    Pump(300);
    EXPECT_EQ(client_.Notices(), 2) << "no notice after the link has ended";
}

TEST_F(SimulatorTest, DelayedAnswersArriveLateOrTimeOut) {
    Start();
    Connect();
    sim_->Send("delay 400");
    ASSERT_TRUE(sim_->Sync());
    DWORD start = GetTickCount();
    Answer slow = client_.Request(kItem);
    EXPECT_TRUE(slow.ok);
    EXPECT_GE(GetTickCount() - start, 350u) << "the answer came before the delay";

    sim_->Send("delay 1500");
    ASSERT_TRUE(sim_->Sync());
    Answer late = client_.Request(kItem, CF_TEXT, 1000);
    EXPECT_FALSE(late.ok);
    EXPECT_EQ(late.error, static_cast<UINT>(DMLERR_DATAACKTIMEOUT));
    sim_->Send("delay 0");
    ASSERT_TRUE(sim_->Sync());
    Pump(1000);  // let the late answer land while no request is waiting
}

TEST_F(SimulatorTest, RefusesTheLinkOnlyWhileToldTo) {
    Start();
    Connect();
    sim_->Send("refuse-advise on");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_FALSE(client_.AdvStart(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstart-refused " + kItem));
    sim_->Send("refuse-advise off");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_TRUE(client_.AdvStart(kItem));
    EXPECT_TRUE(sim_->WaitFor("advstart " + kItem));
}

TEST_F(SimulatorTest, ServesEmptyLoneLfRawAndUnterminatedTexts) {
    Start();
    Connect();
    sim_->Send("row 0 FIRST");
    sim_->Send("empty on");
    ASSERT_TRUE(sim_->Sync());
    Answer empty = client_.Request(kItem);
    ASSERT_TRUE(empty.ok);
    EXPECT_EQ(empty.bytes, std::string(1, '\0'));

    sim_->Send("empty off");
    sim_->Send("lf on");
    ASSERT_TRUE(sim_->Sync());
    Answer lf = client_.Request(kItem);
    ASSERT_TRUE(lf.ok);
    ASSERT_EQ(lf.bytes.size(), 19u * 41u + 1u);
    EXPECT_EQ(lf.bytes.find('\r'), std::string::npos);
    for (int row = 0; row < 19; ++row) EXPECT_EQ(lf.bytes[row * 41 + 40], '\n') << row;
    EXPECT_EQ(RowOf(lf.bytes, 0, "\n"), "FIRST" + Blanks(35));

    sim_->Send("lf off");
    sim_->Send("nozero on");
    ASSERT_TRUE(sim_->Sync());
    Answer unterminated = client_.Request(kItem);
    ASSERT_TRUE(unterminated.ok);
    ASSERT_EQ(unterminated.bytes.size(), 798u);
    EXPECT_EQ(unterminated.bytes.find('\0'), std::string::npos);

    sim_->Send("nozero off");
    sim_->Send("raw ab\\x01c");
    ASSERT_TRUE(sim_->Sync());
    Answer raw = client_.Request(kItem);
    ASSERT_TRUE(raw.ok);
    EXPECT_EQ(raw.bytes, std::string("ab\x01"
                                     "c",
                                     5));
    sim_->Send("block");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_EQ(client_.Request(kItem).bytes.size(), 799u);
}

TEST_F(SimulatorTest, QuitEndsTheServerInTheMiddleOfAConversation) {
    Start();
    Connect();
    ASSERT_TRUE(client_.AdvStart(kItem));
    sim_->Send("quit");
    EXPECT_TRUE(sim_->WaitFor("quit"));
    EXPECT_EQ(sim_->WaitExit(10000), 0);
    EXPECT_FALSE(client_.Request(kItem).ok);
}

}  // namespace

namespace {

using simtest::Answer;
using simtest::DdeClient;
using simtest::Pump;
using simtest::SimProcess;

class SimulatorControlTest : public SimulatorTest {};

TEST_F(SimulatorControlTest, EndOfInputKeepsServingAndExecutesStillControlIt) {
    Start();
    sim_->CloseInput();
    ASSERT_TRUE(sim_->WaitFor("eof"));
    EXPECT_EQ(sim_->WaitExit(500), -1) << "the end of input must not end the server";
    Connect();
    ASSERT_TRUE(client_.Execute("row 0 BY EXECUTE\r\nrow 1 TWO"));
    EXPECT_TRUE(sim_->WaitFor("execute row 0 BY EXECUTE"));
    EXPECT_TRUE(sim_->WaitFor("execute row 1 TWO"));
    Pump(100);
    const Answer answer = client_.Request(kItem);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(RowOf(answer.bytes, 0), "BY EXECUTE" + Blanks(30));
    EXPECT_EQ(RowOf(answer.bytes, 1), "TWO" + Blanks(37));
    ASSERT_TRUE(client_.Execute("quit"));
    EXPECT_EQ(sim_->WaitExit(10000), 0);
}

TEST_F(SimulatorControlTest, QuitOnEofOptionEndsTheServerWithItsInput) {
    Start("--quit-on-eof");
    sim_->CloseInput();
    EXPECT_TRUE(sim_->WaitFor("eof"));
    EXPECT_EQ(sim_->WaitExit(10000), 0);
}

TEST_F(SimulatorControlTest, ScriptRunsFirstAndItsSleepLeavesDdeServed) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string script = std::string(folder) + "vtsim_script_test.txt";
    {
        std::ofstream file(script, std::ios::binary);
        // The sleep must outlast starting the client, connecting and the first
        // request on a loaded machine (1.5 s was not enough under CI load).
        file << "# set up, wait, change\r\n"
             << "row 0 FROM SCRIPT\r\n"
             << "sleep 6000\r\n"
             << "row 0 AFTER SLEEP\r\n"
             << "notify\r\n"
             << "echo script-done\r\n";
    }
    Start("--script \"" + script + "\"");
    sim_->Send("echo from-stdin");
    Connect();
    ASSERT_TRUE(client_.AdvStart(kItem));
    const Answer during = client_.Request(kItem);
    ASSERT_TRUE(during.ok) << "DDE must be served while the script sleeps";
    EXPECT_EQ(RowOf(during.bytes, 0), "FROM SCRIPT" + Blanks(29));

    ASSERT_TRUE(client_.WaitNotices(1));
    EXPECT_EQ(RowOf(client_.NoticeTexts()[0], 0), "AFTER SLEEP" + Blanks(29));
    ASSERT_TRUE(sim_->WaitFor("script-done"));
    EXPECT_TRUE(sim_->WaitFor("from-stdin")) << "standard input runs after the script";
    DeleteFileA(script.c_str());
}

TEST_F(SimulatorControlTest, RefusedConnectsAndRequestsAndHangup) {
    Start();
    sim_->Send("refuse-connect on");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_FALSE(client_.Connect(service_, "590"));
    EXPECT_TRUE(sim_->WaitFor("connect-refused 590"));
    sim_->Send("refuse-connect off");
    sim_->Send("refuse-request on");
    ASSERT_TRUE(sim_->Sync());
    Connect();
    EXPECT_FALSE(client_.Request(kItem).ok);
    EXPECT_TRUE(sim_->WaitFor("request-refused " + kItem));
    sim_->Send("refuse-request off");
    ASSERT_TRUE(sim_->Sync());
    EXPECT_TRUE(client_.Request(kItem).ok);

    sim_->Send("hangup");
    EXPECT_TRUE(sim_->WaitFor("hangup 1"));
    Pump(200);
    EXPECT_FALSE(client_.Request(kItem).ok) << "the conversation has ended";
    // wine 8.0: a client instance whose server ended the conversation never
    // connects to that service and topic again, so a new instance asks.
    DdeClient fresh;
    EXPECT_TRUE(fresh.Connect(service_, "590"));
    EXPECT_TRUE(fresh.Request(kItem).ok) << "the service is back for new conversations";
}

TEST_F(SimulatorControlTest, BadCommandsAreReportedAndTheServerGoesOn) {
    Start();
    sim_->Send("row 40 nowhere");
    sim_->Send("frobnicate");
    sim_->Send("rows Z:\\nonexistent\\rows.txt");
    ASSERT_TRUE(sim_->Sync());
    int errors = 0;
    for (const auto& line : sim_->Lines()) errors += line.rfind("error ", 0) == 0;
    EXPECT_EQ(errors, 3);
    Connect();
    EXPECT_TRUE(client_.Request(kItem).ok);
}

}  // namespace

namespace {

std::string ReadAll(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Our child process of that name (a snapshot's parent ids tell), opened so
// that it can be waited for and, should the test stop early, ended.
HANDLE FindChild(const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE found = nullptr;
    for (BOOL more = Process32First(snapshot, &entry); more && found == nullptr;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            lstrcmpiA(entry.szExeFile, name) == 0) {
            found = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                                entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

class ChildGuard {
  public:
    explicit ChildGuard(HANDLE process) : process_(process) {}
    ~ChildGuard() {
        if (process_ == nullptr) return;
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
        CloseHandle(process_);
    }
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;
    bool valid() const { return process_ != nullptr; }
    int WaitExit(DWORD ms) {
        const DWORD start = GetTickCount();
        while (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            if (GetTickCount() - start >= ms) return -1;
            Pump(10);
        }
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
    }

  private:
    HANDLE process_;
};

bool IsDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Started as the program starts its decoder: copied as VTPlus.exe and run by
// WinExec("VTPlus", SW_SHOWMINNOACTIVE) with no arguments, then connected to
// at once, with no second try. VTSIM_ARGS only
// gives it a service name of its own (so that parallel tests never meet it)
// and a quicker pace; the demo is its own choice.
TEST(SimulatorStartedAsVTPlusTest, ServesTheLivelyDemoPage) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "vtsim_winexec_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string exe = folder + "\\VTPlus.exe";
    const std::string log = folder + "\\events.log";
    DeleteFileA(log.c_str());
    ASSERT_TRUE(CopyFileA(simtest::SimulatorPath().c_str(), exe.c_str(), FALSE));

    const std::string service = simtest::UniqueService();
    const std::string args = "--service " + service + " --interval 300 --log \"" + log + "\"";
    SetEnvironmentVariableA("VTSIM_ARGS", args.c_str());
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(folder.c_str());
    DdeClient client;
    const UINT started = WinExec("VTPlus", SW_SHOWMINNOACTIVE);
    // The program connects once more right after WinExec returns, and
    // WinExec returns once the started program first waits for input: the
    // service must be registered by then.
    const bool connected = client.Connect(service, "590");
    SetCurrentDirectoryA(previous);
    SetEnvironmentVariableA("VTSIM_ARGS", nullptr);
    ASSERT_GE(started, 32u);

    // WinExec gives no handle: our child is the VTPlus.exe whose parent we are.
    ChildGuard child(FindChild("VTPlus.exe"));
    ASSERT_TRUE(child.valid()) << "VTPlus.exe is not among our child processes";

    ASSERT_TRUE(connected) << "VTPlus did not answer right after WinExec: " << ReadAll(log);

    const Answer first = client.Request(kItem);
    ASSERT_TRUE(first.ok);
    ASSERT_EQ(first.bytes.size(), 799u);
    for (int row = 0; row < 19; ++row) {
        const std::string text = RowOf(first.bytes, row);
        std::size_t digits = text.find_first_not_of(' ');
        ASSERT_LT(digits, 6u) << text;
        const std::string frequency = text.substr(digits, 6 - digits);
        ASSERT_TRUE(IsDigits(frequency)) << text;
        EXPECT_GE(std::stoi(frequency), 1800) << text;
        EXPECT_LE(std::stoi(frequency), 432999) << text;
        EXPECT_NE(text[7], ' ') << text;
        EXPECT_NE(text[29], ' ') << text;
        EXPECT_TRUE(IsDigits(text.substr(36, 4))) << text;
        EXPECT_EQ(first.bytes.substr(row * 42 + 40, 2), "\r\n");
    }

    ASSERT_TRUE(client.AdvStart(kItem));
    ASSERT_TRUE(client.WaitNotices(2, 15000)) << "no new spots announced";
    const std::string& before = client.NoticeTexts()[0];
    const std::string& after = client.NoticeTexts()[1];
    ASSERT_EQ(after.size(), 799u);
    EXPECT_EQ(RowOf(after, 0), RowOf(before, 1)) << "the page scrolls up by one spot";
    EXPECT_EQ(RowOf(after, 17), RowOf(before, 18));

    ASSERT_TRUE(client.Execute("quit"));
    EXPECT_EQ(child.WaitExit(10000), 0) << "VTPlus did not quit";
    client.Disconnect();

    const std::string events = ReadAll(log);
    EXPECT_EQ(events.rfind("ready\n", 0), 0u) << events;
    EXPECT_NE(events.find("\nnotify\n"), std::string::npos) << events;
    EXPECT_NE(events.find("\nexecute quit\n"), std::string::npos) << events;
    EXPECT_EQ(events.substr(events.size() - 5), "quit\n") << events;
    for (int attempt = 0; attempt < 50 && !DeleteFileA(exe.c_str()); ++attempt) Sleep(100);
    DeleteFileA(log.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
