// SpotOutlets: where an accepted spot goes after intake, and what of them
// lives on between runs.
//
// Owns the daily spot file's writer, the DX-cluster node and the serial
// port's outage flag; forwards through the main window's port (`Comm1`),
// which it does not own. In the order intake calls it for each spot: the
// node's clients and the day's file (Relay), then the port (Forward or
// SendToPort). At the first show: the settings read (SettingsRead), the node
// started as the "Välitys" dialog says (ApplyClusterSettings, again whenever
// the dialog changes), then the day files read back (RestoreLogged) before
// the first block. At close: Stop, every connection first.
//
// It never opens a box inside intake, nor reaches back into the window: what
// goes wrong is handed to the two callbacks it is given, which post a box to
// the message loop (`report` as the program reports errors, `showBox` as a
// plain message). One box per outage of the port: a failure sets the flag, a
// line that goes out whole or the settings read again clear it.
//
// Main thread only. Raises only what SendToPort's port raises; the rest is
// reported through the callbacks.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CommInt/comm.h"
#include "relay/cluster_node.h"
#include "relay/spot_log.h"
#include "vplusdde/spot_intake.h"

class TForm4;

class SpotOutlets {
  public:
    using Report = std::function<void(std::exception_ptr)>;
    using ShowBox = std::function<void(const std::string&)>;

    // `port` must outlive the outlets.
    SpotOutlets(TComm& port, Report report, ShowBox showBox);
    ~SpotOutlets();
    SpotOutlets(const SpotOutlets&) = delete;
    SpotOutlets& operator=(const SpotOutlets&) = delete;

    // The "Välitys" dialog whose controls hold the options; null: all off.
    void SetRelayDialog(TForm4* dialog) { relay_ = dialog; }

    // The settings were read again: another port, or forwarding switched on
    // again, is a new outage to report.
    void SettingsRead() { portFailureReported_ = false; }
    // Starts, restarts (new port or reach) or stops the node as the dialog
    // says; a port that cannot be opened is reported and the node retries it.
    void ApplyClusterSettings();
    // With the daily spot file on: the spots of today's and yesterday's
    // files, into the node's list at the UTC time each one's own local time
    // stood for, and returned for the view (none with the file off).
    std::vector<SpotIntake::Restored> RestoreLogged();

    // An accepted row to the node's clients and to the day's file.
    void Relay(const std::string& row);
    // SendToPort, except that what the port raises is reported, once per
    // outage, and does not end intake.
    void Forward(const std::string& row);
    // One row to the port as a line: the row itself, or its DX-cluster line
    // when the dialog asks for those and the row gives one. Raises what the
    // port raises; a line cut short is reported once per outage. True when
    // the whole line went out.
    bool SendToPort(std::string row);

    // Every connection closed, then the node's port.
    void Stop();

  private:
    void ShowConnections();
    void ReportText(const std::string& text);

    TComm& port_;
    Report report_;
    ShowBox showBox_;
    TForm4* relay_ = nullptr;
    std::unique_ptr<SpotLog> spotLog_;   // made when first needed
    std::unique_ptr<ClusterNode> node_;  // made when first switched on
    bool portFailureReported_ = false;
};
