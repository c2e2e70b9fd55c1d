// The driver over real Winsock: the node's side through Win32Sockets, whose
// notices come through its hidden window while the message loop turns; the
// clients are plain non-blocking sockets of this program on 127.0.0.1.
#include <winsock2.h>
// after winsock2.h
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/win32/sockets_win32.h"
#include "sockets_driver.h"

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return where;
}

class Win32SocketsDriver : public SocketsDriver {
  public:
    Win32SocketsDriver() {
        WSADATA data;
        ::WSAStartup(0x0202, &data);
    }
    ~Win32SocketsDriver() override {
        for (const Peer& peer : peers_)
            if (peer.socket != INVALID_SOCKET) ::closesocket(peer.socket);
        for (SOCKET s : taken_) ::closesocket(s);
        ::WSACleanup();
    }
    ISockets& Sockets() override { return sockets_; }

    std::uint16_t FreePort() override {
        const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in where = Loopback(0);
        ::bind(s, reinterpret_cast<sockaddr*>(&where), sizeof where);
        int size = sizeof where;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&where), &size);
        ::closesocket(s);
        return ntohs(where.sin_port);
    }
    void TakePort(std::uint16_t port) override {
        const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in where = Loopback(port);
        ::bind(s, reinterpret_cast<sockaddr*>(&where), sizeof where);
        ::listen(s, 1);
        taken_.push_back(s);
    }

    int Connect(std::uint16_t port) override {
        Peer peer;
        peer.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in where = Loopback(port);
        // Completes from the listener's backlog, before anyone accepts.
        ::connect(peer.socket, reinterpret_cast<sockaddr*>(&where), sizeof where);
        u_long nonBlocking = 1;
        ::ioctlsocket(peer.socket, FIONBIO, &nonBlocking);
        peers_.push_back(peer);
        return static_cast<int>(peers_.size()) - 1;
    }
    void PeerSend(int peer, const std::string& bytes) override {
        ::send(peers_[peer].socket, bytes.data(), static_cast<int>(bytes.size()), 0);
    }
    std::string PeerReceive(int peer) override {
        Poll(peers_[peer]);
        std::string got;
        got.swap(peers_[peer].received);
        return got;
    }
    bool PeerSawEnd(int peer) override {
        Poll(peers_[peer]);
        return peers_[peer].sawEnd && peers_[peer].received.empty();
    }
    void PeerClose(int peer) override {
        ::closesocket(peers_[peer].socket);
        peers_[peer].socket = INVALID_SOCKET;
    }
    void PeerReset(int peer) override {
        const linger now{1, 0};
        ::setsockopt(peers_[peer].socket, SOL_SOCKET, SO_LINGER,
                     reinterpret_cast<const char*>(&now), sizeof now);
        PeerClose(peer);
    }

    bool PumpUntil(const std::function<bool()>& done) override {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 5000) return false;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(1);
        }
        return true;
    }

  private:
    struct Peer {
        SOCKET socket = INVALID_SOCKET;
        std::string received;
        bool sawEnd = false;
    };

    static void Poll(Peer& peer) {
        if (peer.socket == INVALID_SOCKET || peer.sawEnd) return;
        char buffer[65536];
        for (;;) {
            const int got = ::recv(peer.socket, buffer, sizeof buffer, 0);
            if (got <= 0) {
                peer.sawEnd = got == 0;
                return;
            }
            peer.received.append(buffer, static_cast<std::size_t>(got));
        }
    }

    Win32Sockets sockets_;
    std::vector<Peer> peers_;
    std::vector<SOCKET> taken_;
};

}  // namespace

std::unique_ptr<SocketsDriver> MakeSocketsDriver() {
    return std::make_unique<Win32SocketsDriver>();
}
