// The start-up benchmark: from the start of Vareli.exe to its first spot
// line on the screen, beside a minimal Win32 window program started the same
// way (CreateProcess from this program, under the same wine).
//   start_bench --vareli Vareli.exe --minimal minimal_window.exe
//               --simulator VTSim.exe [--rounds 10] [--folder DIR]
//               [--restored 2000] [--node-port 7391]
//               [--log-qsos 100000] [--cty PATH] [--scp PATH]
// The simulator runs (as the decoder "VTplus") with a full page of spots;
// Vareli starts in a folder holding a vareli.ini that takes them all, with
// the daily spot file and the DX-cluster node on. It is started twice each
// round: once with no spot file for today, once with today's file holding
// `restored` spot lines (none of them on the page), which the start puts
// back into the view and the node before the page. Each program is watched
// from here, every millisecond or so: its main window visible, then (Vareli)
// the page's 19 lines, after the restored ones, in its spot view, or
// (minimal) its line of text. The questions are window messages, which the
// program answers from its message loop, the same loop that paints: what is
// seen from here is what the screen can show. Then the window is closed and
// the process awaited. Rounds go through the starts in turn; one round
// before them warms the caches and is not counted.
// With --log-qsos, a fourth start has the user's ADIF log of that many QSOs
// (the calls of MASTER.SCP) and the country file, "Uusi maa" and "Uusi
// bandi" on, in a folder of its own: the page waits for the log's first
// reading. Then, in one more start, the window's painting is timed while it
// idles and while the whole log is read again (rewritten, the same size):
// the longest wait for a paint tells whether reading ever held the loop.
// Prints its figures; exit code 1 when a check failed, 2 when it could not run.
#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/adif_log.h"
#include "bench/args.h"
#include "bench/clock.h"
#include "bench/report.h"
#include "bench/spot_text.h"
#include "bench/stats.h"
#include "bench/win32/sim_child.h"

namespace {

// Long enough for a start that puts thousands of lines back one by one.
constexpr DWORD kStartTimeoutMs = 120000;
bool ok = true;

void Check(bool condition, const std::string& what) {
    if (condition) return;
    Say("CHECK FAILED: " + what);
    ok = false;
}

struct Target {
    std::string name;
    std::string exe;
    std::string folder;
    const char* windowClass;
    const char* textClass;  // the child whose text shows the first line
    int blockLines;         // lines of the view with the first block, 0: just the text
    std::string dayFile;    // today's spot file in `folder` before each start; "": none
};

struct StartTimes {
    bool ok = false;
    double window = 0;  // the main window is visible
    double line = 0;    // and shows its first line
    double block = 0;   // and its whole first block
    double close = 0;   // from WM_CLOSE to the process's end
};

HWND FindChild(HWND parent, const char* className) {
    return FindWindowExA(parent, nullptr, className, nullptr);
}

// Asks a window of another process without waiting long on a busy one; 0
// when it does not answer.
LRESULT Ask(HWND window, UINT message) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, 0, 0, SMTO_ABORTIFHUNG, 100, &answer)) return 0;
    return static_cast<LRESULT>(answer);
}

// "vihjeet-YYYYMMDD.txt" of today's local date, as the program names it.
std::string TodaysSpotFile(const std::string& folder) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[32];
    wsprintfA(name, "\\vihjeet-%04u%02u%02u.txt", now.wYear, now.wMonth, now.wDay);
    return folder + name;
}

void DeleteSpotFiles(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\vihjeet-*.txt").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do DeleteFileA((folder + "\\" + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok =
        file != INVALID_HANDLE_VALUE &&
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

// Today's file as the program writes it, `count` spots a second apart from
// 08:00:00 on; serials from 500000 on, so none is on the simulator's page.
std::string SpotFileText(int count) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string text;
    for (int i = 0; i < count; ++i) {
        char stamp[32];
        wsprintfA(stamp, "%04u-%02u-%02u %02d:%02d:%02d ", now.wYear, now.wMonth, now.wDay,
                  8 + i / 3600 % 16, i / 60 % 60, i % 60);
        text += stamp + BenchSpotRow(500000 + i) + "\r\n";
    }
    return text;
}

StartTimes StartOnce(const Target& target) {
    StartTimes times;
    if (!target.folder.empty() && target.windowClass == std::string("TForm1")) {
        // Each start appends the page's spots to today's file: it is put back
        // as the case wants it every time. Every other day's file goes, as
        // the start would put back yesterday's (one from a run before
        // midnight) and tomorrow's too.
        DeleteSpotFiles(target.folder);
        if (!target.dayFile.empty()) WriteFileBytes(TodaysSpotFile(target.folder), target.dayFile);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string command = "\"" + WinePath(target.exe) + "\"";
    const double start = BenchNow();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        target.folder.empty() ? nullptr : target.folder.c_str(), &startup, &info))
        throw std::runtime_error("cannot start " + target.exe);
    CloseHandle(info.hThread);
    HWND window = nullptr;
    bool shown = false;
    while (BenchNow() - start < kStartTimeoutMs / 1000.0) {
        if (window == nullptr) window = FindWindowA(target.windowClass, nullptr);
        if (window != nullptr && IsWindowVisible(window)) {
            const double now = BenchNow();
            if (!shown) times.window = now - start;
            shown = true;
            HWND text = FindChild(window, target.textClass);
            if (text != nullptr && times.line == 0 && Ask(text, WM_GETTEXTLENGTH) > 0)
                times.line = now - start;
            // A rich-text view counts the empty line after the last line end.
            if (times.line > 0 &&
                (target.blockLines == 0 || Ask(text, EM_GETLINECOUNT) > target.blockLines)) {
                times.block = now - start;
                times.ok = true;
                break;
            }
        }
        if (WaitForSingleObject(info.hProcess, 1) != WAIT_TIMEOUT) break;  // it ended early
    }
    Check(times.ok, target.name + " shows its first block");
    const double closing = BenchNow();
    if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 15000) == WAIT_TIMEOUT) {
        Check(false, target.name + " ends when its window is closed");
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    times.close = BenchNow() - closing;
    CloseHandle(info.hProcess);
    return times;
}

void WriteSettings(const std::string& folder, int nodePort) {
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileBytes(folder + "\\vareli.ini",
                   "[COMPort]Com1\r\n[AlaMHZ]0\r\n[YlaMHZ]500000\r\n[Com]0\r\n[Loki]1\r\n"
                   "[Klusteri]1\r\n[KlusteriPortti]" +
                       std::to_string(nodePort) + "\r\n");
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + path);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    const bool ok = ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                    got == bytes.size();
    CloseHandle(file);
    if (!ok) throw std::runtime_error("cannot read " + path);
    return bytes;
}

// A folder like the others' with the user's log and the country file, and
// the options that read them.
void WriteLogFolder(const std::string& folder, int nodePort, const std::string& log,
                    const std::string& ctyPath) {
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileBytes(folder + "\\vareli.ini",
                   "[COMPort]Com1\r\n[AlaMHZ]0\r\n[YlaMHZ]500000\r\n[Com]0\r\n[Loki]1\r\n"
                   "[Klusteri]1\r\n[KlusteriPortti]" +
                       std::to_string(nodePort) +
                       "\r\n[NaytaMaa]1\r\n[ADIF]loki.adi\r\n[UusiMaa]1\r\n[UusiBandi]1\r\n");
    WriteFileBytes(folder + "\\cty.csv", ReadFileBytes(ctyPath));
    WriteFileBytes(folder + "\\loki.adi", log);
}

// How long the window takes to paint: the view made invalid from here, then
// watched until its update region is empty again, about every millisecond
// for `seconds`; each wait in seconds. Painting comes out of the queue after
// posted calls and timer ticks, and with input: a window that paints answers
// (a sent message would be answered before either, and prove nothing).
std::vector<double> PaintTimes(HWND view, double seconds) {
    std::vector<double> waits;
    const double end = BenchNow() + seconds;
    while (BenchNow() < end) {
        const double asked = BenchNow();
        InvalidateRect(view, nullptr, FALSE);
        while (GetUpdateRect(view, nullptr, FALSE) && BenchNow() - asked < 5.0) Sleep(0);
        waits.push_back(BenchNow() - asked);
        Sleep(1);
    }
    return waits;
}

void Print(const std::string& program, const std::string& what,
           const std::vector<double>& samples) {
    Fields fields{{"program", program}, {"what", what}};
    for (const auto& f : SummaryFields(Summarize(samples))) fields.push_back(f);
    PrintRecord("startup", fields);
}

// Vareli with the log, started and left to settle; its window's painting
// timed while it idles, then while the whole log is read again: the file
// rewritten with one byte of its header changed, so the same size with a new
// time, which the program reads from the start.
void MeasurePainting(const std::string& vareli, const std::string& folder, std::string log) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string command = "\"" + WinePath(vareli) + "\"";
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        throw std::runtime_error("cannot start " + vareli);
    CloseHandle(info.hThread);
    HWND window = nullptr;
    for (int i = 0; i < 30000 && window == nullptr; ++i) {
        window = FindWindowA("TForm1", nullptr);
        if (window == nullptr || !IsWindowVisible(window)) window = nullptr;
        Sleep(1);
    }
    HWND view = window == nullptr ? nullptr : FindChild(window, "RichEdit20A");
    Check(view != nullptr, "vareli_log shows its window for the answer times");
    if (view != nullptr) {
        Sleep(3000);  // the first reading over, and the check after it
        const std::vector<double> idle = PaintTimes(view, 3.0);
        log[0] = log[0] == 'A' ? 'a' : 'A';
        WriteFileBytes(folder + "\\loki.adi", log);
        // The next look (every 2 s) starts the reading; it ends well within 5 s.
        const std::vector<double> reread = PaintTimes(view, 5.0);
        Print("vareli_log", "answer_idle", idle);
        Print("vareli_log", "answer_reread", reread);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(info.hProcess, 15000) == WAIT_TIMEOUT) {
        Check(false, "vareli_log ends when its window is closed");
        TerminateProcess(info.hProcess, 99);
    }
    CloseHandle(info.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const BenchArgs args(argc, argv);
        const std::string vareli = args.Text("vareli", "");
        const std::string minimal = args.Text("minimal", "");
        const std::string simulator = args.Text("simulator", "");
        if (vareli.empty() || minimal.empty() || simulator.empty())
            throw std::invalid_argument("--vareli, --minimal and --simulator are needed");
        const int rounds = args.Int("rounds", 10);
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        const std::string folder = args.Text("folder", std::string(temp) + "vareli-start-bench");
        const int restored = args.Int("restored", 2000);
        WriteSettings(folder, args.Int("node-port", 7391));
        const int logQsos = args.Int("log-qsos", 0);
        const std::string logFolder = folder + "-log";
        std::string log;
        if (logQsos > 0) {
            const std::vector<std::string> calls =
                ScpCalls(args.Text("scp", "Z:\\usr\\share\\hamradio-files\\MASTER.SCP"));
            if (calls.empty()) throw std::runtime_error("no calls from --scp");
            log = MakeLog(calls, static_cast<unsigned>(logQsos));
            WriteLogFolder(logFolder, args.Int("node-port", 7391), log,
                           args.Text("cty", "Z:\\usr\\share\\hamradio-files\\cty.csv"));
        }

        SimChild sim(simulator, "");
        if (!sim.WaitFor("ready", 20000)) throw std::runtime_error("the simulator is not ready");
        for (int row = 0; row < 19; ++row) sim.Send(BenchSpotCommand(row, 900000 + row));
        if (!sim.Sync(10000)) throw std::runtime_error("the simulator does not answer");

        const Target targets[] = {
            {"minimal", minimal, "", "VareliBenchMinimal", "Static", 0, ""},
            {"vareli", vareli, folder, "TForm1", "RichEdit20A", 19, ""},
            {"vareli_restored", vareli, folder, "TForm1", "RichEdit20A", restored + 19,
             SpotFileText(restored)},
            {"vareli_log", vareli, logFolder, "TForm1", "RichEdit20A", 19, ""},
        };
        const int kTargets = logQsos > 0 ? 4 : 3;
        std::vector<double> window[4], block[4], close[4];
        for (int round = -1; round < rounds; ++round) {
            for (int t = 0; t < kTargets; ++t) {
                const StartTimes times = StartOnce(targets[t]);
                if (round < 0 || !times.ok) continue;
                window[t].push_back(times.window);
                block[t].push_back(times.block);
                close[t].push_back(times.close);
            }
        }
        for (int t = 0; t < kTargets; ++t) {
            Print(targets[t].name, "window", window[t]);
            Print(targets[t].name, "first_block", block[t]);
            Print(targets[t].name, "close", close[t]);
        }
        if (logQsos > 0) MeasurePainting(vareli, logFolder, log);
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        Say(std::string("start_bench: ") + e.what());
        return 2;
    }
}
