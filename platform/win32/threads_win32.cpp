// GetCurrentThread gives a pseudo handle that means "the caller" wherever it is
// used, so the thread duplicates it into a real one that others can use.
#include "platform/win32/threads_win32.h"

#include <windows.h>

std::uintptr_t Win32ThreadControl::OpenCurrentThread() {
    HANDLE real = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &real, 0,
                         FALSE, DUPLICATE_SAME_ACCESS))
        return 0;
    return reinterpret_cast<std::uintptr_t>(real);
}

bool Win32ThreadControl::SetThreadPriority(std::uintptr_t thread, int priority) {
    return ::SetThreadPriority(reinterpret_cast<HANDLE>(thread), priority) != FALSE;
}

void Win32ThreadControl::CloseThread(std::uintptr_t thread) {
    CloseHandle(reinterpret_cast<HANDLE>(thread));
}
