// Vareli as a small DX-cluster node: a TCP listener that logging programs
// reach by telnet, log in to with a call sign, and read "DX de" lines of
// every accepted spot from; "sh/dx [n]" (also "sh/dx/n", as loggers write it)
// lists the latest spots, and the "set/..." and "unset/..." lines loggers send
// on connecting are taken without effect. It listens on 127.0.0.1, or on every
// interface when other computers are allowed.
//
// It runs on the user-interface thread through the message loop: the
// sockets' notices drive it, and intake hands it each accepted row. Notices
// can go missing, so a tick every half second also serves every client and
// takes waiting connections. Nothing ever blocks or runs on: a notice or the
// tick gives a client one turn, bounded in the lines it handles (20) and in
// the answers those lines queue (4 KiB, or the one line that crosses it), so
// one that sends without end holds up neither the thread nor the others.
// What a client's turns are, when it is held for the tick, and the two rules
// that close a client that sends too much (the pace rule: more than 20 lines
// a second; the waiting rule: lines that ask for more than its turns answer)
// are relay/client_turns.h. What a client does not take at once waits in its
// queue, and a client that lets 64 KiB wait is closed, as is one that sends
// a line longer than 256 bytes, so memory stays bounded.
// At most 16 connections; before the next is told so and closed, every
// client not held for the tick is read once, so that those whose close has
// not been read yet free their places. A connection that has not logged in within 60 s is closed;
// logged-in ones may stay silent for ever, but keep-alive probes end those
// whose computer vanished.
//
// A port that cannot be opened is tried again every 30 s until it opens or
// the node is stopped or started anew.
//
// Owns its listener and connections (closed by Stop and the destructor).
// The sockets are the caller's and must outlive the node; while it runs the
// node is their notice handler. Call from the user-interface thread only.
// Throws only on allocation; a failing socket call closes that connection.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
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
    // One read; a turn reads as often as its lines need.
    static constexpr std::size_t kReadBytes = 1024;
    static constexpr int kLinesPerTurn = 20;
    static constexpr std::size_t kAnswerBytesPerTurn = 4096;
    static constexpr std::chrono::milliseconds kTick{500};
    static constexpr std::chrono::milliseconds kLoginTime{60000};
    static constexpr std::chrono::milliseconds kKeepAliveIdle{180000};
    static constexpr std::chrono::milliseconds kKeepAliveInterval{10000};
    static constexpr std::chrono::milliseconds kPortRetry{30000};

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // `clock` stands in for the steady clock (tests).
    explicit ClusterNode(ISockets& sockets, Clock clock = std::chrono::steady_clock::now);
    // Closes everything, without calling the change callback.
    ~ClusterNode();
    ClusterNode(const ClusterNode&) = delete;
    ClusterNode& operator=(const ClusterNode&) = delete;

    // Opens the listener (after stopping a running node). 0 when it listens,
    // else the system's error code: the node is not running then, but tries
    // the port again every 30 s, silently.
    int Start(std::uint16_t port, bool allowLan);
    // Closes every connection, then the listener, and ends the retries.
    void Stop();
    bool Running() const { return listener_ != kInvalidSocket; }
    // What the last Start asked for.
    std::uint16_t Port() const { return port_; }
    bool AllowsLan() const { return allowLan_; }
    // Running, or waiting to try its port again.
    bool Started() const { return Running() || retrying_; }
    // How long a connection may take to log in (shorter in tests).
    void SetLoginTime(std::chrono::milliseconds time) { loginTime_ = time; }

    // Open connections, logged in or not.
    std::size_t ConnectionCount() const { return clients_.size(); }
    // Called after every change of ConnectionCount (not from the destructor).
    void SetConnectionsChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    // An accepted spot row and the UTC time it was accepted. A row that
    // gives a DX line goes to every logged-in client at once and is kept for
    // sh/dx (the latest 100, also while the node is stopped).
    void Spot(const std::string& row, const LocalTime& utc);
    // A spot row of an earlier run and the UTC time it was accepted then,
    // kept for sh/dx as Spot keeps it but sent to no client. Restored oldest
    // first, the newest restored is listed first.
    void Restore(const std::string& row, const LocalTime& utc);

  private:
    struct Client;
    struct KeptSpot {
        DxSpot spot;
        LocalTime accepted;
    };

    // Keeps the row's spot for sh/dx; none when the row gives no DX line.
    std::optional<DxSpot> Keep(const std::string& row, const LocalTime& utc);
    // Socket, bind and listen; 0 or the error, with nothing left open.
    int Open();
    void OnNotice(std::uintptr_t socket, std::uint32_t event, int error);
    // The node's own look: waiting connections, data, late logins, retries.
    void OnTick();
    // Takes the connections waiting; at the cap, with `lookFirst`, first
    // serves every client not held for the tick, so that the places of
    // clients gone are freed.
    void AcceptWaiting(bool lookFirst);
    void LookAtEveryClient();
    // One turn: the bytes left from the last turn, then reads of at most
    // 1 KiB as long as the turn's bounds leave room for more lines; what is
    // left waits for the tick. A client that is gone (recv says 0 or fails),
    // or that breaks a rule, is closed.
    void Serve(Client& client);
    struct Turn {
        int lines = 0;
        std::size_t answered = 0;
        bool Full() const { return lines >= kLinesPerTurn || answered >= kAnswerBytesPerTurn; }
    };
    // Handles the client's unread bytes within the turn's bounds; false when
    // the client was closed.
    bool HandleUnread(Client& client, Turn& turn);
    // Handles one line; false when the client is to be closed.
    bool HandleLine(Client& client, const std::string& line);
    void ShowDx(Client& client, int count);
    // Queues data for the client, every byte 255 doubled as telnet wants.
    static void Queue(Client& client, const std::string& text);
    // Sends what waits; false when the client is to be closed (send failed,
    // or too much waits).
    bool Flush(Client& client);
    // Sends what waits, as far as the system takes it, then closes.
    void CloseWithWords(Client& client);
    void Close(std::uintptr_t socket);
    void Changed();

    ISockets& sockets_;
    Clock clock_;
    std::chrono::milliseconds loginTime_ = kLoginTime;
    std::uint16_t port_ = 0;
    bool allowLan_ = false;
    bool retrying_ = false;
    std::chrono::steady_clock::time_point nextTry_;
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
