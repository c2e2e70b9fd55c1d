// The forwarding benchmark: lines per second written to a serial port as the
// program forwards a spot, opening the port, writing one 44-byte line (the
// row and CR LF) and closing it again for each line, through the serial
// component (TComm, with its watcher thread, time-outs and line settings) or,
// as the yardstick, through straight CreateFileA / WriteFile / CloseHandle.
//   comm_bench --port COM5 [--lines 2000] [--method tcomm|raw]
// Meant for a COM port of wine mapped to a pty whose other end the driver
// drains and counts (bench/run_bench.py). Prints its figures; exit code 1
// when a line could not be written, 2 when it could not run.
#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "CommInt/comm.h"
#include "bench/args.h"
#include "bench/clock.h"
#include "bench/report.h"
#include "bench/spot_text.h"
#include "platform/seam.h"
#include "platform/win32/comm_win32.h"
#include "platform/win32/sync_win32.h"
#include "platform/win32/threads_win32.h"
#include "rtl/main_thread.h"

namespace {

bool WriteRaw(const std::string& port, const std::string& line) {
    const std::string device = "\\\\.\\" + port;
    HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
        written == line.size();
    CloseHandle(handle);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const BenchArgs args(argc, argv);
        const std::string port = args.Text("port", "");
        if (port.empty()) throw std::invalid_argument("--port COMn is needed");
        const int lines = args.Int("lines", 2000);
        const std::string method = args.Text("method", "tcomm");
        if (method != "tcomm" && method != "raw")
            throw std::invalid_argument("--method is tcomm or raw");

        MainThread::SetCurrentAsMain();
        Win32ThreadControl threads;
        Win32Sync sync;
        Win32Comm comm;
        ScopedSeam<IThreadControl> threadSeam(&threads);
        ScopedSeam<ISync> syncSeam(&sync);
        ScopedSeam<IComm> commSeam(&comm);
        TComm component(nullptr);
        component.SetDeviceName(port);
        // The events the main window's serial component watches: all of them.
        component.SetMonitorEvents(AllCommEvents());

        int failed = 0;
        double opening = 0;  // the component's steps, summed over the lines
        double writing = 0;
        double closing = 0;
        const double start = BenchNow();
        for (int i = 0; i < lines; ++i) {
            const std::string line = BenchSpotRow(i) + "\r\n";
            if (method == "raw") {
                if (!WriteRaw(port, line)) ++failed;
                continue;
            }
            const double t0 = BenchNow();
            component.Open();
            const double t1 = BenchNow();
            if (component.Write(line.data(), static_cast<int>(line.size())) == -1) ++failed;
            const double t2 = BenchNow();
            component.Close();
            const double t3 = BenchNow();
            opening += t1 - t0;
            writing += t2 - t1;
            closing += t3 - t2;
        }
        const double seconds = BenchNow() - start;
        Fields fields{{"method", method},
                      {"lines", std::to_string(lines)},
                      {"bytes", std::to_string(lines * 44)},
                      {"failed", std::to_string(failed)},
                      {"seconds", Number(seconds)},
                      {"per_line", Number(seconds / lines)}};
        if (method == "tcomm") {
            fields.push_back({"open", Number(opening / lines)});
            fields.push_back({"write", Number(writing / lines)});
            fields.push_back({"close", Number(closing / lines)});
        }
        PrintRecord("pty", fields);
        return failed == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        Say(std::string("comm_bench: ") + e.what());
        return 2;
    }
}
