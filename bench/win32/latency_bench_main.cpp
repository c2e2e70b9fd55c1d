// The latency benchmark: from the decoder's change notice to the spot line in
// the view, in the program itself, beside a bare DDE client on the same
// simulator in the same run.
//   latency_bench --simulator VTSim.exe [--rounds 100] [--requests 200]
//                 [--folder DIR]
// First the bare client (straight DDEML): synchronous request round trips,
// then a warm link whose notices it answers with one request each. Then the
// program: its DDE manager, main window and settings dialog built as at
// start-up (VareliProgram) with the real DDEML, toolkit and locale, tones
// that return at once and forwarding off, in a folder holding a vareli.ini.
// Each round puts one new spot into the page and announces it; the timing
// DDEML notes when the notice and the request came, the timing widget set
// when the line went into the view. Each round's new line is checked.
// Then the program again with its DX-cluster node on and 16 clients logged in
// on 127.0.0.1, one of them read on its own thread: notice to line in the
// view beside notice to "DX de" line at that client, and the ratio of the
// two runs' notice-to-line medians (what the node adds to intake).
// Prints its figures; exit code 1 when a check failed, 2 when it could not run.
#include <windows.h>
#include <winsock2.h>  // before windows.h, which would bring the old winsock.h

#include <exception>
#include <string>
#include <vector>

#include "asetus/relay_dialog.h"
#include "bench/args.h"
#include "bench/clock.h"
#include "bench/report.h"
#include "bench/spot_text.h"
#include "bench/stats.h"
#include "bench/timed_ddeml.h"
#include "bench/win32/bare_dde_client.h"
#include "bench/win32/node_clients.h"
#include "bench/win32/null_speaker.h"
#include "bench/win32/sim_child.h"
#include "bench/win32/timed_widget_set.h"
#include "platform/seam.h"
#include "platform/win32/comm_win32.h"
#include "platform/win32/ddeml_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/sockets_win32.h"
#include "platform/win32/sync_win32.h"
#include "platform/win32/threads_win32.h"
#include "relay/dx_line.h"
#include "rtl/date_time_text.h"
#include "rtl/main_thread.h"
#include "vareli/program.h"
#include "vplusdde/main_window.h"

namespace {

constexpr int kPageRows = 19;
constexpr int kNodeClients = 16;
constexpr DWORD kRoundTimeoutMs = 5000;
constexpr DWORD kSettleMs = 10;

bool ok = true;

void Check(bool condition, const std::string& what) {
    if (condition) return;
    Say("CHECK FAILED: " + what);
    ok = false;
}

void Print(const std::string& what, const std::vector<double>& samples) {
    Fields fields{{"what", what}};
    for (const auto& f : SummaryFields(Summarize(samples))) fields.push_back(f);
    PrintRecord("latency", fields);
}

// Fills the page with new spots; returns the next serial.
int FillPage(SimChild& sim, int serial) {
    for (int row = 0; row < kPageRows; ++row) sim.Send(BenchSpotCommand(row, serial++));
    return serial;
}

void BareClient(SimChild& sim, int requests, int rounds, int& serial) {
    BareDdeClient client;
    if (!client.Connect("VTplus", "590"))
        throw std::runtime_error("the bare client cannot connect");
    std::vector<double> roundTrips;
    std::string text;
    for (int i = 0; i < requests + 10; ++i) {
        // Back to the message loop for a while between requests: wine's
        // DDEML follows an answer with a stray acknowledgement, which it
        // takes as the reply to the next request if that one goes out first.
        PumpUntil([] { return false; }, kSettleMs);
        const double start = BenchNow();
        const bool answered = client.Request(kSpotItemName, &text);
        const double took = BenchNow() - start;
        Check(answered && text.size() >= 40, "the bare client's request is answered");
        if (i >= 10) roundTrips.push_back(took);  // the first few warm up
    }
    Print("bare_request", roundTrips);

    Check(client.AdvStart(kSpotItemName), "the bare client's warm link starts");
    std::vector<double> toNotice;
    std::vector<double> toData;
    int lost = 0;
    for (int i = 0; i < rounds; ++i) {
        const std::size_t before = client.Notices().size();
        sim.Send(BenchSpotCommand(i % kPageRows, serial++));
        const double sent = BenchNow();
        sim.Send("notify");
        if (!PumpUntil([&] { return client.Notices().size() > before; }, kRoundTimeoutMs)) {
            ++lost;
            continue;
        }
        const BareDdeClient::Notice& notice = client.Notices().back();
        Check(notice.ok, "the bare client's notice is answered with the page");
        toNotice.push_back(notice.arrived - sent);
        toData.push_back(notice.answered - notice.arrived);
    }
    Check(lost == 0, "every announced change reaches the bare client");
    Print("bare_trigger_to_notice", toNotice);
    Print("bare_notice_to_data", toData);
}

// The settings, with the cluster node on this port when it is not 0.
void WriteSettings(const std::string& folder, std::uint16_t nodePort) {
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!SetCurrentDirectoryA(folder.c_str()))
        throw std::runtime_error("cannot enter the folder " + folder);
    std::string ini = "[COMPort]Com1\r\n[AlaMHZ]0\r\n[YlaMHZ]500000\r\n[Com]0\r\n";
    if (nodePort != 0) ini += "[Klusteri]1\r\n[KlusteriPortti]" + std::to_string(nodePort) + "\r\n";
    HANDLE file = CreateFileA("vareli.ini", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr))
        throw std::runtime_error("cannot write vareli.ini in " + folder);
    CloseHandle(file);
}

// The program's rounds; with node clients, the cluster node is on with that
// many clients logged in, one of them timed. Returns the median of notice to
// line in the view.
double Program(SimChild& sim, int rounds, int& serial, const std::string& folder, int nodeClients) {
    const std::uint16_t nodePort = nodeClients > 0 ? FreeTcpPort() : 0;
    if (nodeClients > 0 && nodePort == 0) throw std::runtime_error("no free TCP port");
    WriteSettings(folder, nodePort);
    const std::string prefix = nodeClients > 0 ? "node_" : "program_";
    Win32Locale locale;
    Win32ThreadControl threads;
    Win32Files files;
    Win32Sync sync;
    Win32Comm comm;
    NullSpeaker speaker;
    Win32Ddeml realDdeml;
    TimedDdeml ddeml(realDdeml);
    ScopedSeam<ILocale> localeSeam(&locale);
    ScopedSeam<IThreadControl> threadSeam(&threads);
    ScopedSeam<IFiles> filesSeam(&files);
    ScopedSeam<ISync> syncSeam(&sync);
    ScopedSeam<IComm> commSeam(&comm);
    ScopedSeam<ISpeaker> speakerSeam(&speaker);
    ScopedSeam<IDdeml> ddemlSeam(&ddeml);
    Win32Sockets sockets;
    ScopedSeam<ISockets> socketsSeam(&sockets);
    TWin32WidgetSet realWidgets(GetModuleHandleA(nullptr));
    TimedWidgetSet widgets(realWidgets);
    ScopedSeam<IWidgetSet> widgetSeam(&widgets);

    VareliProgram program(widgets, "Vareli.exe");
    program.Application().MainForm()->Show();
    TRichEdit& view = *program.Form1->memo1;
    Check(PumpUntil([&] { return widgets.Appends() >= kPageRows; }, 10000),
          "the first page's spots are shown at start-up");
    NodeClients clients;
    if (nodeClients > 0) {
        Check(clients.Connect(nodePort, nodeClients), "the node's clients connect");
        // Until the node has logged them all in.
        PumpUntil([] { return false; }, 500);
        Check(program.Form4->Label2->Caption() == "Yhteyksi\xE4: " + std::to_string(nodeClients),
              "the node holds every client");
    }
    std::vector<double> noticeToClient;

    std::vector<double> triggerToLine, noticeToLine, noticeToRequest, request, requestToLine,
        append;
    int lost = 0;
    for (int i = 0; i < rounds; ++i) {
        const int before = widgets.Appends();
        const int row = i % kPageRows;
        const std::string spot = BenchSpotRow(serial);
        sim.Send(BenchSpotCommand(row, serial++));
        const double sent = BenchNow();
        sim.Send("notify");
        if (!PumpUntil([&] { return widgets.Appends() > before; }, kRoundTimeoutMs)) {
            ++lost;
            continue;
        }
        const double line = widgets.LastAppend();
        triggerToLine.push_back(line - sent);
        noticeToLine.push_back(line - ddeml.LastNotice());
        noticeToRequest.push_back(ddeml.LastRequestStart() - ddeml.LastNotice());
        request.push_back(ddeml.LastRequestEnd() - ddeml.LastRequestStart());
        requestToLine.push_back(line - ddeml.LastRequestEnd());
        append.push_back(line - widgets.LastAppendStart());
        Check(widgets.Appends() == before + 1, "one new line for the one new spot");
        Check(view.Line(view.LineCount() - 1) == spot + DateToStr(locale.GetLocalTime()),
              "the new line is the spot row and the date");
        if (nodeClients == 0) continue;
        const std::size_t index = static_cast<std::size_t>(i);
        if (!PumpUntil([&] { return clients.Count() > index; }, kRoundTimeoutMs)) {
            Check(false, "the timed client receives the spot's DX line");
            continue;
        }
        noticeToClient.push_back(clients.Arrival(index) - ddeml.LastNotice());
        Check(clients.Line(index) == DxLine(spot, "0000").value_or(""),
              "the client's line is the spot's DX line");
    }
    Check(lost == 0, "every announced spot reaches the view");
    Print(prefix + "trigger_to_line", triggerToLine);
    Print(prefix + "notice_to_line", noticeToLine);
    Print(prefix + "notice_to_request", noticeToRequest);
    Print(prefix + "request", request);
    Print(prefix + "request_to_line", requestToLine);
    Print(prefix + "append", append);
    if (nodeClients > 0) Print("node_notice_to_client_line", noticeToClient);
    PrintRecord("latency_counts", {{"run", prefix + std::to_string(nodeClients)},
                                   {"rounds", std::to_string(rounds)},
                                   {"lost", std::to_string(lost)},
                                   {"notices", std::to_string(ddeml.Notices())},
                                   {"requests", std::to_string(ddeml.Requests())},
                                   {"beeps", std::to_string(speaker.beeps)}});
    program.Form1->Close();
    PumpMessages();
    return Summarize(noticeToLine).median;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const BenchArgs args(argc, argv);
        const std::string simulator = args.Text("simulator", "");
        if (simulator.empty()) throw std::invalid_argument("--simulator VTSim.exe is needed");
        const int rounds = args.Int("rounds", 100);
        const int requests = args.Int("requests", 200);
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        const std::string folder = args.Text("folder", std::string(temp) + "vareli-latency-bench");

        MainThread::SetCurrentAsMain();
        SimChild sim(simulator, "");
        if (!sim.WaitFor("ready", 20000)) throw std::runtime_error("the simulator is not ready");
        int serial = 500000;
        serial = FillPage(sim, serial);
        if (!sim.Sync(10000)) throw std::runtime_error("the simulator does not answer");
        BareClient(sim, requests, rounds, serial);
        serial = FillPage(sim, serial);
        sim.Sync(10000);
        const double off = Program(sim, rounds, serial, folder, 0);
        serial = FillPage(sim, serial);
        sim.Sync(10000);
        const double on = Program(sim, rounds, serial, folder, kNodeClients);
        PrintRecord("node_overhead", {{"clients", std::to_string(kNodeClients)},
                                      {"off_median", Number(off)},
                                      {"on_median", Number(on)},
                                      {"ratio", Number(off > 0 ? on / off : 0)}});
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        Say(std::string("latency_bench: ") + e.what());
        return 2;
    }
}
