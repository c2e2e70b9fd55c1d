// Seam for the Windows DDE management library (DDEML, ANSI entry points) and
// WinExec, which starts a DDE server that does not answer, and IsWindow, which
// tells whether a conversation's partner is still there. One method per call
// the DDE link makes, with the Win32 arguments and results in portable types:
// instance identifiers, format numbers and flags as 32-bit unsigned values,
// handles (HSZ, HCONV, HDDEDATA, HWND) as std::uintptr_t, 0 meaning none.
// Methods carry the real entry point's name, with its A suffix where it has
// one (windows.h makes the bare names macros).
//
// Threads: DDEML binds an instance to the thread that made it; every call for
// that instance, and every callback, happens on that thread. Nothing here
// throws; failures are reported by results, as DDEML does.
#pragma once

#include <cstdint>
#include <functional>

// The DDEML constants the link uses, with the values of <ddeml.h> (the Win32
// backend checks them against the real macros at compile time).
namespace ddeml {

constexpr std::uint32_t kCpWinAnsi = 1004;  // CP_WINANSI
constexpr std::uint32_t kCfText = 1;        // CF_TEXT
constexpr std::uint32_t kQidSync = 0xFFFFFFFFu;
constexpr std::uint32_t kAppClassStandard = 0;  // APPCLASS_STANDARD
constexpr std::uint32_t kDnsRegister = 0x0001;
constexpr std::uint32_t kDnsUnregister = 0x0002;
constexpr std::uint32_t kSwShowMinNoActive = 7;  // SW_SHOWMINNOACTIVE

constexpr std::uint32_t kXtypfNoData = 0x0004;  // XTYPF_NODATA
constexpr std::uint32_t kXtypError = 0x8002;
constexpr std::uint32_t kXtypAdvData = 0x4010;
constexpr std::uint32_t kXtypAdvReq = 0x2022;
constexpr std::uint32_t kXtypAdvStart = 0x1030;
constexpr std::uint32_t kXtypAdvStop = 0x8040;
constexpr std::uint32_t kXtypExecute = 0x4050;
constexpr std::uint32_t kXtypConnect = 0x1062;
constexpr std::uint32_t kXtypConnectConfirm = 0x8072;
constexpr std::uint32_t kXtypXactComplete = 0x8080;
constexpr std::uint32_t kXtypPoke = 0x4090;
constexpr std::uint32_t kXtypRegister = 0x80A2;
constexpr std::uint32_t kXtypRequest = 0x20B0;
constexpr std::uint32_t kXtypDisconnect = 0x80C2;
constexpr std::uint32_t kXtypUnregister = 0x80D2;
constexpr std::uint32_t kXtypWildConnect = 0x20E2;

constexpr std::uint32_t kDdeFack = 0x8000;           // DDE_FACK
constexpr std::uint32_t kDdeFNotProcessed = 0x0000;  // DDE_FNOTPROCESSED

constexpr std::uint32_t kDmlErrDllUsage = 0x4004;
constexpr std::uint32_t kDmlErrLowMemory = 0x4007;
constexpr std::uint32_t kDmlErrMemoryError = 0x4008;
constexpr std::uint32_t kDmlErrNoConvEstablished = 0x400A;

}  // namespace ddeml

// CONVCONTEXT. cb holds sizeof(DdeConvContext) when set; the backend turns it
// into the size of the system's record.
struct DdeConvContext {
    std::uint32_t cb = 0;
    std::uint32_t wFlags = 0;
    std::uint32_t wCountryID = 0;
    std::int32_t iCodePage = 0;
    std::uint32_t dwLangID = 0;
    std::uint32_t dwSecurity = 0;
    // SECURITY_QUALITY_OF_SERVICE
    std::uint32_t qosLength = 0;
    std::uint32_t qosImpersonationLevel = 0;
    std::uint8_t qosContextTrackingMode = 0;
    std::uint8_t qosEffectiveOnly = 0;
};

// CONVINFO. cb must hold sizeof(DdeConvInfo) before DdeQueryConvInfo; the
// backend turns it into the size of the system's record.
struct DdeConvInfo {
    std::uint32_t cb = 0;
    std::uintptr_t hUser = 0;
    std::uintptr_t hConvPartner = 0;
    std::uintptr_t hszSvcPartner = 0;
    std::uintptr_t hszServiceReq = 0;
    std::uintptr_t hszTopic = 0;
    std::uintptr_t hszItem = 0;
    std::uint32_t wFmt = 0;
    std::uint32_t wType = 0;
    std::uint32_t wStatus = 0;
    std::uint32_t wConvst = 0;
    std::uint32_t wLastError = 0;
    std::uintptr_t hConvList = 0;
    DdeConvContext ConvCtxt;
    std::uintptr_t hwnd = 0;
    std::uintptr_t hwndPartner = 0;
};

// The DDE callback (PFNCALLBACK): type, format, conversation, hsz1, hsz2,
// data, data1, data2; returns a data handle, a Boolean or a DDE_F* flag. It is
// called on the instance's thread and must not throw.
using DdeCallback = std::function<std::uintptr_t(
    std::uint32_t uType, std::uint32_t uFmt, std::uintptr_t hconv, std::uintptr_t hsz1,
    std::uintptr_t hsz2, std::uintptr_t hdata, std::uintptr_t dwData1, std::uintptr_t dwData2)>;

class IDdeml {
  public:
    virtual ~IDdeml() = default;

    // 0 (DMLERR_NO_ERROR) on success; *pidInst receives the instance.
    virtual std::uint32_t DdeInitializeA(std::uint32_t* pidInst, DdeCallback pfnCallback,
                                         std::uint32_t afCmd, std::uint32_t ulRes) = 0;
    virtual bool DdeUninitialize(std::uint32_t idInst) = 0;
    // Returns and clears the instance's last error.
    virtual std::uint32_t DdeGetLastError(std::uint32_t idInst) = 0;

    virtual std::uintptr_t DdeCreateStringHandleA(std::uint32_t idInst, const char* psz,
                                                  std::int32_t iCodePage) = 0;
    virtual bool DdeFreeStringHandle(std::uint32_t idInst, std::uintptr_t hsz) = 0;
    // Copies at most cchMax - 1 characters and a zero; returns the length copied.
    virtual std::uint32_t DdeQueryStringA(std::uint32_t idInst, std::uintptr_t hsz, char* psz,
                                          std::uint32_t cchMax, std::int32_t iCodePage) = 0;
    virtual std::uintptr_t DdeNameService(std::uint32_t idInst, std::uintptr_t hsz1,
                                          std::uintptr_t hsz2, std::uint32_t afCmd) = 0;

    virtual std::uintptr_t DdeConnect(std::uint32_t idInst, std::uintptr_t hszService,
                                      std::uintptr_t hszTopic, const DdeConvContext* pCC) = 0;
    virtual bool DdeDisconnect(std::uintptr_t hConv) = 0;
    // Non-zero on success.
    virtual std::uint32_t DdeQueryConvInfo(std::uintptr_t hConv, std::uint32_t idTransaction,
                                           DdeConvInfo* pConvInfo) = 0;
    virtual bool DdeSetUserHandle(std::uintptr_t hConv, std::uint32_t id, std::uintptr_t hUser) = 0;
    virtual std::uintptr_t DdeClientTransaction(const std::uint8_t* pData, std::uint32_t cbData,
                                                std::uintptr_t hConv, std::uintptr_t hszItem,
                                                std::uint32_t wFmt, std::uint32_t wType,
                                                std::uint32_t dwTimeout,
                                                std::uint32_t* pdwResult) = 0;

    virtual std::uintptr_t DdeCreateDataHandle(std::uint32_t idInst, const std::uint8_t* pSrc,
                                               std::uint32_t cb, std::uint32_t cbOff,
                                               std::uintptr_t hszItem, std::uint32_t wFmt,
                                               std::uint32_t afCmd) = 0;
    // The data's bytes, valid until DdeUnaccessData; *pcbDataSize receives
    // their count. nullptr on failure.
    virtual const std::uint8_t* DdeAccessData(std::uintptr_t hData, std::uint32_t* pcbDataSize) = 0;
    virtual bool DdeUnaccessData(std::uintptr_t hData) = 0;
    virtual bool DdeFreeDataHandle(std::uintptr_t hData) = 0;

    // Starts a program; 32 or more on success. Returns when the program first
    // waits for input, or when the system stops waiting for that.
    virtual std::uint32_t WinExec(const char* lpCmdLine, std::uint32_t uCmdShow) = 0;
    virtual bool IsWindow(std::uintptr_t hWnd) = 0;
};
