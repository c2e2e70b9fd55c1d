// What the node relies on in the sockets, checked the same way on the fake
// (host) and on real Winsock under wine (tests/wine/node links this file
// with its own driver), so that the fake never takes what the system refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sockets_driver.h"

namespace {

class SocketContract : public ::testing::Test {
  protected:
    struct Notice {
        std::uintptr_t socket;
        std::uint32_t event;
    };

    void SetUp() override {
        ASSERT_EQ(s.WSAStartup(0x0202), 0);
        s.SetNoticeHandler([this](std::uintptr_t socket, std::uint32_t event, int) {
            notices.push_back(Notice{socket, event});
        });
    }
    void TearDown() override {
        s.SetNoticeHandler(nullptr);
        for (std::uintptr_t socket : open) s.closesocket(socket);
        s.WSACleanup();
    }

    // A socket of the node's kind; closed at the end.
    std::uintptr_t Socket() {
        const std::uintptr_t socket = s.socket(kAfInet, kSockStream, kIpprotoTcp);
        EXPECT_NE(socket, kInvalidSocket);
        open.push_back(socket);
        return socket;
    }
    void Closed(std::uintptr_t socket) {
        EXPECT_EQ(s.closesocket(socket), 0);
        open.erase(std::find(open.begin(), open.end(), socket));
    }
    // A listener on 127.0.0.1:port with accept notices, as the node makes it.
    std::uintptr_t Listener(std::uint16_t port) {
        const std::uintptr_t listener = Socket();
        EXPECT_EQ(s.bind(listener, kInaddrLoopback, port), 0);
        EXPECT_EQ(s.listen(listener, 16), 0);
        EXPECT_EQ(s.WSAAsyncSelect(listener, kFdAccept), 0);
        return listener;
    }
    bool Noticed(std::uintptr_t socket, std::uint32_t event) const {
        for (const Notice& notice : notices)
            if (notice.socket == socket && notice.event == event) return true;
        return false;
    }
    bool WaitFor(std::uintptr_t socket, std::uint32_t event) {
        return driver->PumpUntil([&] { return Noticed(socket, event); });
    }
    // A client connected, taken and asking for the node's notices.
    std::uintptr_t Accepted(int* peer) {
        const std::uintptr_t listener = Listener(port);
        *peer = driver->Connect(port);
        EXPECT_TRUE(WaitFor(listener, kFdAccept));
        const std::uintptr_t socket = s.accept(listener);
        EXPECT_NE(socket, kInvalidSocket);
        open.push_back(socket);
        EXPECT_EQ(s.WSAAsyncSelect(socket, kFdRead | kFdWrite | kFdClose), 0);
        return socket;
    }
    // Reads until `count` bytes came or the socket says otherwise.
    std::string Read(std::uintptr_t socket, std::size_t count) {
        std::string got;
        driver->PumpUntil([&] {
            char buffer[1024];
            const int n = s.recv(socket, buffer, static_cast<int>(sizeof buffer), 0);
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
            return got.size() >= count || n == 0;
        });
        return got;
    }
    std::string Receive(int peer, std::size_t count) {
        std::string got;
        driver->PumpUntil([&] {
            got += driver->PeerReceive(peer);
            return got.size() >= count;
        });
        return got;
    }

    std::unique_ptr<SocketsDriver> driver = MakeSocketsDriver();
    ISockets& s = driver->Sockets();
    std::uint16_t port = driver->FreePort();
    std::vector<Notice> notices;
    std::vector<std::uintptr_t> open;
};

TEST_F(SocketContract, AcceptTakesAWaitingConnectionAndWouldBlockWithoutOne) {
    const std::uintptr_t listener = Listener(port);
    EXPECT_EQ(s.accept(listener), kInvalidSocket);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEWouldBlock);
    driver->Connect(port);
    EXPECT_TRUE(WaitFor(listener, kFdAccept));
    const std::uintptr_t accepted = s.accept(listener);
    ASSERT_NE(accepted, kInvalidSocket);
    open.push_back(accepted);
    EXPECT_EQ(s.accept(listener), kInvalidSocket);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEWouldBlock);
}

// Nothing to read says WSAEWOULDBLOCK; a read that leaves data behind brings
// another read notice; after the peer's close its last bytes are read, a
// close notice comes (wine posts it only once they are read) and recv says 0
// for as long as it is asked.
TEST_F(SocketContract, RecvWouldBlockReadsWhatCameAndZeroAfterThePeersClose) {
    int peer = 0;
    const std::uintptr_t socket = Accepted(&peer);
    EXPECT_TRUE(WaitFor(socket, kFdWrite));  // room to send from the start
    char buffer[1024];
    EXPECT_EQ(s.recv(socket, buffer, static_cast<int>(sizeof buffer), 0), kSocketError);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEWouldBlock);

    driver->PeerSend(peer, "abcde");
    EXPECT_TRUE(WaitFor(socket, kFdRead));
    notices.clear();
    EXPECT_EQ(s.recv(socket, buffer, 2, 0), 2);
    EXPECT_EQ(std::string(buffer, 2), "ab");
    EXPECT_TRUE(WaitFor(socket, kFdRead));  // what was left
    EXPECT_EQ(Read(socket, 3), "cde");
    EXPECT_EQ(s.recv(socket, buffer, static_cast<int>(sizeof buffer), 0), kSocketError);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEWouldBlock);

    // Its last bytes first: the close notice may wait until they are read.
    driver->PeerSend(peer, "bye\r\n");
    driver->PeerClose(peer);
    notices.clear();
    EXPECT_TRUE(
        driver->PumpUntil([&] { return Noticed(socket, kFdRead) || Noticed(socket, kFdClose); }));
    EXPECT_EQ(Read(socket, 5), "bye\r\n");
    EXPECT_TRUE(WaitFor(socket, kFdClose));
    EXPECT_EQ(s.recv(socket, buffer, static_cast<int>(sizeof buffer), 0), 0);
    EXPECT_EQ(s.recv(socket, buffer, static_cast<int>(sizeof buffer), 0), 0);
}

// A peer that resets the connection: a close notice; recv says the peer is
// gone, with WSAECONNRESET as Windows documents it or with 0 as wine does
// (it takes the socket's error for the notice), never would-block; and a
// send fails with WSAECONNRESET.
TEST_F(SocketContract, APeersResetEndsRecvAndFailsSend) {
    int peer = 0;
    const std::uintptr_t socket = Accepted(&peer);
    driver->PeerReset(peer);
    EXPECT_TRUE(WaitFor(socket, kFdClose));
    char buffer[16];
    const int got = s.recv(socket, buffer, static_cast<int>(sizeof buffer), 0);
    if (got != 0) {
        EXPECT_EQ(got, kSocketError);
        EXPECT_EQ(s.WSAGetLastError(), kWsaEConnReset);
    }
    EXPECT_EQ(s.send(socket, "x", 1, 0), kSocketError);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEConnReset);
}

// After shutdown a send is refused with WSAESHUTDOWN; what went before
// reaches the peer, and then the end, even when the peer's own data lay
// unread at the close (which without the shutdown resets the connection).
TEST_F(SocketContract, SendAfterShutdownIsRefusedWhatWentBeforeArrivesThenTheEnd) {
    int peer = 0;
    const std::uintptr_t socket = Accepted(&peer);
    driver->PeerSend(peer, "unread\r\n");
    EXPECT_TRUE(WaitFor(socket, kFdRead));
    const std::string words = "Sorry, closing.\r\n";
    EXPECT_EQ(s.send(socket, words.data(), static_cast<int>(words.size()), 0),
              static_cast<int>(words.size()));
    EXPECT_EQ(s.shutdown(socket, kSdSend), 0);
    EXPECT_EQ(s.send(socket, "more", 4, 0), kSocketError);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEShutdown);
    Closed(socket);
    EXPECT_EQ(Receive(peer, words.size()), words);
    EXPECT_TRUE(driver->PumpUntil([&] { return driver->PeerSawEnd(peer); }));
}

// A peer that does not read: sends are taken until its window is full, then
// refused with WSAEWOULDBLOCK; once it reads, a write notice says there is
// room again.
TEST_F(SocketContract, SendWouldBlockWhileThePeerDoesNotReadAndRoomComesWithANotice) {
    int peer = 0;
    const std::uintptr_t socket = Accepted(&peer);
    EXPECT_TRUE(WaitFor(socket, kFdWrite));
    notices.clear();
    const std::string chunk(std::size_t{64} * 1024, 'x');
    std::size_t taken = 0;
    int sent = 0;
    while (taken < std::size_t{64} * 1024 * 1024) {
        sent = s.send(socket, chunk.data(), static_cast<int>(chunk.size()), 0);
        if (sent < 0) break;
        taken += static_cast<std::size_t>(sent);
    }
    ASSERT_EQ(sent, kSocketError) << taken << " bytes taken";
    EXPECT_EQ(s.WSAGetLastError(), kWsaEWouldBlock);
    EXPECT_GT(taken, 0u);
    EXPECT_FALSE(Noticed(socket, kFdWrite));
    EXPECT_EQ(Receive(peer, taken).size(), taken);
    EXPECT_TRUE(WaitFor(socket, kFdWrite));
    EXPECT_EQ(s.send(socket, "y", 1, 0), 1);
}

// A port another socket listens on cannot be bound, be it this program's or
// another's; one freed by a close can be at once, though a connection on it
// that this side closed first waits out TIME_WAIT.
TEST_F(SocketContract, APortInUseIsRefusedAndAFreedOneBindsAtOnce) {
    int peer = 0;
    const std::uintptr_t connection = Accepted(&peer);
    const std::uintptr_t second = Socket();
    EXPECT_EQ(s.bind(second, kInaddrLoopback, port), kSocketError);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEAddrInUse);

    const std::uint16_t taken = driver->FreePort();
    driver->TakePort(taken);
    const std::uintptr_t third = Socket();
    EXPECT_EQ(s.bind(third, kInaddrLoopback, taken), kSocketError);
    EXPECT_EQ(s.WSAGetLastError(), kWsaEAddrInUse);

    Closed(connection);
    EXPECT_TRUE(driver->PumpUntil([&] { return driver->PeerSawEnd(peer); }));
    driver->PeerClose(peer);
    for (std::uintptr_t socket : std::vector<std::uintptr_t>(open))
        if (socket != second) Closed(socket);
    EXPECT_EQ(s.bind(second, kInaddrLoopback, port), 0);
    EXPECT_EQ(s.listen(second, 16), 0);
}

}  // namespace
