// An IDdeml that passes every call to another and notes when things happen
// on the way: when a change notice (XTYP_ADVDATA) reaches the instance's
// callback, and when each request (XTYP_REQUEST) starts and returns. The
// latency benchmark installs it in front of the real DDEML so the program's
// own conversation is timed without a change to it.
//
// Same thread rules as the IDdeml it wraps (the instance's thread); owns no
// DDE resource; throws nothing of its own.
#pragma once

#include <cstdint>

#include "platform/ddeml.h"

class TimedDdeml : public IDdeml {
  public:
    explicit TimedDdeml(IDdeml& inner) : inner_(inner) {}

    // Times (BenchNow) of the latest notice and the latest request; 0 before any.
    double LastNotice() const { return lastNotice_; }
    double LastRequestStart() const { return lastRequestStart_; }
    double LastRequestEnd() const { return lastRequestEnd_; }
    int Notices() const { return notices_; }
    int Requests() const { return requests_; }

    std::uint32_t DdeInitializeA(std::uint32_t* pidInst, DdeCallback pfnCallback,
                                 std::uint32_t afCmd, std::uint32_t ulRes) override;
    bool DdeUninitialize(std::uint32_t idInst) override { return inner_.DdeUninitialize(idInst); }
    std::uint32_t DdeGetLastError(std::uint32_t idInst) override {
        return inner_.DdeGetLastError(idInst);
    }
    std::uintptr_t DdeCreateStringHandleA(std::uint32_t idInst, const char* psz,
                                          std::int32_t iCodePage) override {
        return inner_.DdeCreateStringHandleA(idInst, psz, iCodePage);
    }
    bool DdeFreeStringHandle(std::uint32_t idInst, std::uintptr_t hsz) override {
        return inner_.DdeFreeStringHandle(idInst, hsz);
    }
    std::uint32_t DdeQueryStringA(std::uint32_t idInst, std::uintptr_t hsz, char* psz,
                                  std::uint32_t cchMax, std::int32_t iCodePage) override {
        return inner_.DdeQueryStringA(idInst, hsz, psz, cchMax, iCodePage);
    }
    std::uintptr_t DdeNameService(std::uint32_t idInst, std::uintptr_t hsz1, std::uintptr_t hsz2,
                                  std::uint32_t afCmd) override {
        return inner_.DdeNameService(idInst, hsz1, hsz2, afCmd);
    }
    std::uintptr_t DdeConnect(std::uint32_t idInst, std::uintptr_t hszService,
                              std::uintptr_t hszTopic, const DdeConvContext* pCC) override {
        return inner_.DdeConnect(idInst, hszService, hszTopic, pCC);
    }
    bool DdeDisconnect(std::uintptr_t hConv) override { return inner_.DdeDisconnect(hConv); }
    std::uint32_t DdeQueryConvInfo(std::uintptr_t hConv, std::uint32_t idTransaction,
                                   DdeConvInfo* pConvInfo) override {
        return inner_.DdeQueryConvInfo(hConv, idTransaction, pConvInfo);
    }
    bool DdeSetUserHandle(std::uintptr_t hConv, std::uint32_t id, std::uintptr_t hUser) override {
        return inner_.DdeSetUserHandle(hConv, id, hUser);
    }
    std::uintptr_t DdeClientTransaction(const std::uint8_t* pData, std::uint32_t cbData,
                                        std::uintptr_t hConv, std::uintptr_t hszItem,
                                        std::uint32_t wFmt, std::uint32_t wType,
                                        std::uint32_t dwTimeout, std::uint32_t* pdwResult) override;
    std::uintptr_t DdeCreateDataHandle(std::uint32_t idInst, const std::uint8_t* pSrc,
                                       std::uint32_t cb, std::uint32_t cbOff,
                                       std::uintptr_t hszItem, std::uint32_t wFmt,
                                       std::uint32_t afCmd) override {
        return inner_.DdeCreateDataHandle(idInst, pSrc, cb, cbOff, hszItem, wFmt, afCmd);
    }
    const std::uint8_t* DdeAccessData(std::uintptr_t hData, std::uint32_t* pcbDataSize) override {
        return inner_.DdeAccessData(hData, pcbDataSize);
    }
    bool DdeUnaccessData(std::uintptr_t hData) override { return inner_.DdeUnaccessData(hData); }
    bool DdeFreeDataHandle(std::uintptr_t hData) override {
        return inner_.DdeFreeDataHandle(hData);
    }
    std::uint32_t WinExec(const char* lpCmdLine, std::uint32_t uCmdShow) override {
        return inner_.WinExec(lpCmdLine, uCmdShow);
    }
    bool IsWindow(std::uintptr_t hWnd) override { return inner_.IsWindow(hWnd); }

  private:
    IDdeml& inner_;
    double lastNotice_ = 0;
    double lastRequestStart_ = 0;
    double lastRequestEnd_ = 0;
    int notices_ = 0;
    int requests_ = 0;
};
