// Blocking Winsock clients; the read client's thread ends when its socket is
// closed by the node or by the destructor.
#include "bench/win32/node_clients.h"

#include "bench/clock.h"

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    where.sin_port = htons(port);
    return where;
}

}  // namespace

NodeClients::~NodeClients() {
    for (SOCKET s : sockets_) closesocket(s);
    if (reader_.joinable()) reader_.join();
    WSACleanup();
}

bool NodeClients::Connect(std::uint16_t port, int count) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    const sockaddr_in where = Loopback(port);
    for (int i = 0; i < count; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET) return false;
        sockets_.push_back(s);
        if (connect(s, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0) return false;
        const char login[] = "BENCH\r\n";  // taken even before the prompt
        if (send(s, login, sizeof login - 1, 0) != static_cast<int>(sizeof login - 1)) return false;
    }
    if (!sockets_.empty()) reader_ = std::thread([this] { ReadLoop(sockets_.front()); });
    return true;
}

void NodeClients::ReadLoop(SOCKET s) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        const double now = BenchNow();
        pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
            std::string line = pending.substr(0, end + 2);
            pending.erase(0, end + 2);
            if (line.rfind("DX de ", 0) != 0) continue;
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(std::move(line));
            arrivals_.push_back(now);
            ++count_;
        }
    }
}

std::string NodeClients::Line(std::size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_.at(index);
}

double NodeClients::Arrival(std::size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return arrivals_.at(index);
}

std::uint16_t FreeTcpPort() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where = Loopback(0);
    int size = sizeof where;
    std::uint16_t port = 0;
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&where), &size) == 0)
        port = ntohs(where.sin_port);
    if (s != INVALID_SOCKET) closesocket(s);
    WSACleanup();
    return port;
}
