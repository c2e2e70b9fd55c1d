// An ISockets for tests, with the client ends ("peers") in the test's hands.
// Notices queue up as Winsock posts them (accept waiting, data arriving, data
// left after a recv, room again after a send was refused, the peer's close)
// and reach the handler only when the test pumps them, as the message loop
// would. Each connection has a window: the bytes the system holds for a
// peer that has not read them; a send beyond it is refused with
// WSAEWOULDBLOCK until the peer takes what it got.
//
// It refuses what Winsock refuses: a send after shutdown (WSAESHUTDOWN), a
// port an open socket holds (WSAEADDRINUSE); and it posts a peer's close
// once what the peer sent is read, as wine does. The contract it keeps with
// the real sockets is tests/relay/sockets_contract_test.cpp, run on both.
// It records the faults a server must not commit: any call on a socket that
// is closed or was never made. Handles are never reused.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/sockets.h"

class FakeSockets : public ISockets {
  public:
    int startupError = 0;
    std::set<std::uint16_t> portsInUse;  // bind fails with WSAEADDRINUSE
    std::size_t defaultWindow = 1 << 20;

    int startups = 0, cleanups = 0;
    std::uint32_t boundAddress = 0;
    std::uint16_t boundPort = 0;
    std::vector<std::string> faults;
    std::vector<int> options;  // setsockopt's option names, in order
    std::uint32_t keepAliveIdleMs = 0, keepAliveIntervalMs = 0;  // the last asked for
    int keepAlives = 0;
    std::size_t largestSend = 0;  // the most bytes one send was asked to take
    int resetBeforeAccept = 0;    // accepts that find their connection reset

    // --- the peers
    // A client connecting to the port; -1 when nothing listens there.
    int Connect(std::uint16_t port) {
        for (auto& entry : sockets_) {
            Socket& listener = entry.second;
            if (!listener.listening || listener.port != port) continue;
            peers_.push_back(Peer{});
            peers_.back().window = defaultWindow;
            listener.backlog.push_back(static_cast<int>(peers_.size()) - 1);
            Post(entry.first, kFdAccept);
            return static_cast<int>(peers_.size()) - 1;
        }
        return -1;
    }
    void PeerSend(int peer, const std::string& bytes) {
        peers_[peer].inbound += bytes;
        Post(peers_[peer].socket, kFdRead);
    }
    // What the node sent since the last take; the peer has read it.
    std::string PeerTake(int peer) {
        Peer& p = peers_[peer];
        std::string got;
        got.swap(p.outbound);
        if (p.wantWrite) {
            p.wantWrite = false;
            Post(p.socket, kFdWrite);
        }
        return got;
    }
    // A peer that sends without end: after every recv that reads from it, it
    // sends `bytes` again, `refills` times at most (a bound, so that a server
    // that reads until the socket is empty still comes back, and a test can
    // count its reads).
    void PeerFlood(int peer, const std::string& bytes, int refills) {
        peers_[peer].flood = bytes;
        peers_[peer].refills = refills;
        PeerSend(peer, bytes);
    }
    // recv calls on the peer's connection.
    int Reads(int peer) const { return peers_[peer].reads; }
    // Its close notice comes once what it sent is read, as wine posts it.
    void PeerClose(int peer) {
        peers_[peer].closedByPeer = true;
        peers_[peer].refills = 0;
        if (peers_[peer].inbound.empty()) Post(peers_[peer].socket, kFdClose);
    }
    // An abortive close: what it sent is gone, recv and send fail with
    // WSAECONNRESET.
    void PeerReset(int peer) {
        Peer& p = peers_[peer];
        p.reset = p.closedByPeer = true;
        p.refills = 0;
        p.inbound.clear();
        Post(p.socket, kFdClose);
    }
    void SetWindow(int peer, std::size_t bytes) { peers_[peer].window = bytes; }
    bool ClosedByNode(int peer) const { return peers_[peer].closedByNode; }
    // The node ended its sending before it closed: its last words reach the
    // peer even if a reset follows.
    bool ShutDownByNode(int peer) const { return peers_[peer].shutDown; }
    // The peer has taken all the node sent, and then the end of it.
    bool PeerSawEnd(int peer) const {
        const Peer& p = peers_[peer];
        return (p.shutDown || p.closedByNode) && p.outbound.empty();
    }

    // Notices the system never delivers.
    void LoseNotices() { notices_.clear(); }
    // One turn of the timer, when one is set.
    bool Tick() {
        if (!tick_) return false;
        const TickHandler tick = tick_;
        tick();
        return true;
    }
    std::uint32_t TickInterval() const { return tick_ ? tickIntervalMs_ : 0; }

    // Delivers the queued notices, and those they lead to, in order.
    void Pump() {
        for (int delivered = 0; !notices_.empty(); ++delivered) {
            if (delivered == 100000) {
                faults.push_back("notices without end");
                return;
            }
            const Notice notice = notices_.front();
            notices_.pop_front();
            if (handler_) handler_(notice.socket, notice.event, 0);
        }
    }
    std::size_t OpenSockets() const {
        std::size_t open = 0;
        for (const auto& entry : sockets_) open += entry.second.open ? 1 : 0;
        return open;
    }

    // --- ISockets
    int WSAStartup(std::uint16_t) override {
        if (startupError == 0) ++startups;
        return startupError;
    }
    int WSACleanup() override {
        ++cleanups;
        return 0;
    }
    std::uintptr_t socket(int af, int type, int protocol) override {
        if (af != kAfInet || type != kSockStream || protocol != kIpprotoTcp)
            faults.push_back("socket: not TCP over IPv4");
        return NewSocket(-1);
    }
    int setsockopt(std::uintptr_t s, int, int optname, int) override {
        options.push_back(optname);
        return Check(s, "setsockopt");
    }
    int KeepAlive(std::uintptr_t s, std::uint32_t idleMs, std::uint32_t intervalMs) override {
        ++keepAlives;
        keepAliveIdleMs = idleMs;
        keepAliveIntervalMs = intervalMs;
        return Check(s, "KeepAlive");
    }
    int bind(std::uintptr_t s, std::uint32_t address, std::uint16_t port) override {
        if (Check(s, "bind") != 0) return kSocketError;
        // Taken by another program, or by an open socket of this one.
        if (portsInUse.count(port) != 0) return Fail(kWsaEAddrInUse);
        for (const auto& entry : sockets_)
            if (entry.second.open && entry.second.port == port) return Fail(kWsaEAddrInUse);
        boundAddress = address;
        boundPort = port;
        sockets_[s].port = port;
        return 0;
    }
    int listen(std::uintptr_t s, int) override {
        if (Check(s, "listen") != 0) return kSocketError;
        sockets_[s].listening = true;
        return 0;
    }
    std::uintptr_t accept(std::uintptr_t s) override {
        if (Check(s, "accept") != 0) return kInvalidSocket;
        Socket& listener = sockets_[s];
        if (listener.backlog.empty()) {
            Fail(kWsaEWouldBlock);
            return kInvalidSocket;
        }
        const int peer = listener.backlog.front();
        listener.backlog.pop_front();
        if (resetBeforeAccept > 0) {
            --resetBeforeAccept;
            Fail(kWsaEConnReset);
            return kInvalidSocket;
        }
        const std::uintptr_t accepted = NewSocket(peer);
        peers_[peer].socket = accepted;
        return accepted;
    }
    int recv(std::uintptr_t s, char* buffer, int length, int) override {
        if (Check(s, "recv") != 0) return kSocketError;
        Peer& p = peers_[sockets_[s].peer];
        ++p.reads;
        if (p.reset) return Fail(kWsaEConnReset);
        if (p.inbound.empty()) return p.closedByPeer ? 0 : Fail(kWsaEWouldBlock);
        const std::size_t n = std::min(p.inbound.size(), static_cast<std::size_t>(length));
        p.inbound.copy(buffer, n);
        p.inbound.erase(0, n);
        if (p.refills > 0) {
            --p.refills;
            p.inbound += p.flood;
        }
        if (!p.inbound.empty())
            Post(s, kFdRead);
        else if (p.closedByPeer)
            Post(s, kFdClose);
        return static_cast<int>(n);
    }
    int send(std::uintptr_t s, const char* buffer, int length, int) override {
        if (Check(s, "send") != 0) return kSocketError;
        largestSend = std::max(largestSend, static_cast<std::size_t>(length));
        // As Winsock: nothing more once the sending was ended.
        if (sockets_[s].shutDown) return Fail(kWsaEShutdown);
        Peer& p = peers_[sockets_[s].peer];
        if (p.reset) return Fail(kWsaEConnReset);
        const std::size_t room = p.window > p.outbound.size() ? p.window - p.outbound.size() : 0;
        if (room == 0) {
            p.wantWrite = true;
            return Fail(kWsaEWouldBlock);
        }
        const std::size_t n = std::min(room, static_cast<std::size_t>(length));
        p.outbound.append(buffer, n);
        return static_cast<int>(n);
    }
    int shutdown(std::uintptr_t s, int how) override {
        if (Check(s, "shutdown") != 0) return kSocketError;
        if (how != kSdSend) return 0;
        sockets_[s].shutDown = true;
        if (sockets_[s].peer >= 0) peers_[sockets_[s].peer].shutDown = true;
        return 0;
    }
    int closesocket(std::uintptr_t s) override {
        if (Check(s, "closesocket") != 0) return kSocketError;
        Socket& closed = sockets_[s];
        closed.open = false;
        closed.listening = false;
        if (closed.peer >= 0) peers_[closed.peer].closedByNode = true;
        return 0;
    }
    int WSAAsyncSelect(std::uintptr_t s, std::uint32_t events) override {
        if (Check(s, "WSAAsyncSelect") != 0) return kSocketError;
        Socket& selected = sockets_[s];
        selected.events = events;
        if (selected.peer >= 0) {
            const Peer& p = peers_[selected.peer];
            if (!p.inbound.empty()) Post(s, kFdRead);
            if (p.closedByPeer && p.inbound.empty()) Post(s, kFdClose);
            Post(s, kFdWrite);
        } else if (!selected.backlog.empty()) {
            Post(s, kFdAccept);
        }
        return 0;
    }
    int WSAGetLastError() override { return lastError_; }
    void SetNoticeHandler(NoticeHandler handler) override { handler_ = std::move(handler); }
    bool SetTickHandler(TickHandler tick, std::uint32_t intervalMs) override {
        tick_ = std::move(tick);
        tickIntervalMs_ = intervalMs;
        return true;
    }

  private:
    struct Socket {
        int peer = -1;  // the connection's client end; -1 for a listener
        bool open = true;
        bool listening = false;
        bool shutDown = false;  // its sending ended
        std::uint16_t port = 0;
        std::uint32_t events = 0;
        std::deque<int> backlog;
    };
    struct Peer {
        std::uintptr_t socket = kInvalidSocket;  // until accepted
        std::string inbound;                     // sent by the peer, not yet read
        std::string outbound;                    // sent by the node, not yet taken
        std::size_t window = 0;
        std::string flood;  // sent again after every read, `refills` times
        int refills = 0;
        int reads = 0;
        bool wantWrite = false;
        bool closedByPeer = false;
        bool reset = false;
        bool closedByNode = false;
        bool shutDown = false;
    };
    struct Notice {
        std::uintptr_t socket;
        std::uint32_t event;
    };

    std::uintptr_t NewSocket(int peer) {
        const std::uintptr_t handle = nextHandle_;
        nextHandle_ += 4;
        sockets_[handle].peer = peer;
        return handle;
    }
    int Check(std::uintptr_t s, const char* call) {
        const auto found = sockets_.find(s);
        if (found != sockets_.end() && found->second.open) return 0;
        faults.push_back(std::string(call) + " on a socket not open");
        return Fail(kWsaENotSock);
    }
    int Fail(int error) {
        lastError_ = error;
        return kSocketError;
    }
    // As Winsock: only for a socket that asked for the event.
    void Post(std::uintptr_t s, std::uint32_t event) {
        const auto found = sockets_.find(s);
        if (found == sockets_.end() || (found->second.events & event) == 0) return;
        notices_.push_back(Notice{s, event});
    }

    std::map<std::uintptr_t, Socket> sockets_;
    std::vector<Peer> peers_;
    std::deque<Notice> notices_;
    NoticeHandler handler_;
    TickHandler tick_;
    std::uint32_t tickIntervalMs_ = 0;
    std::uintptr_t nextHandle_ = 0x100;
    int lastError_ = 0;
};
