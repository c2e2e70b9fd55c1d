// The spots' outlets: the node, the day's file and the port; see the header.
#include "vplusdde/spot_outlets.h"

#include <optional>
#include <utility>

#include "CommInt/comm_error.h"
#include "asetus/relay_dialog.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/seam.h"
#include "platform/sockets.h"
#include "relay/dx_line.h"
#include "relay/spot_history.h"
#include "rtl/calendar.h"
#include "rtl/date_time_text.h"
#include "rtl/sysutils.h"

SpotOutlets::SpotOutlets(TComm& port, Report report, ShowBox showBox)
    : port_(port), report_(std::move(report)), showBox_(std::move(showBox)) {}

SpotOutlets::~SpotOutlets() = default;

void SpotOutlets::ReportText(const std::string& text) {
    report_(std::make_exception_ptr(Exception(text)));
}

std::vector<SpotIntake::Restored> SpotOutlets::RestoreLogged() {
    std::vector<SpotIntake::Restored> shown;
    if (relay_ == nullptr || !relay_->SpotFileOn()) return shown;
    ILocale& locale = Seam<ILocale>::Get();
    const LocalTime now = locale.GetLocalTime();
    const int toUtc = MinutesBetween(now, locale.GetSystemTime());
    const std::vector<LoggedSpot> spots =
        ReadRecentSpots(Seam<IFiles>::Get(), now, kRecentSpotLines,
                        [this](const std::string& text) { ReportText(text); });
    // Already seen before the restart: the decoder's page repeats them, and
    // its rows already shown are then not taken again.
    shown.reserve(spots.size());
    for (const LoggedSpot& spot : spots) {
        shown.push_back({spot.row, DateToStr(spot.when)});
        if (!node_) continue;
        // Yesterday's lines may stand on the other side of a daylight-saving
        // change; today's offset is only a fallback.
        LocalTime utc;
        if (!locale.TzSpecificLocalTimeToSystemTime(nullptr, spot.when, &utc))
            utc = ShiftedBy(spot.when, toUtc);
        node_->Restore(spot.row, utc);
    }
    return shown;
}

void SpotOutlets::Relay(const std::string& row) {
    if (node_) node_->Spot(row, Seam<ILocale>::Get().GetSystemTime());
    if (relay_ == nullptr || !relay_->SpotFileOn()) return;
    if (!spotLog_) {
        // The box waits for the message loop: shown here, its loop would take
        // the next updates while this row has still to be forwarded, and
        // their lines would reach the port before this row's.
        spotLog_ = std::make_unique<SpotLog>(Seam<IFiles>::Get(),
                                             [this](const std::string& text) { ReportText(text); });
    }
    spotLog_->Append(row, Seam<ILocale>::Get().GetLocalTime());
}

void SpotOutlets::ApplyClusterSettings() {
    if (relay_ == nullptr) return;
    if (!relay_->CheckBox3->Checked()) {
        if (node_) node_->Stop();
        ShowConnections();
        return;
    }
    int port = 0;
    try {
        port = relay_->ClusterPort();
    } catch (const Exception& e) {
        // A hand-edited file: the dialog shows the same words when closed.
        ReportText(e.Message());
        return;
    }
    const bool lan = relay_->CheckBox4->Checked();
    if (!node_) {
        node_ = std::make_unique<ClusterNode>(Seam<ISockets>::Get());
        node_->SetConnectionsChanged([this] { ShowConnections(); });
    }
    // Closing the dialog without a change keeps the connections, or the
    // retries of a port that could not be opened (reported once already).
    if (node_->Started() && port == node_->Port() && lan == node_->AllowsLan()) return;
    const int error = node_->Start(static_cast<std::uint16_t>(port), lan);
    ShowConnections();
    if (error != 0) ReportText(ClusterPortErrorText(static_cast<std::uint16_t>(port), error));
}

void SpotOutlets::ShowConnections() {
    if (relay_ != nullptr)
        relay_->SetConnectionCount(node_ ? static_cast<int>(node_->ConnectionCount()) : 0);
}

void SpotOutlets::Stop() {
    if (node_) node_->Stop();
}

void SpotOutlets::Forward(const std::string& row) {
    try {
        // A cut line is no sign the port is back.
        if (SendToPort(row)) portFailureReported_ = false;
    } catch (const ECommError&) {
        // A port gone stays gone for every spot until it is back: one box for
        // the outage, and intake goes on. The box waits for the message loop,
        // so the run (and a first show's start line) does not wait for its OK.
        if (portFailureReported_) return;
        portFailureReported_ = true;
        report_(std::current_exception());
    }
}

bool SpotOutlets::SendToPort(std::string row) {
    const bool wasOpen = port_.IsOpen();
    int written = 0;
    std::optional<std::string> dxLine;
    if (relay_ != nullptr && relay_->ClusterLinesOn())
        dxLine = DxLine(row, HhmmOf(Seam<ILocale>::Get().GetSystemTime()));
    try {
        port_.Open();
        row = dxLine ? *dxLine : row + "\r\n";
        written = port_.Write(row.data(), static_cast<int>(row.size()));
    } catch (...) {
        // A failed set-up or write must not leave the port open, or every
        // later row would fail with "Port already assigned (open)". A port
        // that was open before does not belong to this call.
        if (!wasOpen) port_.Close();
        throw;
    }
    port_.Close();
    // A cut line would run into the next spot's line at the other end.
    if (written == static_cast<int>(row.size())) return true;
    // Once per outage, like a port that is gone, and from the loop: a box
    // opened here would hold intake, and the DDE callback under it, for as
    // long as it stays open.
    if (!portFailureReported_) {
        portFailureReported_ = true;
        showBox_("Error writing to: " + port_.DeviceName());
    }
    return false;
}
