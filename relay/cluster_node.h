// Vareli as a small DX-cluster node: a TCP listener that logging programs
// reach by telnet, log in to with a call sign, and read "DX de" lines of
// every accepted spot from; "sh/dx [n]" lists the latest spots. It listens
// on 127.0.0.1, or on every interface when other computers are allowed.
//
// It runs on the user-interface thread through the message loop: the
// sockets' notices drive it, and intake hands it each accepted row. Nothing
// ever blocks: what a client does not take at once waits in its queue, and a
// client that lets 64 KiB wait is closed, as is one that sends a line longer
// than 256 bytes, so no client holds up intake or another client, and memory
// stays bounded. At most 16 connections; the next is told so and closed.
//
// Owns its listener and connections (closed by Stop and the destructor).
// The sockets are the caller's and must outlive the node; while it runs the
// node is their notice handler. Call from the user-interface thread only.
// Throws only on allocation; a failing socket call closes that connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/locale.h"
#include "platform/sockets.h"
#include "relay/dx_line.h"

class ClusterNode {
  public:
    static constexpr std::uint16_t kDefaultPort = 7300;
    static constexpr std::size_t kMaxConnections = 16;
    static constexpr std::size_t kMaxLineBytes = 256;
    static constexpr std::size_t kMaxWaitingBytes = 64 * 1024;
    static constexpr std::size_t kKeptSpots = 100;

    explicit ClusterNode(ISockets& sockets);
    // Closes everything, without calling the change callback.
    ~ClusterNode();
    ClusterNode(const ClusterNode&) = delete;
    ClusterNode& operator=(const ClusterNode&) = delete;

    // Opens the listener (after stopping a running node). 0 when it listens,
    // else the system's error code, and the node stays stopped.
    int Start(std::uint16_t port, bool allowLan);
    // Closes every connection, then the listener. Nothing when stopped.
    void Stop();
    bool Running() const { return listener_ != kInvalidSocket; }

    // Open connections, logged in or not.
    std::size_t ConnectionCount() const { return clients_.size(); }
    // Called after every change of ConnectionCount (not from the destructor).
    void SetConnectionsChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    // An accepted spot row and the UTC time it was accepted. A row that
    // gives a DX line goes to every logged-in client at once and is kept for
    // sh/dx (the latest 100, also while the node is stopped).
    void Spot(const std::string& row, const LocalTime& utc);

  private:
    struct Client;
    struct KeptSpot {
        DxSpot spot;
        LocalTime accepted;
    };

    void OnNotice(std::uintptr_t socket, std::uint32_t event, int error);
    void AcceptWaiting();
    void Read(Client& client, bool toTheEnd);
    // Handles one line; false when the client is to be closed.
    bool HandleLine(Client& client, const std::string& line);
    void ShowDx(Client& client, int count);
    // Sends what waits; false when the client is to be closed (send failed,
    // or too much waits).
    bool Flush(Client& client);
    void Close(std::uintptr_t socket);
    void Changed();

    ISockets& sockets_;
    std::uintptr_t listener_ = kInvalidSocket;
    std::map<std::uintptr_t, std::unique_ptr<Client>> clients_;
    std::deque<KeptSpot> spots_;  // newest first
    std::function<void()> changed_;
};

// The cluster's list line of a spot for sh/dx, without the line end, e.g.
//   "  7025.0  Q1AAA        7-Dec-2026 1305Z  cq dx                        <Q9ZZZ>"
std::string FormatListLine(const DxSpot& spot, const LocalTime& accepted);

// The error box's text when the port cannot be opened.
std::string ClusterPortErrorText(std::uint16_t port, int error);
