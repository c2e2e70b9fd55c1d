// The cluster node with the real Winsock backend: its notices come through
// the hidden window, so the test runs a message loop while it waits for
// what its clients should get. The clients are plain sockets of this
// program on 127.0.0.1 (connect completes from the listener's backlog, before
// the node accepts), read without blocking between turns of the loop.
#include <gtest/gtest.h>
#include <winsock2.h>
// after winsock2.h
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/sockets_win32.h"
#include "relay/cluster_node.h"

namespace {

const LocalTime kAccepted{2026, 12, 7, 13, 5, 0, 0};

std::string Row(int khz, int n) {
    const std::string frequency = std::to_string(khz);
    const std::string call = "Q1" + std::to_string(n);
    return std::string(6 - frequency.size(), ' ') + frequency + " " + call +
           std::string(22 - call.size(), ' ') + "Q9ZZZ  1305  ";
}

// Dispatches what waits in the message queue.
void PumpOnce() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Turns the message loop until the condition holds or some seconds pass.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        PumpOnce();
        Sleep(1);
    }
    return true;
}

std::uint16_t FreePort() {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&where), sizeof where);
    int size = sizeof where;
    getsockname(s, reinterpret_cast<sockaddr*>(&where), &size);
    ::closesocket(s);
    return ntohs(where.sin_port);
}

class Client {
  public:
    explicit Client(std::uint16_t port, int receiveBuffer = 0) {
        s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (receiveBuffer > 0)
            ::setsockopt(s_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                         sizeof receiveBuffer);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(port);
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(s_, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
        u_long nonBlocking = 1;
        ioctlsocket(s_, FIONBIO, &nonBlocking);
    }
    ~Client() { ::closesocket(s_); }
    bool Connected() const { return connected_; }
    void Send(const std::string& bytes) {
        ::send(s_, bytes.data(), static_cast<int>(bytes.size()), 0);
    }
    // Reads what has come; false once the node closed the connection.
    bool Poll() {
        char buffer[4096];
        for (;;) {
            const int got = ::recv(s_, buffer, sizeof buffer, 0);
            if (got > 0) {
                received_.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK) closed_ = true;
            return !closed_;
        }
    }
    // Waits until `text` has come in full, and takes it; false if it did not.
    bool Expect(const std::string& text) {
        const bool got = PumpUntil([&] {
            Poll();
            return received_.size() >= text.size() || closed_;
        });
        const bool same = got && received_.compare(0, text.size(), text) == 0;
        EXPECT_TRUE(same) << "expected: " << text << "\ngot: " << received_;
        received_.erase(0, std::min(received_.size(), text.size()));
        return same;
    }
    bool WaitClosed() {
        return PumpUntil([&] { return !Poll(); });
    }
    std::string& Received() { return received_; }

  private:
    SOCKET s_;
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
};

std::string Prompt(const std::string& call) {
    return call + " de VARELI >\r\n";
}

class NodeWineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(0x0202, &data), 0);
        port = FreePort();
        ASSERT_EQ(node.Start(port, false), 0);
    }
    void TearDown() override {
        node.Stop();
        WSACleanup();
    }
    void LogIn(Client& client, const std::string& call) {
        ASSERT_TRUE(client.Connected());
        client.Expect("login: ");
        client.Send(call + "\r\n");
        client.Expect("Hello " + call + ", this is VARELI, teletext DX spots of page 590.\r\n" +
                      Prompt(call));
    }

    Win32Sockets sockets;
    ClusterNode node{sockets};
    std::uint16_t port = 0;
};

TEST_F(NodeWineTest, ClientsGetEverySpotInOrderAndShowDx) {
    Client a(port), b(port);
    LogIn(a, "OH1AA");
    LogIn(b, "OH2BB");
    EXPECT_EQ(node.ConnectionCount(), 2u);
    std::string lines;
    for (int n = 1; n <= 30; ++n) {
        node.Spot(Row(7000 + n, n), kAccepted);
        lines += *DxLine(Row(7000 + n, n), "0000");
    }
    a.Expect(lines);
    b.Expect(lines);
    a.Send("sh/dx 2\r\n");
    a.Expect(
        "  7030.0  Q130         7-Dec-2026 1305Z                               <Q9ZZZ>\r\n"
        "  7029.0  Q129         7-Dec-2026 1305Z                               <Q9ZZZ>\r\n" +
        Prompt("OH1AA"));
    b.Send("bye\r\n");
    EXPECT_TRUE(b.WaitClosed());
    EXPECT_TRUE(PumpUntil([&] { return node.ConnectionCount() == 1; }));
}

TEST_F(NodeWineTest, TelnetBytesAndJunk) {
    Client client(port);
    client.Send(std::string("\xff\xfd\x03\xff\xfb\x18\xff\xfa\x18\x00VT100\xff\xf0", 17) +
                "q9zzz\r\n");
    client.Expect("login: Hello Q9ZZZ, this is VARELI, teletext DX spots of page 590.\r\n" +
                  Prompt("Q9ZZZ"));
    client.Send(std::string("\x01\x02\x80\xfe", 4) + "\r\n");
    client.Expect("Sorry, Vareli only serves spots: sh/dx [n], bye.\r\n" + Prompt("Q9ZZZ"));
    std::string junk;
    for (int i = 0; i < 300; ++i) junk += static_cast<char>(0x80 + i % 64);
    client.Send(junk);
    EXPECT_TRUE(client.WaitClosed());
    EXPECT_TRUE(PumpUntil([&] { return node.ConnectionCount() == 0; }));
}

// A client that never reads fills the system's buffers, then 64 KiB in the
// node, and is closed; the one beside it keeps getting every line.
TEST_F(NodeWineTest, StalledClientIsDroppedOthersGoOn) {
    Client stalled(port, 4096), reader(port);
    LogIn(stalled, "OH1AA");
    LogIn(reader, "OH2BB");
    std::string expected;
    int n = 0;
    for (; n < 200000 && node.ConnectionCount() == 2; ++n) {
        const std::string row = Row(7000 + n % 1000, n % 1000);
        node.Spot(row, kAccepted);
        expected += *DxLine(row, "0000");
        reader.Poll();
        if (n % 64 == 0) PumpOnce();  // the write notices
    }
    EXPECT_EQ(node.ConnectionCount(), 1u) << "after " << n << " spots";
    EXPECT_TRUE(PumpUntil([&] {
        reader.Poll();
        return reader.Received().size() >= expected.size();
    }));
    EXPECT_TRUE(reader.Received() == expected)
        << reader.Received().size() << " of " << expected.size();
    std::printf("stalled client dropped after %d spots\n", n);
}

// Stopping closes every connection; the same port opens again at once,
// though the connections the node closed linger on it.
TEST_F(NodeWineTest, StopClosesAllAndTheSamePortOpensAgain) {
    Client a(port), b(port);
    LogIn(a, "OH1AA");
    ASSERT_TRUE(b.Expect("login: "));
    node.Stop();
    EXPECT_EQ(node.ConnectionCount(), 0u);
    EXPECT_TRUE(a.WaitClosed());
    EXPECT_TRUE(b.WaitClosed());
    ASSERT_EQ(node.Start(port, false), 0);
    Client c(port);
    LogIn(c, "OH3CC");
}

TEST_F(NodeWineTest, SeventeenthConnectionIsToldAndClosed) {
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 16; ++i) {
        clients.push_back(std::make_unique<Client>(port));
        ASSERT_TRUE(clients.back()->Expect("login: "));
    }
    Client extra(port);
    EXPECT_TRUE(extra.Expect("Sorry, too many connections.\r\n"));
    EXPECT_TRUE(extra.WaitClosed());
    EXPECT_EQ(node.ConnectionCount(), 16u);
}

// Silent connections hold every place only until their login time is out
// (shortened here); then a new client gets in.
TEST_F(NodeWineTest, SilentConnectionsAreClosedAtTheirLoginTime) {
    node.SetLoginTime(std::chrono::milliseconds(1500));
    std::vector<std::unique_ptr<Client>> silent;
    for (int i = 0; i < 16; ++i) {
        silent.push_back(std::make_unique<Client>(port));
        ASSERT_TRUE(silent.back()->Expect("login: "));
    }
    Client refused(port);
    EXPECT_TRUE(refused.Expect("Sorry, too many connections.\r\n"));
    for (auto& client : silent) {
        EXPECT_TRUE(client->Expect("Sorry, no call sign in 60 seconds.\r\n"));
        EXPECT_TRUE(client->WaitClosed());
    }
    EXPECT_TRUE(PumpUntil([&] { return node.ConnectionCount() == 0; }));
    Client late(port);
    LogIn(late, "OH4DD");
}

// A logger at exactly 20 lines a second of the longest lines (256 bytes),
// after a second in which the loop did not turn: on real sockets too it is
// served as fast as it sends (served 1 KiB a turn, it fell behind by some
// 12 lines a second), and it stays.
TEST_F(NodeWineTest, LongestLinesAtThePaceAfterASecondsBacklogKeepUpAndStay) {
    Client logger(port);
    LogIn(logger, "OH1AA");
    const std::string line = "set/name " + std::string(247, 'n') + "\r\n";
    std::string backlog;
    for (int i = 0; i < 20; ++i) backlog += line;
    logger.Send(backlog);
    Sleep(1000);  // no message loop meanwhile
    const DWORD start = GetTickCount();
    int sent = 20;
    while (GetTickCount() - start < 12000) {
        for (; sent < 20 + static_cast<int>((GetTickCount() - start) / 50); ++sent)
            logger.Send(line);
        PumpOnce();
        logger.Poll();
        Sleep(5);
    }
    const std::string prompt = Prompt("OH1AA");
    const int answered = static_cast<int>(logger.Received().size() / prompt.size());
    EXPECT_GE(answered, sent - 60) << "behind by " << sent - answered << " lines of " << sent;
    std::printf("longest lines at the pace: %d of %d answered as the sending ended\n", answered,
                sent);
    std::string expected;
    for (int i = 0; i < sent; ++i) expected += prompt;
    EXPECT_TRUE(logger.Expect(expected)) << sent << " lines sent";
    EXPECT_TRUE(logger.Poll());
    EXPECT_EQ(node.ConnectionCount(), 1u);
}

TEST(NodeWinePort, PortAlreadyTaken) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(0x0202, &data), 0);
    const SOCKET other = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(other, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(::listen(other, 1), 0);
    int size = sizeof where;
    getsockname(other, reinterpret_cast<sockaddr*>(&where), &size);
    Win32Sockets sockets;
    ClusterNode node(sockets);
    EXPECT_EQ(node.Start(ntohs(where.sin_port), false), WSAEADDRINUSE);
    EXPECT_FALSE(node.Running());
    ::closesocket(other);
    WSACleanup();
}

}  // namespace
