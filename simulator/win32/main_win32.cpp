// VTSim: the teletext-decoder simulator's entry point. Built as a windowed
// (GUI-subsystem) program with no window: WinExec, with which the program
// starts its decoder, returns only once the started program first waits for
// input, and it waits so only for a GUI program (for a console program it
// returns at once, before the service is registered, and the program's one
// connect right after it fails). Standard input and output still work when
// a parent gives them (pipes, or a shell under wine). It runs a message loop
// because DDEML delivers its callbacks only while the thread that made the
// instance takes messages; the service is registered before the loop first
// waits. Control lines from scripts, standard input and DDE
// executes are queued and run here between messages; "sleep" pauses the
// queue, not the loop, so DDE is served while a script waits.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "simulator/command_queue.h"
#include "simulator/controller.h"
#include "simulator/event_log.h"
#include "simulator/options.h"
#include "simulator/win32/dde_server_win32.h"
#include "simulator/win32/mailbox_win32.h"

namespace vtsim {
namespace {

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

StdinKind KindOf(HANDLE input) {
    if (input == nullptr || input == INVALID_HANDLE_VALUE) return StdinKind::None;
    switch (GetFileType(input)) {
        case FILE_TYPE_PIPE:
            return StdinKind::Pipe;
        case FILE_TYPE_DISK:
            return StdinKind::File;
        case FILE_TYPE_CHAR:
            return StdinKind::Character;
        default:
            return StdinKind::None;
    }
}

// WinExec starts a program with STARTF_USESHOWWINDOW and the show value it
// was given; Vareli's start command uses SW_SHOWMINNOACTIVE.
bool StartedMinimised() {
    STARTUPINFOA info = {};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) != 0 &&
           (info.wShowWindow == SW_SHOWMINNOACTIVE || info.wShowWindow == SW_SHOWMINIMIZED ||
            info.wShowWindow == SW_MINIMIZE);
}

bool LoadScript(const std::string& file_name, CommandQueue& queue) {
    std::ifstream file(file_name, std::ios::binary);
    if (!file) return false;
    std::string line;
    while (std::getline(file, line)) queue.Push(line);
    return true;
}

class Host : public ControllerHost {
  public:
    Host(EventLog& log, const Options& options) : log_(log), options_(options) {}

    void Attach(DdeServer& server) { server_ = &server; }
    bool quit() const { return quit_; }

    void Notify() override { server_->PostAdvise(); }
    void Hangup() override { server_->Hangup(); }
    void Quit() override { quit_ = true; }
    void SetDemoTimer(bool on) override {
        demo_on_ = on;
        next_tick_ = NowMs() + options_.interval_ms;
    }
    int UtcMinuteOfDay() override {
        SYSTEMTIME now;
        GetSystemTime(&now);
        return now.wHour * 60 + now.wMinute;
    }
    void Print(const std::string& line) override { log_.Print(line); }

    // Milliseconds until the next demo spot is due; -1 without the demo.
    std::int64_t DemoWaitMs(std::int64_t now) const {
        if (!demo_on_) return -1;
        return now >= next_tick_ ? 0 : next_tick_ - now;
    }
    bool DemoDue(std::int64_t now) {
        if (!demo_on_ || now < next_tick_) return false;
        next_tick_ = now + options_.interval_ms;
        return true;
    }

  private:
    EventLog& log_;
    const Options& options_;
    DdeServer* server_ = nullptr;
    bool quit_ = false;
    bool demo_on_ = false;
    std::int64_t next_tick_ = 0;
};

void RunLine(Controller& controller, CommandQueue& queue, EventLog& log, const std::string& line) {
    try {
        const int pause = controller.Execute(line);
        if (pause > 0) queue.PauseFor(NowMs(), pause);
    } catch (const std::exception& error) {
        log.Print(std::string("error ") + error.what());
    }
}

std::int64_t Sooner(std::int64_t a, std::int64_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return a < b ? a : b;
}

int Run(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        if (const char* env = std::getenv("VTSIM_ARGS")) args = SplitArguments(env);
    }
    Options options;
    try {
        options = ParseOptions(args);
    } catch (const Exception& error) {
        std::fprintf(stderr, "VTSim: %s\n", error.what());
        return 2;
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }

    EventLog log(stdout);
    if (!options.log_file.empty() && !log.OpenFile(options.log_file)) {
        std::fprintf(stderr, "VTSim: cannot open log file '%s'\n", options.log_file.c_str());
        return 2;
    }
    CommandQueue queue;
    for (const auto& script : options.scripts) {
        if (!LoadScript(script, queue)) {
            std::fprintf(stderr, "VTSim: cannot read script '%s'\n", script.c_str());
            return 2;
        }
    }
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const StartMode mode = ChooseStartMode(options, KindOf(input), StartedMinimised());

    Host host(log, options);
    const std::uint32_t seed =
        options.seed_given ? options.seed : GetTickCount() ^ (GetCurrentProcessId() << 16);
    Controller controller(host, seed);
    DdeServer server(options, controller, log,
                     [&queue](const std::string& line) { queue.Push(line); });
    host.Attach(server);

    // Never destroyed: the reader thread may still post while the process exits.
    auto* mailbox = new Mailbox();

    try {
        server.Start();
    } catch (const Exception& error) {
        std::fprintf(stderr, "VTSim: %s\n", error.what());
        return 1;
    }
    log.Print("ready");
    if (mode.demo) RunLine(controller, queue, log, "demo on");
    if (mode.read_stdin && !StartLineReader(input, *mailbox)) log.Print("error no stdin reader");

    while (!host.quit()) {
        bool ended = false;
        for (auto& line : mailbox->Take(ended)) queue.Push(std::move(line));
        if (ended) {
            // Queued, so "eof" follows the events of every line read before it.
            queue.Push("echo eof");
            if (options.quit_on_eof) queue.Push("quit");
        }
        std::int64_t now = NowMs();
        while (!host.quit() && queue.Ready(now)) {
            RunLine(controller, queue, log, queue.Pop());
            now = NowMs();
        }
        if (host.quit()) break;
        if (host.DemoDue(now)) controller.DemoTick();

        const std::int64_t wait = Sooner(queue.WaitMs(now), host.DemoWaitMs(now));
        const HANDLE event = mailbox->Event();
        MsgWaitForMultipleObjects(1, &event, FALSE, wait < 0 ? INFINITE : static_cast<DWORD>(wait),
                                  QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) host.Quit();
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    log.Print("quit");
    server.Stop();
    return 0;
}

}  // namespace
}  // namespace vtsim

int main(int argc, char** argv) {
    // Plain "\n" line ends on every output, whatever reads it.
    _setmode(_fileno(stdout), _O_BINARY);
    const int code = vtsim::Run(argc, argv);
    std::fflush(stdout);
    // Leave without running destructors: the standard-input reader may be
    // blocked in ReadFile and still holds the mailbox.
    ExitProcess(static_cast<UINT>(code));
}
