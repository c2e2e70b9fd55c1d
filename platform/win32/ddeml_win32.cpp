// Straight calls into DDEML (user32) and WinExec (kernel32). The portable
// records (DdeConvContext, DdeConvInfo) are copied to and from the system's;
// their cb members are turned into the system record's size.
#include "platform/win32/ddeml_win32.h"

// ddeml.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

#include <exception>

#include "rtl/error_report.h"

// The portable constants must be the system's.
static_assert(ddeml::kCpWinAnsi == CP_WINANSI, "CP_WINANSI");
static_assert(ddeml::kCfText == CF_TEXT, "CF_TEXT");
static_assert(ddeml::kQidSync == QID_SYNC, "QID_SYNC");
static_assert(ddeml::kAppClassStandard == APPCLASS_STANDARD, "APPCLASS_STANDARD");
static_assert(ddeml::kDnsRegister == DNS_REGISTER && ddeml::kDnsUnregister == DNS_UNREGISTER,
              "DNS_*");
static_assert(ddeml::kSwShowMinNoActive == SW_SHOWMINNOACTIVE, "SW_SHOWMINNOACTIVE");
static_assert(ddeml::kXtypfNoData == XTYPF_NODATA, "XTYPF_NODATA");
static_assert(ddeml::kXtypError == XTYP_ERROR && ddeml::kXtypAdvData == XTYP_ADVDATA &&
                  ddeml::kXtypAdvReq == XTYP_ADVREQ && ddeml::kXtypAdvStart == XTYP_ADVSTART &&
                  ddeml::kXtypAdvStop == XTYP_ADVSTOP && ddeml::kXtypExecute == XTYP_EXECUTE &&
                  ddeml::kXtypConnect == XTYP_CONNECT &&
                  ddeml::kXtypConnectConfirm == XTYP_CONNECT_CONFIRM &&
                  ddeml::kXtypXactComplete == XTYP_XACT_COMPLETE && ddeml::kXtypPoke == XTYP_POKE &&
                  ddeml::kXtypRegister == XTYP_REGISTER && ddeml::kXtypRequest == XTYP_REQUEST &&
                  ddeml::kXtypDisconnect == XTYP_DISCONNECT &&
                  ddeml::kXtypUnregister == XTYP_UNREGISTER &&
                  ddeml::kXtypWildConnect == XTYP_WILDCONNECT,
              "XTYP_*");
static_assert(ddeml::kDdeFack == DDE_FACK && ddeml::kDdeFNotProcessed == DDE_FNOTPROCESSED,
              "DDE_F*");
static_assert(ddeml::kDmlErrDllUsage == DMLERR_DLL_USAGE &&
                  ddeml::kDmlErrLowMemory == DMLERR_LOW_MEMORY &&
                  ddeml::kDmlErrMemoryError == DMLERR_MEMORY_ERROR &&
                  ddeml::kDmlErrNoConvEstablished == DMLERR_NO_CONV_ESTABLISHED,
              "DMLERR_*");
// The HSZPAIR list of a wild connect is built from std::uintptr_t pairs.
static_assert(sizeof(HSZ) == sizeof(std::uintptr_t), "HSZ size");

namespace {

// The callback of the instance made on this thread.
thread_local DdeCallback threadCallback;
thread_local bool threadHasInstance = false;

template <class T>
T As(std::uintptr_t value) {
    return reinterpret_cast<T>(value);
}

template <class T>
std::uintptr_t Raw(T value) {
    return reinterpret_cast<std::uintptr_t>(value);
}

HDDEDATA CALLBACK Trampoline(UINT uType, UINT uFmt, HCONV hconv, HSZ hsz1, HSZ hsz2, HDDEDATA hdata,
                             ULONG_PTR dwData1, ULONG_PTR dwData2) {
    // No exception may unwind into DDEML.
    try {
        if (!threadCallback) return nullptr;
        return As<HDDEDATA>(threadCallback(uType, uFmt, Raw(hconv), Raw(hsz1), Raw(hsz2),
                                           Raw(hdata), dwData1, dwData2));
    } catch (...) {
        ErrorReport::Report(std::current_exception());
        return nullptr;
    }
}

CONVCONTEXT ToSystem(const DdeConvContext& from) {
    CONVCONTEXT to = {};
    to.cb = from.cb == sizeof(DdeConvContext) ? sizeof(CONVCONTEXT) : from.cb;
    to.wFlags = from.wFlags;
    to.wCountryID = from.wCountryID;
    to.iCodePage = from.iCodePage;
    to.dwLangID = from.dwLangID;
    to.dwSecurity = from.dwSecurity;
    to.qos.Length = from.qosLength;
    to.qos.ImpersonationLevel =
        static_cast<SECURITY_IMPERSONATION_LEVEL>(from.qosImpersonationLevel);
    to.qos.ContextTrackingMode = from.qosContextTrackingMode;
    to.qos.EffectiveOnly = from.qosEffectiveOnly;
    return to;
}

DdeConvContext FromSystem(const CONVCONTEXT& from) {
    DdeConvContext to;
    to.cb = from.cb == sizeof(CONVCONTEXT) ? sizeof(DdeConvContext) : from.cb;
    to.wFlags = from.wFlags;
    to.wCountryID = from.wCountryID;
    to.iCodePage = from.iCodePage;
    to.dwLangID = from.dwLangID;
    to.dwSecurity = from.dwSecurity;
    to.qosLength = from.qos.Length;
    to.qosImpersonationLevel = static_cast<std::uint32_t>(from.qos.ImpersonationLevel);
    to.qosContextTrackingMode = from.qos.ContextTrackingMode;
    to.qosEffectiveOnly = from.qos.EffectiveOnly;
    return to;
}

}  // namespace

std::uint32_t Win32Ddeml::DdeInitializeA(std::uint32_t* pidInst, DdeCallback pfnCallback,
                                         std::uint32_t afCmd, std::uint32_t ulRes) {
    if (threadHasInstance) return DMLERR_DLL_USAGE;
    // Set before the call: DDEML may call back before it returns.
    threadCallback = std::move(pfnCallback);
    DWORD instance = *pidInst;
    const UINT result = ::DdeInitializeA(&instance, Trampoline, afCmd, ulRes);
    *pidInst = instance;
    if (result == DMLERR_NO_ERROR) {
        threadHasInstance = true;
    } else {
        threadCallback = nullptr;
    }
    return result;
}

bool Win32Ddeml::DdeUninitialize(std::uint32_t idInst) {
    const bool ok = ::DdeUninitialize(idInst) != FALSE;
    threadCallback = nullptr;
    threadHasInstance = false;
    return ok;
}

std::uint32_t Win32Ddeml::DdeGetLastError(std::uint32_t idInst) {
    return ::DdeGetLastError(idInst);
}

std::uintptr_t Win32Ddeml::DdeCreateStringHandleA(std::uint32_t idInst, const char* psz,
                                                  std::int32_t iCodePage) {
    return Raw(::DdeCreateStringHandleA(idInst, psz, iCodePage));
}

bool Win32Ddeml::DdeFreeStringHandle(std::uint32_t idInst, std::uintptr_t hsz) {
    return ::DdeFreeStringHandle(idInst, As<HSZ>(hsz)) != FALSE;
}

std::uint32_t Win32Ddeml::DdeQueryStringA(std::uint32_t idInst, std::uintptr_t hsz, char* psz,
                                          std::uint32_t cchMax, std::int32_t iCodePage) {
    return ::DdeQueryStringA(idInst, As<HSZ>(hsz), psz, cchMax, iCodePage);
}

std::uintptr_t Win32Ddeml::DdeNameService(std::uint32_t idInst, std::uintptr_t hsz1,
                                          std::uintptr_t hsz2, std::uint32_t afCmd) {
    return Raw(::DdeNameService(idInst, As<HSZ>(hsz1), As<HSZ>(hsz2), afCmd));
}

std::uintptr_t Win32Ddeml::DdeConnect(std::uint32_t idInst, std::uintptr_t hszService,
                                      std::uintptr_t hszTopic, const DdeConvContext* pCC) {
    CONVCONTEXT context = {};
    if (pCC != nullptr) context = ToSystem(*pCC);
    return Raw(::DdeConnect(idInst, As<HSZ>(hszService), As<HSZ>(hszTopic),
                            pCC != nullptr ? &context : nullptr));
}

bool Win32Ddeml::DdeDisconnect(std::uintptr_t hConv) {
    return ::DdeDisconnect(As<HCONV>(hConv)) != FALSE;
}

std::uint32_t Win32Ddeml::DdeQueryConvInfo(std::uintptr_t hConv, std::uint32_t idTransaction,
                                           DdeConvInfo* pConvInfo) {
    CONVINFO info = {};
    info.cb = pConvInfo->cb == sizeof(DdeConvInfo) ? sizeof(CONVINFO) : pConvInfo->cb;
    const UINT result = ::DdeQueryConvInfo(As<HCONV>(hConv), idTransaction, &info);
    if (result == 0) return 0;
    pConvInfo->hUser = info.hUser;
    pConvInfo->hConvPartner = Raw(info.hConvPartner);
    pConvInfo->hszSvcPartner = Raw(info.hszSvcPartner);
    pConvInfo->hszServiceReq = Raw(info.hszServiceReq);
    pConvInfo->hszTopic = Raw(info.hszTopic);
    pConvInfo->hszItem = Raw(info.hszItem);
    pConvInfo->wFmt = info.wFmt;
    pConvInfo->wType = info.wType;
    pConvInfo->wStatus = info.wStatus;
    pConvInfo->wConvst = info.wConvst;
    pConvInfo->wLastError = info.wLastError;
    pConvInfo->hConvList = Raw(info.hConvList);
    pConvInfo->ConvCtxt = FromSystem(info.ConvCtxt);
    pConvInfo->hwnd = Raw(info.hwnd);
    pConvInfo->hwndPartner = Raw(info.hwndPartner);
    return result;
}

bool Win32Ddeml::DdeSetUserHandle(std::uintptr_t hConv, std::uint32_t id, std::uintptr_t hUser) {
    return ::DdeSetUserHandle(As<HCONV>(hConv), id, hUser) != FALSE;
}

std::uintptr_t Win32Ddeml::DdeClientTransaction(const std::uint8_t* pData, std::uint32_t cbData,
                                                std::uintptr_t hConv, std::uintptr_t hszItem,
                                                std::uint32_t wFmt, std::uint32_t wType,
                                                std::uint32_t dwTimeout, std::uint32_t* pdwResult) {
    DWORD result = 0;
    // DDEML takes a non-const pointer but only reads the data it is given.
    const HDDEDATA data =
        ::DdeClientTransaction(const_cast<LPBYTE>(pData), cbData, As<HCONV>(hConv),
                               As<HSZ>(hszItem), wFmt, wType, dwTimeout, &result);
    if (pdwResult != nullptr) *pdwResult = result;
    return Raw(data);
}

std::uintptr_t Win32Ddeml::DdeCreateDataHandle(std::uint32_t idInst, const std::uint8_t* pSrc,
                                               std::uint32_t cb, std::uint32_t cbOff,
                                               std::uintptr_t hszItem, std::uint32_t wFmt,
                                               std::uint32_t afCmd) {
    return Raw(::DdeCreateDataHandle(idInst, const_cast<LPBYTE>(pSrc), cb, cbOff, As<HSZ>(hszItem),
                                     wFmt, afCmd));
}

const std::uint8_t* Win32Ddeml::DdeAccessData(std::uintptr_t hData, std::uint32_t* pcbDataSize) {
    DWORD size = 0;
    const LPBYTE bytes = ::DdeAccessData(As<HDDEDATA>(hData), &size);
    if (pcbDataSize != nullptr) *pcbDataSize = bytes != nullptr ? size : 0;
    return bytes;
}

bool Win32Ddeml::DdeUnaccessData(std::uintptr_t hData) {
    return ::DdeUnaccessData(As<HDDEDATA>(hData)) != FALSE;
}

bool Win32Ddeml::DdeFreeDataHandle(std::uintptr_t hData) {
    return ::DdeFreeDataHandle(As<HDDEDATA>(hData)) != FALSE;
}

std::uint32_t Win32Ddeml::WinExec(const char* lpCmdLine, std::uint32_t uCmdShow) {
    return ::WinExec(lpCmdLine, uCmdShow);
}

bool Win32Ddeml::IsWindow(std::uintptr_t hWnd) {
    return ::IsWindow(reinterpret_cast<HWND>(hWnd)) != FALSE;
}
