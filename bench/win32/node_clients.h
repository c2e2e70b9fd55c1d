// The cluster node's clients for the latency benchmark: connections to
// 127.0.0.1, each logged in; one of them read on a thread of its own, which
// notes when each "DX de" line arrives (BenchNow) and keeps its text. The
// others never read: they stand for idle logging programs.
// Owned by the benchmark's main thread; Lines and Arrivals from any thread.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class NodeClients {
  public:
    NodeClients() = default;
    ~NodeClients();
    NodeClients(const NodeClients&) = delete;
    NodeClients& operator=(const NodeClients&) = delete;

    // Connects `count` clients and logs each in; false when one cannot connect.
    bool Connect(std::uint16_t port, int count);
    // The "DX de" lines the read client has received (with CR LF), and when.
    std::size_t Count() const { return count_; }
    std::string Line(std::size_t index) const;
    double Arrival(std::size_t index) const;

  private:
    void ReadLoop(SOCKET s);

    std::vector<SOCKET> sockets_;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::vector<double> arrivals_;
    std::atomic<std::size_t> count_{0};
};

// A TCP port of 127.0.0.1 that nothing listens on now.
std::uint16_t FreeTcpPort();
