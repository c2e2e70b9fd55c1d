// The timing DDEML decorator; see the header.
#include "bench/timed_ddeml.h"

#include <utility>

#include "bench/clock.h"

std::uint32_t TimedDdeml::DdeInitializeA(std::uint32_t* pidInst, DdeCallback pfnCallback,
                                         std::uint32_t afCmd, std::uint32_t ulRes) {
    DdeCallback timed = [this, callback = std::move(pfnCallback)](
                            std::uint32_t uType, std::uint32_t uFmt, std::uintptr_t hconv,
                            std::uintptr_t hsz1, std::uintptr_t hsz2, std::uintptr_t hdata,
                            std::uintptr_t dwData1, std::uintptr_t dwData2) {
        if (uType == ddeml::kXtypAdvData) {
            lastNotice_ = BenchNow();
            ++notices_;
        }
        return callback(uType, uFmt, hconv, hsz1, hsz2, hdata, dwData1, dwData2);
    };
    return inner_.DdeInitializeA(pidInst, std::move(timed), afCmd, ulRes);
}

std::uintptr_t TimedDdeml::DdeClientTransaction(const std::uint8_t* pData, std::uint32_t cbData,
                                                std::uintptr_t hConv, std::uintptr_t hszItem,
                                                std::uint32_t wFmt, std::uint32_t wType,
                                                std::uint32_t dwTimeout, std::uint32_t* pdwResult) {
    if (wType != ddeml::kXtypRequest)
        return inner_.DdeClientTransaction(pData, cbData, hConv, hszItem, wFmt, wType, dwTimeout,
                                           pdwResult);
    const double start = BenchNow();
    const std::uintptr_t data = inner_.DdeClientTransaction(pData, cbData, hConv, hszItem, wFmt,
                                                            wType, dwTimeout, pdwResult);
    lastRequestStart_ = start;
    lastRequestEnd_ = BenchNow();
    ++requests_;
    return data;
}
