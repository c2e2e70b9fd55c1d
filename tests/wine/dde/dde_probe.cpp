// An outside DDE client for the wine tests: connects to SERVICE/TOPIC, tries a
// warm link and a request on ITEM, and prints one line per step:
//   connect ok|refused, advstart ok|refused, request data|none
// (No poke: wine 8.0's client reports every poke as done, even one the server
// refused, so a poke here would prove nothing.)
// Usage: dde_probe SERVICE TOPIC ITEM
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

#include <cstdio>

namespace {

HDDEDATA CALLBACK Callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// Back to the message loop between transactions: wine's DDEML may otherwise
// take a late acknowledgement of one transaction as the reply to the next.
void Settle() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 100) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(5);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::puts("usage: dde_probe SERVICE TOPIC ITEM");
        return 2;
    }
    DWORD instance = 0;
    if (DdeInitializeA(&instance, Callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 3;
    HSZ service = DdeCreateStringHandleA(instance, argv[1], CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, argv[2], CP_WINANSI);
    HSZ item = DdeCreateStringHandleA(instance, argv[3], CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topic, nullptr);
    std::printf("connect %s\n", conversation != nullptr ? "ok" : "refused");
    if (conversation != nullptr) {
        HDDEDATA result = DdeClientTransaction(nullptr, 0, conversation, item, CF_TEXT,
                                               XTYP_ADVSTART | XTYPF_NODATA, 1000, nullptr);
        std::printf("advstart %s\n", result != nullptr ? "ok" : "refused");
        Settle();
        result = DdeClientTransaction(nullptr, 0, conversation, item, CF_TEXT, XTYP_REQUEST, 1000,
                                      nullptr);
        std::printf("request %s\n", result != nullptr ? "data" : "none");
        if (result != nullptr) DdeFreeDataHandle(result);
        Settle();
        DdeDisconnect(conversation);
    }
    std::fflush(stdout);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeFreeStringHandle(instance, item);
    DdeUninitialize(instance);
    return 0;
}
