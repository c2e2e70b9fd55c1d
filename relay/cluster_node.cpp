// The DX-cluster node: connections, login, commands and the spot feed; see
// the header. Notices are hints only (they can be stale, or meant for a
// closed socket whose handle came back), so every one is answered by a call
// whose result decides: recv, send or accept saying WSAEWOULDBLOCK means
// there is nothing to do. Notices can also go missing: wine posts FD_ACCEPT
// again only after an accept that took a connection, so a notice whose
// accept finds nothing (the connection was taken by the loop before) left
// the listener deaf for good. The tick repeats what the notices would do.
#include "relay/cluster_node.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "relay/client_turns.h"
#include "relay/telnet_lines.h"
#include "rtl/text_fields.h"
#include "spots/call_sign.h"

namespace {

constexpr std::uint16_t kWinsockVersion = 0x0202;
constexpr int kListenBacklog = 16;
constexpr int kMaxShowCount = 100;
constexpr int kDefaultShowCount = 10;
constexpr int kLoginAttempts = 3;
// Failed accepts in a row before the tick is left to try again: a connection
// reset before it was taken fails alone, a system out of sockets fails on.
constexpr int kAcceptFailures = 32;

const char* const kLoginPrompt = "login: ";
const char* const kNotACall = "Sorry, that is not a call sign.\r\n";
const char* const kTooMany = "Sorry, too many connections.\r\n";
const char* const kLoginTimeOut = "Sorry, no call sign in 60 seconds.\r\n";
const char* const kOnlySpots = "Sorry, Vareli only serves spots: sh/dx [n], bye.\r\n";

// The white space around what a client types.
const char* const kClientBlanks = " \t";

// A login: 3-12 characters of a call sign, or "-" (the SSID some loggers
// add after the call, as in "OH2BH-1").
bool IsCallSign(const std::string& text) {
    if (text.size() < 3 || text.size() > 12) return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return IsCallCharacter(c) || c == '-'; });
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// "sh/dx" or "show/dx", maybe followed by a whole number (taken into 1-100)
// after a blank or a slash; false for anything else. "sh/dx/" alone lists as
// many as "sh/dx": a logger that sends it has left its count empty.
bool ParseShowDx(std::string command, int* count) {
    for (const char* verb : {"sh/dx/", "show/dx/"})
        if (StartsWith(command, verb)) command[std::char_traits<char>::length(verb) - 1] = ' ';
    const std::size_t blank = command.find_first_of(" \t");
    const std::string verb = command.substr(0, blank);
    if (verb != "sh/dx" && verb != "show/dx") return false;
    *count = kDefaultShowCount;
    if (blank == std::string::npos) return true;
    std::string number = Trimmed(command.substr(blank), kClientBlanks);
    if (number.empty()) return true;
    bool negative = false;
    if (number[0] == '-' || number[0] == '+') {
        negative = number[0] == '-';
        number.erase(0, 1);
    }
    if (!AllDigits(number)) return false;
    int value = 0;
    for (char c : number) value = std::min(value * 10 + (c - '0'), kMaxShowCount + 1);
    *count = negative ? 1 : std::clamp(value, 1, kMaxShowCount);
    return true;
}

std::string Prompt(const std::string& call) {
    return call + " de " + kOwnSpotter + " >\r\n";
}

}  // namespace

struct ClusterNode::Client {
    Client(std::uintptr_t s, std::chrono::steady_clock::time_point now)
        : socket(s), lines(kMaxLineBytes), turns(now), connected(now) {}

    std::uintptr_t socket;
    TelnetLines lines;
    std::string unread;     // read, its lines not yet handled
    bool readFull = false;  // the last read took all it asked for: more waits, likely
    ClientTurns turns;
    std::string waiting;  // not yet taken by send
    std::string call;     // empty until logged in
    int failedLogins = 0;
    std::chrono::steady_clock::time_point connected;
};

ClusterNode::ClusterNode(ISockets& sockets, Clock clock)
    : sockets_(sockets), clock_(std::move(clock)) {}

ClusterNode::~ClusterNode() {
    changed_ = nullptr;
    Stop();
}

int ClusterNode::Start(std::uint16_t port, bool allowLan) {
    Stop();
    port_ = port;
    allowLan_ = allowLan;
    sockets_.SetTickHandler([this] { OnTick(); }, static_cast<std::uint32_t>(kTick.count()));
    const int error = Open();
    retrying_ = error != 0;
    nextTry_ = clock_() + kPortRetry;
    return error;
}

int ClusterNode::Open() {
    if (const int error = sockets_.WSAStartup(kWinsockVersion); error != 0) return error;
    const std::uintptr_t listener = sockets_.socket(kAfInet, kSockStream, kIpprotoTcp);
    int error = 0;
    // No SO_EXCLUSIVEADDRUSE: on Windows it keeps the port from being bound
    // again while connections the node accepted wait out TIME_WAIT, so a
    // quick restart failed (docs/windows.md). No SO_REUSEADDR either, which
    // would let another program take the port from under the node.
    if (listener == kInvalidSocket ||
        sockets_.bind(listener, allowLan_ ? kInaddrAny : kInaddrLoopback, port_) != 0 ||
        sockets_.listen(listener, kListenBacklog) != 0 ||
        sockets_.WSAAsyncSelect(listener, kFdAccept) != 0)
        error = sockets_.WSAGetLastError();
    if (error != 0) {
        if (listener != kInvalidSocket) sockets_.closesocket(listener);
        sockets_.WSACleanup();
        return error;
    }
    listener_ = listener;
    sockets_.SetNoticeHandler([this](std::uintptr_t socket, std::uint32_t event, int noticeError) {
        OnNotice(socket, event, noticeError);
    });
    return 0;
}

void ClusterNode::Stop() {
    if (!Started()) return;
    retrying_ = false;
    sockets_.SetTickHandler(nullptr, 0);
    if (!Running()) return;
    const bool hadClients = !clients_.empty();
    for (const auto& entry : clients_) sockets_.closesocket(entry.first);
    clients_.clear();
    sockets_.closesocket(listener_);
    listener_ = kInvalidSocket;
    sockets_.SetNoticeHandler(nullptr);
    sockets_.WSACleanup();
    if (hadClients) Changed();
}

std::optional<DxSpot> ClusterNode::Keep(const std::string& row, const LocalTime& utc) {
    std::optional<DxSpot> spot = ParseSpotRow(row, HhmmOf(utc));
    if (!spot) return std::nullopt;
    spots_.push_front(KeptSpot{*spot, utc});
    if (spots_.size() > kKeptSpots) spots_.pop_back();
    return spot;
}

void ClusterNode::Restore(const std::string& row, const LocalTime& utc) {
    Keep(row, utc);
}

void ClusterNode::Spot(const std::string& row, const LocalTime& utc) {
    const std::optional<DxSpot> spot = Keep(row, utc);
    if (!spot) return;
    const std::string line = FormatDxLine(*spot);
    std::vector<std::uintptr_t> failed;
    for (const auto& entry : clients_) {
        Client& client = *entry.second;
        if (client.call.empty()) continue;
        Queue(client, line);
        if (!Flush(client)) failed.push_back(client.socket);
    }
    for (std::uintptr_t socket : failed) Close(socket);
}

void ClusterNode::OnNotice(std::uintptr_t socket, std::uint32_t event, int /*error*/) {
    if (socket == listener_) {
        if (event == kFdAccept) AcceptWaiting(true);
        return;
    }
    const auto found = clients_.find(socket);
    if (found == clients_.end()) return;  // a late notice of a closed connection
    Client& client = *found->second;
    if (event == kFdWrite) {
        if (!Flush(client)) Close(socket);
    } else if ((event == kFdRead || event == kFdClose) && !client.turns.Held()) {
        // One turn for a close notice too: it may be stale, meant for an
        // earlier connection whose handle this one got, and reading to the end
        // would let a live client that sends on hold the thread. What is left
        // behind a close, and the close itself, the next notice or tick reads.
        Serve(client);
    }
}

void ClusterNode::OnTick() {
    const auto now = clock_();
    if (retrying_) {
        if (now < nextTry_) return;
        nextTry_ = now + kPortRetry;
        retrying_ = Open() != 0;
        return;
    }
    std::vector<std::uintptr_t> sockets;
    for (const auto& entry : clients_) sockets.push_back(entry.first);
    for (std::uintptr_t socket : sockets) {
        const auto found = clients_.find(socket);
        if (found == clients_.end()) continue;  // closed by a change callback
        Client& client = *found->second;
        if (client.call.empty() && now - client.connected >= loginTime_) {
            client.waiting += kLoginTimeOut;
            CloseWithWords(client);
            continue;
        }
        if (!Flush(client)) {
            Close(socket);
            continue;
        }
        Serve(client);
    }
    // Every client was just served once, which freed the places of those gone.
    AcceptWaiting(false);
}

void ClusterNode::AcceptWaiting(bool lookFirst) {
    for (int failures = 0; Running() && failures < kAcceptFailures;) {
        const std::uintptr_t socket = sockets_.accept(listener_);
        if (socket == kInvalidSocket) {
            if (sockets_.WSAGetLastError() == kWsaEWouldBlock) return;
            ++failures;  // that one connection is gone; the next may be fine
            continue;
        }
        if (clients_.size() >= kMaxConnections && lookFirst) {
            lookFirst = false;  // once a pass: what was read is known for now
            LookAtEveryClient();
            if (!Running()) {  // stopped by a change callback
                sockets_.closesocket(socket);
                return;
            }
        }
        if (clients_.size() >= kMaxConnections) {
            sockets_.send(socket, kTooMany,
                          static_cast<int>(std::char_traits<char>::length(kTooMany)), 0);
            sockets_.shutdown(socket, kSdSend);
            sockets_.closesocket(socket);
            continue;
        }
        if (sockets_.WSAAsyncSelect(socket, kFdRead | kFdWrite | kFdClose) != 0) {
            sockets_.closesocket(socket);
            continue;
        }
        // Without it a computer that vanished would hold its place for ever:
        // nothing is sent to a silent client. A system that refuses still
        // serves the connection.
        sockets_.KeepAlive(socket, static_cast<std::uint32_t>(kKeepAliveIdle.count()),
                           static_cast<std::uint32_t>(kKeepAliveInterval.count()));
        auto client = std::make_unique<Client>(socket, clock_());
        client->waiting = kLoginPrompt;
        if (!Flush(*client)) {
            sockets_.closesocket(socket);
            continue;
        }
        clients_[socket] = std::move(client);
        Changed();  // which may stop the node
    }
}

void ClusterNode::LookAtEveryClient() {
    std::vector<std::uintptr_t> sockets;
    for (const auto& entry : clients_)
        if (!entry.second->turns.Held()) sockets.push_back(entry.first);  // a held one is there
    for (std::uintptr_t socket : sockets) {
        const auto found = clients_.find(socket);
        if (found != clients_.end()) Serve(*found->second);  // else closed by a change callback
    }
}

void ClusterNode::Serve(Client& client) {
    const std::uintptr_t socket = client.socket;
    Turn turn;
    bool read = false;
    while (!turn.Full()) {
        if (client.unread.empty()) {
            if (read && !client.readFull) break;  // it had no more a moment ago
            char buffer[kReadBytes];
            const int got = sockets_.recv(socket, buffer, static_cast<int>(kReadBytes), 0);
            if (got < 0 && sockets_.WSAGetLastError() == kWsaEWouldBlock) {
                client.readFull = false;
                break;
            }
            if (got <= 0) {
                Close(socket);
                return;
            }
            read = true;
            client.unread.assign(buffer, static_cast<std::size_t>(got));
            client.readFull = static_cast<std::size_t>(got) == kReadBytes;
        }
        if (!HandleUnread(client, turn)) return;
    }
    const bool dataLeft = client.readFull || !client.unread.empty();
    if (client.turns.EndTurn(dataLeft, turn.answered >= kAnswerBytesPerTurn, clock_())) return;
    client.waiting += ClientTurns::kWaitingWords;
    CloseWithWords(client);
}

bool ClusterNode::HandleUnread(Client& client, Turn& turn) {
    const std::uintptr_t socket = client.socket;
    std::size_t used = 0;
    while (used < client.unread.size() && !turn.Full()) {
        const TelnetLines::Step step =
            client.lines.Take(static_cast<unsigned char>(client.unread[used++]));
        if (step == TelnetLines::Step::None) continue;
        ++turn.lines;
        const std::size_t before = client.waiting.size();
        if (step == TelnetLines::Step::Line && !client.turns.TakeLine(clock_())) {
            client.waiting += ClientTurns::kPaceWords;
            CloseWithWords(client);
            return false;
        }
        if (step == TelnetLines::Step::TooLong || !HandleLine(client, client.lines.Line())) {
            CloseWithWords(client);
            return false;
        }
        turn.answered += client.waiting.size() - before;
        // Each answer on its own against the limit: a read full of
        // "sh/dx 100" would otherwise queue far more than it.
        if (!Flush(client)) {
            Close(socket);
            return false;
        }
    }
    // The LF (or NUL) of a CR that ended the last line belongs to it: left
    // behind, it alone would hold the client for the tick.
    if (used > 0 && used < client.unread.size() && client.unread[used - 1] == '\r' &&
        (client.unread[used] == '\n' || client.unread[used] == '\0'))
        client.lines.Take(static_cast<unsigned char>(client.unread[used++]));
    client.unread.erase(0, used);
    return true;
}

bool ClusterNode::HandleLine(Client& client, const std::string& line) {
    if (client.call.empty()) {
        const std::string call = Trimmed(line, kClientBlanks);
        if (IsCallSign(call)) {
            client.call = UpperCase(call);
            Queue(client, "Hello " + client.call + ", this is " + kOwnSpotter +
                              ", teletext DX spots of page 590.\r\n" + Prompt(client.call));
            return true;
        }
        client.waiting += kNotACall;
        if (++client.failedLogins >= kLoginAttempts) return false;
        client.waiting += kLoginPrompt;
        return true;
    }
    const std::string command = LowerCase(Trimmed(line, kClientBlanks));
    int count = 0;
    if (command == "bye" || command == "quit" || command == "q") return false;
    if (command.empty() || StartsWith(command, "set/") || StartsWith(command, "unset/")) {
        // just the prompt: the settings loggers send have no meaning here
    } else if (ParseShowDx(command, &count)) {
        ShowDx(client, count);
    } else {
        client.waiting += kOnlySpots;
    }
    Queue(client, Prompt(client.call));
    return true;
}

void ClusterNode::ShowDx(Client& client, int count) {
    const std::size_t shown = std::min(spots_.size(), static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < shown; ++i)
        Queue(client, FormatListLine(spots_[i].spot, spots_[i].accepted) + "\r\n");
}

void ClusterNode::Queue(Client& client, const std::string& text) {
    for (char c : text) {
        client.waiting += c;
        if (static_cast<unsigned char>(c) == 255) client.waiting += c;
    }
}

bool ClusterNode::Flush(Client& client) {
    while (!client.waiting.empty()) {
        const int sent = sockets_.send(
            client.socket, client.waiting.data(),
            static_cast<int>(std::min<std::size_t>(client.waiting.size(), 1 << 20)), 0);
        if (sent < 0) {
            if (sockets_.WSAGetLastError() != kWsaEWouldBlock) return false;
            break;
        }
        client.waiting.erase(0, static_cast<std::size_t>(sent));
    }
    return client.waiting.size() < kMaxWaitingBytes;
}

void ClusterNode::CloseWithWords(Client& client) {
    // Its last words, if the system takes them at once. A close with the
    // client's data unread resets the connection, and the system drops what
    // it still holds to send (Nagle holds small pieces back); ending the
    // sending first puts them on their way.
    Flush(client);
    sockets_.shutdown(client.socket, kSdSend);
    Close(client.socket);
}

void ClusterNode::Close(std::uintptr_t socket) {
    if (clients_.erase(socket) == 0) return;
    sockets_.closesocket(socket);
    Changed();
}

void ClusterNode::Changed() {
    if (changed_) changed_();
}

std::string FormatListLine(const DxSpot& spot, const LocalTime& accepted) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int month = std::clamp(accepted.month, 1, 12);
    std::string line;
    AppendRight(line, std::to_string(spot.frequencyKhz) + ".0", 8);
    line += "  ";
    AppendLeft(line, spot.dxCall, 11);
    line += ' ';
    AppendRight(line, std::to_string(accepted.day), 2);
    line += std::string("-") + kMonths[month - 1] + "-" + std::to_string(accepted.year);
    line += ' ';
    line += spot.timeHhmm + "Z  ";
    AppendLeft(line, spot.comment.substr(0, 28), 28);
    AppendRight(line, "<" + spot.spotter + ">", 8);
    return line;
}

std::string ClusterPortErrorText(std::uint16_t port, int error) {
    return "DX-klusterin porttia " + std::to_string(port) + " ei voitu avata (virhe " +
           std::to_string(error) + ").";
}
