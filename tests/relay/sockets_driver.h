// The sockets and their client ends, for the contract tests that run the same
// way on the fake sockets (host) and on real Winsock under wine: each program
// links one MakeSocketsDriver.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/sockets.h"

class SocketsDriver {
  public:
    virtual ~SocketsDriver() = default;
    virtual ISockets& Sockets() = 0;

    // A port on 127.0.0.1 that nothing listens on.
    virtual std::uint16_t FreePort() = 0;
    // Another program listens on 127.0.0.1:port until the driver is gone.
    virtual void TakePort(std::uint16_t port) = 0;

    // A client connecting to 127.0.0.1:port; its number.
    virtual int Connect(std::uint16_t port) = 0;
    virtual void PeerSend(int peer, const std::string& bytes) = 0;
    // What has reached the client since the last call; it is read.
    virtual std::string PeerReceive(int peer) = 0;
    // The client has read the end of what the socket sends (an orderly end).
    virtual bool PeerSawEnd(int peer) = 0;
    virtual void PeerClose(int peer) = 0;
    // An abortive close (a reset), as when the client's program is killed.
    virtual void PeerReset(int peer) = 0;

    // Turns the message loop, notices delivered, until `done` or some
    // seconds have passed; done() at the end.
    virtual bool PumpUntil(const std::function<bool()>& done) = 0;
};

std::unique_ptr<SocketsDriver> MakeSocketsDriver();
