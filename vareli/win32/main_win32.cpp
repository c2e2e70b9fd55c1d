// Vareli's entry point: installs the Win32 side of every platform seam, then
// starts the program. Nothing may unwind out of WinMain: a failure to start
// (no DDE instance) is shown in a message box and ends the program.
#include <windows.h>

#include "CommInt/comm.h"
#include "platform/seam.h"
#include "platform/win32/comm_win32.h"
#include "platform/win32/ddeml_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/sockets_win32.h"
#include "platform/win32/speaker_win32.h"
#include "platform/win32/sync_win32.h"
#include "platform/win32/threads_win32.h"
#include "rtl/main_thread.h"
#include "rtl/sysutils.h"
#include "ui/win32/widget_set_win32.h"
#include "vareli/program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    MainThread::SetCurrentAsMain();
    Win32Locale locale;
    Win32ThreadControl threads;
    Win32Files files;
    Win32Sync sync;
    Win32Comm comm;
    Win32Speaker speaker;
    Win32Ddeml ddeml;
    Win32Sockets sockets;
    ScopedSeam<ILocale> localeSeam(&locale);
    ScopedSeam<IThreadControl> threadSeam(&threads);
    ScopedSeam<IFiles> filesSeam(&files);
    ScopedSeam<ISync> syncSeam(&sync);
    ScopedSeam<IComm> commSeam(&comm);
    ScopedSeam<ISpeaker> speakerSeam(&speaker);
    ScopedSeam<IDdeml> ddemlSeam(&ddeml);
    ScopedSeam<ISockets> socketsSeam(&sockets);
    try {
        TWin32WidgetSet widgets(instance);
        ScopedSeam<IWidgetSet> widgetSeam(&widgets);
        char exeFileName[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exeFileName, sizeof exeFileName);
        VareliProgram program(widgets, exeFileName);
        program.Run();
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "Vareli", MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}
