// The DDEML contract on wine's real library, the decoder simulator as the
// server in a process of its own under a service name of this process's own
// (test programs running at the same time never meet). The same body runs on
// the fake library on the host (tests/dde/ddeml_contract_test.cpp).
// clang-format off
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "dde/ddeml_contract.h"
#include "platform/win32/ddeml_win32.h"
#include "tools/piped_child.h"

namespace {

// "\xHH" for every byte but letters and digits: the simulator's raw
// command takes the text so, whole.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0) {
            escaped += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            escaped += hex;
        }
    }
    return escaped;
}

class SimulatorServer : public DdeContractServer {
  public:
    SimulatorServer() { Start(); }
    std::string Service() const override {
        return "VTplus" + std::to_string(GetCurrentProcessId());
    }
    void Serve(const std::string& text) override {
        if (text.empty()) {
            Run("empty on");
        } else {
            Run("empty off");
            Run("raw " + Escaped(text));
        }
    }
    void RefuseAdvise(bool on) override {
        Run(std::string("refuse-advise ") + (on ? "on" : "off"));
    }
    void Quit() override {
        sim_->Send("quit");
        EXPECT_EQ(sim_->WaitExit(), 0);
    }
    void Start() override {
        sim_ = std::make_unique<PipedChild>(WinePath(VTSIM_EXE), "--service " + Service());
        ASSERT_TRUE(sim_->Started());
        ASSERT_TRUE(sim_->WaitFor("ready"));
    }
    void Settle() override { PumpMessagesFor(500); }

  private:
    void Run(const std::string& command) {
        sim_->Send(command);
        EXPECT_TRUE(sim_->Sync());
    }
    std::unique_ptr<PipedChild> sim_;
};

class DdemlContractOnWine : public ::testing::Test {
  protected:
    Win32Ddeml ddeml;
    SimulatorServer server;
};

TEST_F(DdemlContractOnWine, ANewInstanceIsAskedForWithZero) {
    ddeml_contract::ANewInstanceIsAskedForWithZero(ddeml);
}

TEST_F(DdemlContractOnWine, ConnectToAMissingServer) {
    ddeml_contract::ConnectToAMissingServer(ddeml, server);
}

TEST_F(DdemlContractOnWine, AdviseRefusal) {
    ddeml_contract::AdviseRefusal(ddeml, server);
}

TEST_F(DdemlContractOnWine, DataHandleText) {
    ddeml_contract::DataHandleText(ddeml, server);
}

TEST_F(DdemlContractOnWine, ClientDisconnect) {
    ddeml_contract::ClientDisconnect(ddeml, server);
}

TEST_F(DdemlContractOnWine, ServerQuitsMidConversation) {
    ddeml_contract::ServerQuitsMidConversation(ddeml, server);
}

}  // namespace
