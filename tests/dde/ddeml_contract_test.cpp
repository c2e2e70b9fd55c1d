// The DDEML contract on the fake library: its scripted server plays the
// decoder, "quitting" as wine 8 shows a decoder's end (no notice, the
// conversation kept by the library). The same body runs on wine's DDEML
// against the decoder simulator in tests/wine/dde.
#include "ddeml_contract.h"

#include <gtest/gtest.h>

#include "fakes/fake_ddeml.h"

namespace {

class FakeServer : public DdeContractServer {
  public:
    explicit FakeServer(FakeDdeml& ddeml) : ddeml_(ddeml) {}
    std::string Service() const override { return ddeml_.server.service; }
    void Serve(const std::string& text) override {
        ddeml_.server.items[ddeml_contract::kItem] = text;
    }
    void RefuseAdvise(bool on) override { ddeml_.server.refuseAdvise = on; }
    void Quit() override {
        ddeml_.staleAfterServerEnd = true;
        ddeml_.ServerVanishes();
    }
    void Start() override { ddeml_.server.running = true; }
    void Settle() override {}

  private:
    FakeDdeml& ddeml_;
};

class DdemlContract : public ::testing::Test {
  protected:
    FakeDdeml ddeml;
    FakeServer server{ddeml};
};

TEST_F(DdemlContract, ANewInstanceIsAskedForWithZero) {
    ddeml_contract::ANewInstanceIsAskedForWithZero(ddeml);
}

TEST_F(DdemlContract, ConnectToAMissingServer) {
    ddeml_contract::ConnectToAMissingServer(ddeml, server);
}

TEST_F(DdemlContract, AdviseRefusal) {
    ddeml_contract::AdviseRefusal(ddeml, server);
}

TEST_F(DdemlContract, DataHandleText) {
    ddeml_contract::DataHandleText(ddeml, server);
}

TEST_F(DdemlContract, ClientDisconnect) {
    ddeml_contract::ClientDisconnect(ddeml, server);
}

TEST_F(DdemlContract, ServerQuitsMidConversation) {
    ddeml_contract::ServerQuitsMidConversation(ddeml, server);
}

}  // namespace
