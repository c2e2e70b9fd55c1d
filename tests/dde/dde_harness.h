// What the DDE tests share: the fake library with a decoder offering the
// spot block, a DDE manager on it, and event handlers that note themselves
// in the fake's log next to the calls.
#pragma once

#include <memory>
#include <string>

#include "dde/dde_client_conv.h"
#include "dde/dde_client_item.h"
#include "dde/dde_mgr.h"
#include "fakes/fake_ddeml.h"

constexpr const char* kBlockItem = "10,10,,,B(0/5/39/23)";

// 19 rows of 40 columns, each ended by CR LF; row r is made of `fill`
// followed by the row number.
inline std::string Block(char fill = 'a') {
    std::string text;
    for (int row = 0; row < 19; ++row) {
        std::string line(40, fill);
        const std::string number = std::to_string(row);
        line.replace(40 - number.size(), number.size(), number);
        text += line + "\r\n";
    }
    return text;
}

class DdeHarness {
  public:
    FakeDdeml fake;
    std::unique_ptr<TDdeMgr> manager;

    DdeHarness() {
        fake.server.items[kBlockItem] = Block();
        manager = std::make_unique<TDdeMgr>(nullptr, "C:\\Ohjelmat\\Vareli.exe", fake);
        manager->SetWindowCaptions([] { return std::vector<std::string>{"Vareli", "Asetukset"}; });
        fake.log.clear();
    }

    // Handlers that log "<name> OnOpen", "<name> OnClose", "<name> change '<Text>'".
    void Watch(TDdeClientConv& conv, const std::string& name = "conv") {
        conv.OnOpen = [this, name](TObject*) { fake.log.push_back(name + " OnOpen"); };
        conv.OnClose = [this, name](TObject*) { fake.log.push_back(name + " OnClose"); };
    }
    void Watch(TDdeClientItem& item, const std::string& name = "item") {
        item.OnChange = [this, name, &item](TObject* sender) {
            fake.log.push_back(name + " change '" + Short(item.Text()) + "'" +
                               (sender == &item ? "" : " (wrong sender)"));
        };
    }
    // String handles held by the link, besides the manager's own name.
    int LinkHandles() const { return fake.LiveStringHandles() - 1; }
    // Long texts are logged by length and first characters.
    static std::string Short(const std::string& text) {
        if (text.size() <= 12) return text;
        return text.substr(0, 6) + "..#" + std::to_string(text.size());
    }
    // Only the transactions, connects, starts and events.
    std::vector<std::string> Story() const {
        return fake.LogWithout({"DdeQueryConvInfo", "DdeSetUserHandle", "DdeCreateStringHandleA",
                                "DdeFreeStringHandle", "DdeAccessData", "DdeUnaccessData",
                                "DdeFreeDataHandle", "DdeGetLastError"});
    }
};
