// The DDE link on wine's DDEML, each partner in a process of its own: the
// decoder simulator (VTSim.exe, scripted through its standard input, or
// started by the link itself as VTPlus.exe) and an outside client
// (dde_probe.exe) that connects to this program's own service.
//
// Every simulator here serves a service name of this process's own, so that
// test programs running at the same time in the same wine prefix never meet.
// clang-format off
#include <windows.h>
#include <ddeml.h>
#include <tlhelp32.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "dde/dde_client_conv.h"
#include "dde/dde_client_item.h"
#include "dde/dde_mgr.h"
#include "platform/win32/ddeml_win32.h"
#include "rtl/error_report.h"
#include "tools/piped_child.h"

namespace {

constexpr const char* kItem = "10,10,,,B(0/5/39/23)";

std::string OwnExe() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string Service() {
    return "VTplus" + std::to_string(GetCurrentProcessId());
}

// Our own child processes of that name (other test programs may start theirs):
// how many, and the id of the last one found.
int CountChildren(const char* exeName, DWORD* id = nullptr) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            lstrcmpiA(entry.szExeFile, exeName) == 0) {
            ++count;
            if (id != nullptr) *id = entry.th32ProcessID;
        }
    }
    CloseHandle(snapshot);
    return count;
}

DWORD ChildId(const char* exeName) {
    DWORD id = 0;
    CountChildren(exeName, &id);
    return id;
}

class WineDde : public ::testing::Test {
  protected:
    void SetUp() override {
        manager = std::make_unique<TDdeMgr>(nullptr, OwnExe(), ddeml);
        manager->SetWindowCaptions([] { return std::vector<std::string>{"Vareli", "Asetukset"}; });
        conv = std::make_unique<TDdeClientConv>(nullptr);
        item = std::make_unique<TDdeClientItem>(nullptr);
        conv->OnOpen = [this](TObject*) { events.push_back("OnOpen"); };
        conv->OnClose = [this](TObject*) { events.push_back("OnClose"); };
        item->OnChange = [this](TObject* sender) {
            const std::string text = static_cast<TDdeClientItem*>(sender)->Text();
            events.push_back("change " + std::to_string(text.size()));
            texts.push_back(text);
        };
        item->SetDdeConv(conv.get());
    }
    void TearDown() override {
        item.reset();
        conv.reset();
        manager.reset();
    }
    // Pumps until count events have come, then a while longer to let any
    // extra one show; false when too few came.
    bool WaitEvents(size_t count, DWORD ms = 5000) {
        const DWORD start = GetTickCount();
        while (events.size() < count && GetTickCount() - start < ms) PumpMessagesFor(10);
        PumpMessagesFor(300);
        return events.size() >= count;
    }

    // The requests the simulator has served so far: its events come through
    // a pipe, so an echo answered after them shows they have all arrived.
    static int RequestsServed(PipedChild& sim) {
        EXPECT_TRUE(sim.Sync());
        return sim.Count(std::string("request ") + kItem);
    }

    Win32Ddeml ddeml;
    std::unique_ptr<TDdeMgr> manager;
    std::unique_ptr<TDdeClientConv> conv;
    std::unique_ptr<TDdeClientItem> item;
    std::vector<std::string> events;
    std::vector<std::string> texts;
};

TEST_F(WineDde, TheShowStepsAndEveryNoticeGiveOneChangeWithTheWholeBlock) {
    PipedChild sim(WinePath(VTSIM_EXE), "--service " + Service());
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(sim.WaitFor("ready"));
    sim.Send("spot 0 7025 Q1AAA cq dx Q9ZZZ 1305");
    sim.Send("echo rows-set");
    ASSERT_TRUE(sim.WaitFor("rows-set"));

    // As at window creation, then the show handler's steps.
    ASSERT_TRUE(conv->Reconnect(Service(), "590"));
    item->SetDdeItem(kItem);
    EXPECT_TRUE(conv->Retarget(Service(), "590"));
    EXPECT_FALSE(conv->OpenConversation());
    EXPECT_EQ(events, (std::vector<std::string>{"OnOpen", "change 0", "change 798", "OnClose",
                                                "OnOpen", "change 798"}));
    ASSERT_EQ(item->Lines().size(), 1u);
    const std::string first = item->Text();
    EXPECT_EQ(first.substr(0, 42), "  7025 Q1AAA  cq dx          Q9ZZZ  1305  ");
    for (size_t row = 0; row < 19; ++row) EXPECT_EQ(first.substr(row * 42 + 40, 2), "  ");

    // A notice with unchanged text: one event, one request, the same text.
    events.clear();
    texts.clear();
    const int requests = RequestsServed(sim);
    for (int notice = 0; notice < 2; ++notice) {
        sim.Send("notify");
        ASSERT_TRUE(WaitEvents(notice + 1u));
    }
    EXPECT_EQ(events, (std::vector<std::string>{"change 798", "change 798"}));
    EXPECT_EQ(texts, (std::vector<std::string>{first, first}));
    EXPECT_EQ(RequestsServed(sim), requests + 2);

    // Changed rows, one notice.
    sim.Send("spot 1 14025 OH2AB qrz OH9ZZ 1310");
    sim.Send("notify");
    ASSERT_TRUE(WaitEvents(3));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(item->Text().substr(42, 42), " 14025 OH2AB  qrz            OH9ZZ  1310  ");
    EXPECT_EQ(item->Text().substr(0, 42), first.substr(0, 42));

    // Closing the window ends the conversation; the server sees it.
    conv->CloseConversation();
    EXPECT_TRUE(sim.WaitFor("disconnect"));
}

TEST_F(WineDde, AChangeHandlerThatRaisesUnderANoticeIsReportedAndTheLinkGoesOn) {
    PipedChild sim(WinePath(VTSIM_EXE), "--service " + Service());
    ASSERT_TRUE(sim.WaitFor("ready"));
    ASSERT_TRUE(conv->Reconnect(Service(), "590"));
    item->SetDdeItem(kItem);
    std::vector<std::string> reported;
    ErrorReport::SetHandler([&reported](const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const Exception& e) {
            reported.push_back(e.Message());
        }
    });
    item->OnChange = [](TObject*) { throw Exception("bad limit"); };
    sim.Send("notify");
    const DWORD start = GetTickCount();
    while (reported.empty() && GetTickCount() - start < 5000) PumpMessagesFor(10);
    ErrorReport::SetHandler(nullptr);
    EXPECT_EQ(reported, std::vector<std::string>{"bad limit"});
    // The next notice is served as usual.
    events.clear();
    item->OnChange = [this](TObject*) { events.push_back("change"); };
    sim.Send("notify");
    EXPECT_TRUE(WaitEvents(1));
    EXPECT_EQ(events, std::vector<std::string>{"change"});
}

TEST_F(WineDde, ARefusedWarmLinkDetachesTheItem) {
    PipedChild sim(WinePath(VTSIM_EXE), "--service " + Service());
    ASSERT_TRUE(sim.WaitFor("ready"));
    sim.Send("refuse-advise on");
    sim.Send("echo refusing");
    ASSERT_TRUE(sim.WaitFor("refusing"));
    ASSERT_TRUE(conv->Reconnect(Service(), "590"));
    item->SetDdeItem(kItem);
    EXPECT_EQ(item->DdeItem(), "");
    EXPECT_EQ(conv->ItemLinkCount(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"OnOpen", "change 0", "change 0", "change 0"}));
    EXPECT_TRUE(sim.WaitFor(std::string("advstart-refused ") + kItem));
}

TEST_F(WineDde, ADecoderThatQuitsLeavesTheNamesAndTheLastText) {
    PipedChild sim(WinePath(VTSIM_EXE), "--service " + Service());
    ASSERT_TRUE(sim.WaitFor("ready"));
    ASSERT_TRUE(conv->Reconnect(Service(), "590"));
    item->SetDdeItem(kItem);
    events.clear();

    // The decoder leaves DDEML in the middle of the conversation. wine 8.0
    // sends the client no XTYP_DISCONNECT then (the path where it does is
    // proven on the fake); the client's next transaction simply fails.
    sim.Send("quit");
    EXPECT_EQ(sim.WaitExit(), 0);
    WaitEvents(1, 1000);
    const bool told = !events.empty();
    std::printf(
        "wine on the decoder quitting: %s\n",
        told ? "XTYP_DISCONNECT reached the client" : "no XTYP_DISCONNECT reached the client");
    EXPECT_LE(events.size(), 1u);
    if (told) {
        EXPECT_EQ(events[0], "OnClose");
    }
    events.clear();
    conv->SetFormatChars(true);  // refetches while still counted as open
    EXPECT_EQ(events, std::vector<std::string>{});
    EXPECT_EQ(conv->DdeService(), Service());
    EXPECT_EQ(conv->DdeTopic(), "590");
    EXPECT_EQ(item->DdeItem(), kItem);
    EXPECT_EQ(item->Text().size(), 798u);
}

TEST_F(WineDde, ADecoderThatIsNotRunningIsStartedOnceAndConnected) {
    // The start command "VTPlus" finds the simulator's copy VTPlus.exe in the
    // current folder, and the copy takes its arguments from VTSIM_ARGS.
    ASSERT_EQ(CountChildren("VTPlus.exe"), 0);
    std::string folder = WinePath(VTSIM_EXE);
    folder.erase(folder.find_last_of('\\'));
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    const std::string args = "--service " + Service() + " --no-stdin --interval 600000";
    SetEnvironmentVariableA("VTSIM_ARGS", args.c_str());

    conv->SetServiceApplication("VTPlus");
    const bool opened = conv->Reconnect(Service(), "590");
    SetEnvironmentVariableA("VTSIM_ARGS", nullptr);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(opened);
    EXPECT_EQ(CountChildren("VTPlus.exe"), 1);
    EXPECT_EQ(events, std::vector<std::string>{"OnOpen"});

    // End the started decoder: asked by a DDE execute, else by its process id.
    const DWORD pid = ChildId("VTPlus.exe");
    ASSERT_NE(pid, 0u);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    if (opened) {
        BYTE quit[] = "quit";
        DdeClientTransaction(quit, sizeof quit, reinterpret_cast<HCONV>(conv->Conv()), nullptr,
                             CF_TEXT, XTYP_EXECUTE, 1000, nullptr);
    }
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process, 0) == WAIT_TIMEOUT && GetTickCount() - start < 5000)
        PumpMessagesFor(10);
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
    CloseHandle(process);
}

TEST_F(WineDde, AnOutsideClientMayConnectToAWindowCaptionButGetsNothing) {
    int most = 0;
    {
        PipedChild probe(WinePath(DDE_PROBE_EXE),
                         manager->AppName() + " Vareli " + std::string(kItem));
        ASSERT_TRUE(probe.Started());
        const DWORD start = GetTickCount();
        while (probe.Count("request data") + probe.Count("request none") == 0 &&
               GetTickCount() - start < 10000) {
            PumpMessagesFor(5);
            most = std::max(most, manager->ServerConvCount());
        }
        EXPECT_EQ(probe.WaitExit(), 0);
        EXPECT_EQ(probe.Lines(),
                  (std::vector<std::string>{"connect ok", "advstart refused", "request none"}));
    }
    EXPECT_EQ(most, 1);
    PumpMessagesFor(300);
    EXPECT_EQ(manager->ServerConvCount(), 0);

    PipedChild foreign(WinePath(DDE_PROBE_EXE), manager->AppName() + " Foreign x");
    EXPECT_EQ(foreign.WaitExit(), 0);
    EXPECT_EQ(foreign.Lines(), std::vector<std::string>{"connect refused"});
    EXPECT_EQ(manager->ServerConvCount(), 0);
}

}  // namespace
