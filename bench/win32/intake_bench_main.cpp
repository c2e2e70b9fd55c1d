// The intake benchmark on the real rich-text control: a window with the main
// window's spot view, shown, on the Win32 toolkit, under wine or Windows.
//   intake_bench [--sizes 100,1000,10000,100000] [--runs 5] [--naive-budget 20]
// Prints its figures (see bench/intake_bench.h); exit code 1 when a check of
// a run's outcome failed, 2 on a bad command line or a failure to start.
#include <windows.h>

#include <exception>

#include "bench/args.h"
#include "bench/bench_form.h"
#include "bench/intake_bench.h"
#include "bench/report.h"
#include "platform/seam.h"
#include "platform/win32/locale_win32.h"
#include "rtl/main_thread.h"
#include "ui/application.h"
#include "ui/win32/widget_set_win32.h"

int main(int argc, char** argv) {
    try {
        const BenchArgs args(argc, argv);
        IntakeBenchConfig config;
        config.sizes = args.Ints("sizes", config.sizes);
        config.runs = args.Int("runs", config.runs);
        config.naiveBudget = args.Real("naive-budget", config.naiveBudget);

        MainThread::SetCurrentAsMain();
        Win32Locale locale;
        ScopedSeam<ILocale> localeSeam(&locale);
        TWin32WidgetSet widgets(GetModuleHandleA(nullptr));
        ScopedSeam<IWidgetSet> widgetSeam(&widgets);
        TApplication application(nullptr, widgets);
        application.SetTitle("Vareli bench");
        TBenchForm* form = nullptr;
        application.CreateForm(form);
        form->Show();
        application.ProcessMessages();
        const bool ok =
            RunIntakeBench(*form, config, [&application] { application.ProcessMessages(); });
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        Say(std::string("intake_bench: ") + e.what());
        return 2;
    }
}
