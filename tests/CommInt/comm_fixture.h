// What the serial component's tests share: the fakes of both seams installed
// for the test's life, a port "Com2" that opens, a component that exposes its
// protected operations, and a main-thread pump for the watcher's hand-overs.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "CommInt/comm.h"
#include "fakes/fake_comm.h"
#include "fakes/fake_sync.h"
#include "platform/seam.h"
#include "rtl/main_thread.h"

class TestComm : public TComm {
  public:
    using TComm::TComm;
    using TCustomComm::HandleCommEvent;
    using TCustomComm::UpdateCommTimeouts;
    using TCustomComm::UpdateDataControlBlock;
};

class CommTest : public ::testing::Test {
  protected:
    CommTest() {
        comm.AddDevice("Com2");
        // A device that reports a flag word with bits in every group, so that
        // what the component keeps and what it clears both show.
        comm.deviceState.BaudRate = 1200;
        comm.deviceState.Flags = 0x4FF3;
        comm.deviceState.ByteSize = 7;
        comm.deviceState.Parity = 2;
        comm.deviceState.StopBits = 2;
        comm.deviceState.XonChar = 'a';
        comm.deviceState.XoffChar = 'b';
        comm.deviceState.XonLim = 7;
        comm.deviceState.XoffLim = 9;
    }

    // Runs hand-overs on this (the main) thread until done() or 5 s pass.
    static bool PumpUntil(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) return false;
            MainThread::CheckSynchronize(5);
        }
        return true;
    }

    FakeSync sync;
    FakeComm comm{sync};
    ScopedSeam<ISync> syncSeam{&sync};
    ScopedSeam<IComm> commSeam{&comm};
};
