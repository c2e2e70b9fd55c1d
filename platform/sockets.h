// Seam for the Winsock 2 calls of a small TCP server driven by the message
// loop. One method per call, same arguments and results as far as a portable
// type carries them: sockets as opaque integers, an IPv4 address and port in
// host byte order instead of a sockaddr_in, accept without the peer's address,
// setsockopt with an int option only, and keep-alive as one call.
//
// WSAAsyncSelect's window and message belong to the backend: it turns each
// message into a call of the notice handler, on the thread that runs the
// message loop (the user-interface thread), and catches whatever the handler
// throws (it goes to ErrorReport). Notices can arrive late: for a socket
// already closed, or one whose handle a later accept handed out again, so a
// handler treats a notice as a hint and lets the call that follows say what
// really happened (WSAEWOULDBLOCK: nothing). Notices can also go missing
// (wine re-arms FD_ACCEPT only after an accept that took a connection), so
// the backend also offers a tick on the same thread, for a server that looks
// for itself now and then.
//
// Call from the user-interface thread only; nothing here throws.
#pragma once

#include <cstdint>
#include <functional>

constexpr std::uintptr_t kInvalidSocket = ~static_cast<std::uintptr_t>(0);
constexpr int kSocketError = -1;

// socket
constexpr int kAfInet = 2;
constexpr int kSockStream = 1;
constexpr int kIpprotoTcp = 6;
// setsockopt
constexpr int kSolSocket = 0xffff;
constexpr int kSoReuseAddr = 0x0004;
constexpr int kSoExclusiveAddrUse = ~kSoReuseAddr;
// bind (host byte order)
constexpr std::uint32_t kInaddrAny = 0;
constexpr std::uint32_t kInaddrLoopback = 0x7f000001;
// shutdown
constexpr int kSdSend = 1;
// WSAAsyncSelect events; a notice carries one of them
constexpr std::uint32_t kFdRead = 0x01;
constexpr std::uint32_t kFdWrite = 0x02;
constexpr std::uint32_t kFdAccept = 0x08;
constexpr std::uint32_t kFdClose = 0x20;
// WSAGetLastError
constexpr int kWsaEWouldBlock = 10035;
constexpr int kWsaENotSock = 10038;
constexpr int kWsaEAddrInUse = 10048;
constexpr int kWsaEConnReset = 10054;
constexpr int kWsaEShutdown = 10058;
constexpr int kWsaEConnRefused = 10061;

class ISockets {
  public:
    // The socket, one network event, and the error WSAGETSELECTERROR gives.
    using NoticeHandler =
        std::function<void(std::uintptr_t socket, std::uint32_t event, int error)>;
    using TickHandler = std::function<void()>;

    virtual ~ISockets() = default;

    // Returns 0 or the error (no WSADATA: nothing in it is used).
    virtual int WSAStartup(std::uint16_t version) = 0;
    virtual int WSACleanup() = 0;
    // kInvalidSocket on failure.
    virtual std::uintptr_t socket(int af, int type, int protocol) = 0;
    virtual int setsockopt(std::uintptr_t s, int level, int optname, int value) = 0;
    // TCP keep-alive on, its first probe after `idleMs` without traffic and
    // the next ones `intervalMs` apart (SIO_KEEPALIVE_VALS); 0 or the error.
    virtual int KeepAlive(std::uintptr_t s, std::uint32_t idleMs, std::uint32_t intervalMs) = 0;
    virtual int bind(std::uintptr_t s, std::uint32_t address, std::uint16_t port) = 0;
    virtual int listen(std::uintptr_t s, int backlog) = 0;
    // kInvalidSocket on failure (WSAEWOULDBLOCK: none waiting).
    virtual std::uintptr_t accept(std::uintptr_t s) = 0;
    // Bytes read, 0 at the peer's orderly close, kSocketError on failure.
    virtual int recv(std::uintptr_t s, char* buffer, int length, int flags) = 0;
    // Bytes taken (maybe fewer than asked), kSocketError on failure.
    virtual int send(std::uintptr_t s, const char* buffer, int length, int flags) = 0;
    // Ends sending (kSdSend): what was sent goes out before the end, even
    // when a close follows at once; 0 or kSocketError.
    virtual int shutdown(std::uintptr_t s, int how) = 0;
    virtual int closesocket(std::uintptr_t s) = 0;
    // Makes the socket non-blocking and asks for notices of the events
    // (kFd* bits) through the handler below; 0 events asks for none.
    virtual int WSAAsyncSelect(std::uintptr_t s, std::uint32_t events) = 0;
    virtual int WSAGetLastError() = 0;

    // Where notices go; an empty handler drops them.
    virtual void SetNoticeHandler(NoticeHandler handler) = 0;
    // Calls `tick` about every `intervalMs` from the message loop until an
    // empty handler stops it; false when the system gives no timer.
    virtual bool SetTickHandler(TickHandler tick, std::uint32_t intervalMs) = 0;
};
