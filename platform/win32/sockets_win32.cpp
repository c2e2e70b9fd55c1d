// Winsock 2 straight through, plus the hidden window that turns
// WSAAsyncSelect's messages into notice calls on the user-interface thread.
// winsock2.h comes before windows.h (WIN32_LEAN_AND_MEAN keeps the old
// winsock.h out of windows.h).
#include "platform/win32/sockets_win32.h"

#include <winsock2.h>
// after winsock2.h
#include <mstcpip.h>
#include <windows.h>

#include <exception>
#include <utility>

#include "rtl/error_report.h"

namespace {

constexpr UINT kNoticeMessage = WM_USER + 1;
constexpr UINT kTickMessage = WM_USER + 2;
constexpr std::uintptr_t kTickTimer = 1;
constexpr const char* kWindowClass = "VareliSocketNotices";

SOCKET AsSocket(std::uintptr_t s) {
    return static_cast<SOCKET>(s);
}

LRESULT CALLBACK NoticeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool tick = message == kTickMessage;
    if (message != kNoticeMessage && !tick) return DefWindowProcA(window, message, wParam, lParam);
    auto* owner = reinterpret_cast<Win32Sockets*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (owner == nullptr) return 0;
    ErrorReport::Guard([&] {
        if (tick)
            owner->Tick(static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam));
        else
            owner->Deliver(static_cast<std::uintptr_t>(wParam), WSAGETSELECTEVENT(lParam),
                           WSAGETSELECTERROR(lParam));
    });
    return 0;
}

}  // namespace

Win32Sockets::Win32Sockets() : ticks_(kTickMessage) {}

Win32Sockets::~Win32Sockets() {
    // No tick callback may outlive the window.
    ticks_.StopAll();
    if (window_ != nullptr) DestroyWindow(static_cast<HWND>(window_));
}

int Win32Sockets::WSAStartup(std::uint16_t version) {
    WSADATA data;
    return ::WSAStartup(version, &data);
}

int Win32Sockets::WSACleanup() {
    return ::WSACleanup();
}

std::uintptr_t Win32Sockets::socket(int af, int type, int protocol) {
    const SOCKET s = ::socket(af, type, protocol);
    return s == INVALID_SOCKET ? kInvalidSocket : static_cast<std::uintptr_t>(s);
}

int Win32Sockets::setsockopt(std::uintptr_t s, int level, int optname, int value) {
    return ::setsockopt(AsSocket(s), level, optname, reinterpret_cast<const char*>(&value),
                        sizeof value);
}

int Win32Sockets::KeepAlive(std::uintptr_t s, std::uint32_t idleMs, std::uint32_t intervalMs) {
    tcp_keepalive values{};
    values.onoff = 1;
    values.keepalivetime = idleMs;
    values.keepaliveinterval = intervalMs;
    DWORD returned = 0;
    return ::WSAIoctl(AsSocket(s), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0,
                      &returned, nullptr, nullptr);
}

int Win32Sockets::bind(std::uintptr_t s, std::uint32_t address, std::uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = htonl(address);
    return ::bind(AsSocket(s), reinterpret_cast<const sockaddr*>(&where), sizeof where);
}

int Win32Sockets::listen(std::uintptr_t s, int backlog) {
    return ::listen(AsSocket(s), backlog);
}

std::uintptr_t Win32Sockets::accept(std::uintptr_t s) {
    const SOCKET accepted = ::accept(AsSocket(s), nullptr, nullptr);
    return accepted == INVALID_SOCKET ? kInvalidSocket : static_cast<std::uintptr_t>(accepted);
}

int Win32Sockets::recv(std::uintptr_t s, char* buffer, int length, int flags) {
    return ::recv(AsSocket(s), buffer, length, flags);
}

int Win32Sockets::send(std::uintptr_t s, const char* buffer, int length, int flags) {
    return ::send(AsSocket(s), buffer, length, flags);
}

int Win32Sockets::shutdown(std::uintptr_t s, int how) {
    return ::shutdown(AsSocket(s), how);
}

int Win32Sockets::closesocket(std::uintptr_t s) {
    return ::closesocket(AsSocket(s));
}

int Win32Sockets::WSAAsyncSelect(std::uintptr_t s, std::uint32_t events) {
    if (!MakeWindow()) {
        ::WSASetLastError(static_cast<int>(GetLastError()));
        return SOCKET_ERROR;
    }
    return ::WSAAsyncSelect(AsSocket(s), static_cast<HWND>(window_), kNoticeMessage,
                            static_cast<long>(events));
}

int Win32Sockets::WSAGetLastError() {
    return ::WSAGetLastError();
}

void Win32Sockets::SetNoticeHandler(NoticeHandler handler) {
    handler_ = std::move(handler);
}

bool Win32Sockets::SetTickHandler(TickHandler tick, std::uint32_t intervalMs) {
    tick_ = std::move(tick);
    if (!tick_) {
        ticks_.Stop(kTickTimer);
        return true;
    }
    // A tick of the handler before, posted already, is dropped by Take.
    return MakeWindow() && ticks_.Start(window_, kTickTimer, intervalMs);
}

void Win32Sockets::Tick(std::uintptr_t wParam, std::intptr_t lParam) {
    if (!ticks_.Take(wParam, lParam)) return;  // posted before a stop or restart
    const TickHandler tick = tick_;            // a copy, as in Deliver
    if (tick) tick();
}

void Win32Sockets::Deliver(std::uintptr_t socket, std::uint32_t event, int error) {
    // A copy: the handler may replace itself (a node that stops).
    const NoticeHandler handler = handler_;
    if (handler) handler(socket, event, error);
}

bool Win32Sockets::MakeWindow() {
    if (window_ != nullptr) return true;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = NoticeWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    const HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        instance, nullptr);
    if (window == nullptr) return false;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = window;
    return true;
}
