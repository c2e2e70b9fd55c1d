// The Winsock 2 calls behind ISockets. WSAAsyncSelect's notices go to a
// message-only window of the backend's own, made on first use on the calling
// (user-interface) thread and destroyed with the backend; its window
// procedure hands each notice and timer tick to its handler and reports what
// the handler throws, since nothing may unwind through a window procedure.
// The tick is a posted message (PostedTicks), not WM_TIMER: a client whose
// data keeps FD_READ notices posted would hold a WM_TIMER back for as long as
// it sends, and the tick is what catches up on lost notices.
#pragma once

#include "platform/sockets.h"
#include "platform/win32/posted_ticks_win32.h"

class Win32Sockets : public ISockets {
  public:
    Win32Sockets();
    ~Win32Sockets() override;
    Win32Sockets(const Win32Sockets&) = delete;
    Win32Sockets& operator=(const Win32Sockets&) = delete;

    int WSAStartup(std::uint16_t version) override;
    int WSACleanup() override;
    std::uintptr_t socket(int af, int type, int protocol) override;
    int setsockopt(std::uintptr_t s, int level, int optname, int value) override;
    int KeepAlive(std::uintptr_t s, std::uint32_t idleMs, std::uint32_t intervalMs) override;
    int bind(std::uintptr_t s, std::uint32_t address, std::uint16_t port) override;
    int listen(std::uintptr_t s, int backlog) override;
    std::uintptr_t accept(std::uintptr_t s) override;
    int recv(std::uintptr_t s, char* buffer, int length, int flags) override;
    int send(std::uintptr_t s, const char* buffer, int length, int flags) override;
    int shutdown(std::uintptr_t s, int how) override;
    int closesocket(std::uintptr_t s) override;
    int WSAAsyncSelect(std::uintptr_t s, std::uint32_t events) override;
    int WSAGetLastError() override;
    void SetNoticeHandler(NoticeHandler handler) override;
    bool SetTickHandler(TickHandler tick, std::uint32_t intervalMs) override;

    // For the window procedure.
    void Deliver(std::uintptr_t socket, std::uint32_t event, int error);
    void Tick(std::uintptr_t wParam, std::intptr_t lParam);

  private:
    bool MakeWindow();

    void* window_ = nullptr;  // HWND
    NoticeHandler handler_;
    TickHandler tick_;
    PostedTicks ticks_;
};
