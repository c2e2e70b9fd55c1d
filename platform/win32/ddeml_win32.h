// The DDEML calls and WinExec behind IDdeml, made directly on user32 and
// kernel32.
//
// DDEML's callback carries no context, so the backend keeps the callback of
// the instance made on each thread and forwards to it from one plain
// function. DDEML calls back only on the instance's thread, so that slot is
// per thread, and a thread holds one instance at a time: a second
// DdeInitializeA on the same thread fails with DMLERR_DLL_USAGE.
#pragma once

#include "platform/ddeml.h"

class Win32Ddeml : public IDdeml {
  public:
    std::uint32_t DdeInitializeA(std::uint32_t* pidInst, DdeCallback pfnCallback,
                                 std::uint32_t afCmd, std::uint32_t ulRes) override;
    bool DdeUninitialize(std::uint32_t idInst) override;
    std::uint32_t DdeGetLastError(std::uint32_t idInst) override;
    std::uintptr_t DdeCreateStringHandleA(std::uint32_t idInst, const char* psz,
                                          std::int32_t iCodePage) override;
    bool DdeFreeStringHandle(std::uint32_t idInst, std::uintptr_t hsz) override;
    std::uint32_t DdeQueryStringA(std::uint32_t idInst, std::uintptr_t hsz, char* psz,
                                  std::uint32_t cchMax, std::int32_t iCodePage) override;
    std::uintptr_t DdeNameService(std::uint32_t idInst, std::uintptr_t hsz1, std::uintptr_t hsz2,
                                  std::uint32_t afCmd) override;
    std::uintptr_t DdeConnect(std::uint32_t idInst, std::uintptr_t hszService,
                              std::uintptr_t hszTopic, const DdeConvContext* pCC) override;
    bool DdeDisconnect(std::uintptr_t hConv) override;
    std::uint32_t DdeQueryConvInfo(std::uintptr_t hConv, std::uint32_t idTransaction,
                                   DdeConvInfo* pConvInfo) override;
    bool DdeSetUserHandle(std::uintptr_t hConv, std::uint32_t id, std::uintptr_t hUser) override;
    std::uintptr_t DdeClientTransaction(const std::uint8_t* pData, std::uint32_t cbData,
                                        std::uintptr_t hConv, std::uintptr_t hszItem,
                                        std::uint32_t wFmt, std::uint32_t wType,
                                        std::uint32_t dwTimeout, std::uint32_t* pdwResult) override;
    std::uintptr_t DdeCreateDataHandle(std::uint32_t idInst, const std::uint8_t* pSrc,
                                       std::uint32_t cb, std::uint32_t cbOff,
                                       std::uintptr_t hszItem, std::uint32_t wFmt,
                                       std::uint32_t afCmd) override;
    const std::uint8_t* DdeAccessData(std::uintptr_t hData, std::uint32_t* pcbDataSize) override;
    bool DdeUnaccessData(std::uintptr_t hData) override;
    bool DdeFreeDataHandle(std::uintptr_t hData) override;
    std::uint32_t WinExec(const char* lpCmdLine, std::uint32_t uCmdShow) override;
    bool IsWindow(std::uintptr_t hWnd) override;
};
