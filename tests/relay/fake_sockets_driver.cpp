// The driver over the fake sockets: the message loop is the fake's pump.
#include <gtest/gtest.h>

#include "fakes/fake_sockets.h"
#include "sockets_driver.h"

namespace {

class FakeSocketsDriver : public SocketsDriver {
  public:
    ~FakeSocketsDriver() override {
        // A call on a socket not open is the caller's fault, never the contract.
        EXPECT_TRUE(sockets_.faults.empty()) << sockets_.faults.front();
    }
    ISockets& Sockets() override { return sockets_; }
    std::uint16_t FreePort() override { return nextPort_++; }
    void TakePort(std::uint16_t port) override { sockets_.portsInUse.insert(port); }
    int Connect(std::uint16_t port) override { return sockets_.Connect(port); }
    void PeerSend(int peer, const std::string& bytes) override { sockets_.PeerSend(peer, bytes); }
    std::string PeerReceive(int peer) override { return sockets_.PeerTake(peer); }
    bool PeerSawEnd(int peer) override { return sockets_.PeerSawEnd(peer); }
    void PeerClose(int peer) override { sockets_.PeerClose(peer); }
    void PeerReset(int peer) override { sockets_.PeerReset(peer); }
    bool PumpUntil(const std::function<bool()>& done) override {
        sockets_.Pump();
        return done();
    }

  private:
    FakeSockets sockets_;
    std::uint16_t nextPort_ = 20000;
};

}  // namespace

std::unique_ptr<SocketsDriver> MakeSocketsDriver() {
    return std::make_unique<FakeSocketsDriver>();
}
