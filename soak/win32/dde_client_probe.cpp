// A bare DDE client for the soak: connects to the decoder's service, holds a
// warm link on one item and, for every data notice, makes one request and
// frees its data, the way Vareli's item link does, with nothing else around
// it (no window toolkit, no spot handling). Its memory over the same notices
// tells how much of the program's growth per notice is the system's own
// (wine's DDEML) rather than the program's.
//   dde_client_probe SERVICE TOPIC ITEM SECONDS
// Prints "notices N requests N failed N" at the end; exit code 0, or 1 when
// the conversation or the link could not be made.
#include <windows.h>
// windows.h first: ddeml.h needs its types.
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>

namespace {

DWORD g_inst = 0;
HSZ g_item = nullptr;
long g_notices = 0;
long g_requests = 0;
long g_failed = 0;

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV conv, HSZ, HSZ item, HDDEDATA, ULONG_PTR,
                           ULONG_PTR) {
    if (type != XTYP_ADVDATA) return nullptr;
    ++g_notices;
    // One request per notice, from the notice's callback: wine's DDEML takes
    // back-to-back requests badly (see DESIGN.md).
    HDDEDATA data =
        DdeClientTransaction(nullptr, 0, conv, item, CF_TEXT, XTYP_REQUEST, 1000, nullptr);
    if (data == nullptr) {
        ++g_failed;
    } else {
        ++g_requests;
        DWORD size = 0;
        const BYTE* bytes = DdeAccessData(data, &size);
        if (bytes != nullptr) DdeUnaccessData(data);
        DdeFreeDataHandle(data);
    }
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: dde_client_probe SERVICE TOPIC ITEM SECONDS\n");
        return 2;
    }
    if (DdeInitializeA(&g_inst, Callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 1;
    HSZ service = DdeCreateStringHandleA(g_inst, argv[1], CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(g_inst, argv[2], CP_WINANSI);
    g_item = DdeCreateStringHandleA(g_inst, argv[3], CP_WINANSI);
    HCONV conv = DdeConnect(g_inst, service, topic, nullptr);
    if (conv == nullptr ||
        DdeClientTransaction(nullptr, 0, conv, g_item, CF_TEXT, XTYP_ADVSTART | XTYPF_NODATA, 1000,
                             nullptr) == nullptr) {
        std::fprintf(stderr, "dde_client_probe: no conversation or no link\n");
        return 1;
    }
    std::printf("linked\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(argv[4])) * 1000u;
    MSG msg;
    while (static_cast<LONG>(GetTickCount() - end) < 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    DdeClientTransaction(nullptr, 0, conv, g_item, CF_TEXT, XTYP_ADVSTOP, 1000, nullptr);
    DdeDisconnect(conv);
    DdeFreeStringHandle(g_inst, g_item);
    DdeFreeStringHandle(g_inst, topic);
    DdeFreeStringHandle(g_inst, service);
    DdeUninitialize(g_inst);
    std::printf("notices %ld requests %ld failed %ld\n", g_notices, g_requests, g_failed);
    return 0;
}
