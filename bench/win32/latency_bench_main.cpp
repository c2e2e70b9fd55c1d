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
// Prints its figures; exit code 1 when a check failed, 2 when it could not run.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "bench/args.h"
#include "bench/clock.h"
#include "bench/report.h"
#include "bench/spot_text.h"
#include "bench/stats.h"
#include "bench/timed_ddeml.h"
#include "bench/win32/bare_dde_client.h"
#include "bench/win32/null_speaker.h"
#include "bench/win32/sim_child.h"
#include "bench/win32/timed_widget_set.h"
#include "platform/seam.h"
#include "platform/win32/comm_win32.h"
#include "platform/win32/ddeml_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/sync_win32.h"
#include "platform/win32/threads_win32.h"
#include "rtl/date_time_text.h"
#include "rtl/main_thread.h"
#include "vareli/program.h"
#include "vplusdde/main_window.h"

namespace {

constexpr int kPageRows = 19;
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

void WriteSettings(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!SetCurrentDirectoryA(folder.c_str()))
        throw std::runtime_error("cannot enter the folder " + folder);
    const std::string ini = "[COMPort]Com1\r\n[AlaMHZ]0\r\n[YlaMHZ]500000\r\n[Com]0\r\n";
    HANDLE file = CreateFileA("vareli.ini", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr))
        throw std::runtime_error("cannot write vareli.ini in " + folder);
    CloseHandle(file);
}

void Program(SimChild& sim, int rounds, int& serial, const std::string& folder) {
    WriteSettings(folder);
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
    TWin32WidgetSet realWidgets(GetModuleHandleA(nullptr));
    TimedWidgetSet widgets(realWidgets);
    ScopedSeam<IWidgetSet> widgetSeam(&widgets);

    VareliProgram program(widgets, "Vareli.exe");
    program.Application().MainForm()->Show();
    TRichEdit& view = *program.Form1->memo1;
    Check(PumpUntil([&] { return widgets.Appends() >= kPageRows; }, 10000),
          "the first page's spots are shown at start-up");

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
    }
    Check(lost == 0, "every announced spot reaches the view");
    Print("program_trigger_to_line", triggerToLine);
    Print("program_notice_to_line", noticeToLine);
    Print("program_notice_to_request", noticeToRequest);
    Print("program_request", request);
    Print("program_request_to_line", requestToLine);
    Print("program_append", append);
    PrintRecord("latency_counts", {{"rounds", std::to_string(rounds)},
                                   {"lost", std::to_string(lost)},
                                   {"notices", std::to_string(ddeml.Notices())},
                                   {"requests", std::to_string(ddeml.Requests())},
                                   {"beeps", std::to_string(speaker.beeps)}});
    program.Form1->Close();
    PumpMessages();
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
        Program(sim, rounds, serial, folder);
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        Say(std::string("latency_bench: ") + e.what());
        return 2;
    }
}
