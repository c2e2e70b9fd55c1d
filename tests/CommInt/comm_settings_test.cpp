// Values after construction, the property writers, and what the line
// settings make of the device control block.
#include <gtest/gtest.h>

#include "comm_fixture.h"

namespace {

class CommSettingsTest : public CommTest {
  protected:
    // The control block of the last SetCommState.
    Dcb LastState() const {
        const std::vector<Dcb> states = comm.States();
        EXPECT_FALSE(states.empty());
        return states.empty() ? Dcb() : states.back();
    }

    template <class Call>
    static void ExpectPortAssigned(Call&& call) {
        try {
            call();
            ADD_FAILURE() << "no ECommError";
        } catch (const ECommError& e) {
            EXPECT_EQ(e.Message(), "Port already assigned (open) (Error: -1) ");
            EXPECT_EQ(e.ErrorCode(), -1);
        }
    }
};

TEST_F(CommSettingsTest, AFreshComponentHoldsItsDefaultsAndIsClosed) {
    TestComm port(nullptr);
    EXPECT_EQ(port.DeviceName(), "Com2");
    EXPECT_EQ(port.ReadTimeout(), 1000);
    EXPECT_EQ(port.WriteTimeout(), 1000);
    EXPECT_EQ(port.ReadBufSize(), 4096);
    EXPECT_EQ(port.WriteBufSize(), 2048);
    EXPECT_TRUE(port.MonitorEvents() == AllCommEvents());
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.Parity(), paNone);
    EXPECT_EQ(port.Stopbits(), sb10);
    EXPECT_EQ(port.Databits(), da8);
    EXPECT_TRUE(port.Options().Empty());
    EXPECT_EQ(port.FlowControl(), fcDefault);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Handle(), kInvalidHandleValue);
    EXPECT_FALSE(port.OnBreak || port.OnCts || port.OnDsr || port.OnError || port.OnRing ||
                 port.OnRlsd || port.OnRxChar || port.OnRxFlag || port.OnTxEmpty);
    EXPECT_EQ(comm.Calls().size(), 0u);
}

TEST_F(CommSettingsTest, OwnedByAFormItGoesWithIt) {
    auto* form = new TComponent(nullptr);
    auto* port = new TestComm(form);
    EXPECT_EQ(form->ComponentCount(), 1);
    EXPECT_EQ(form->Components(0), port);
    const int eventsBefore = sync.OpenEvents();
    delete form;
    EXPECT_EQ(sync.OpenEvents(), eventsBefore - 1);  // its write event
    EXPECT_EQ(sync.LiveSections(), 0);               // its lock
}

TEST_F(CommSettingsTest, WithTheDefaultsTheDeviceRunsAt9600EightNoParityOneStop) {
    TestComm port(nullptr);
    port.Open();
    const Dcb dcb = LastState();
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, 0);    // NOPARITY
    EXPECT_EQ(dcb.StopBits, 0);  // ONESTOPBIT
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(dcb.ErrorChar, 0);
    EXPECT_EQ(dcb.EofChar, 0);
    EXPECT_EQ(dcb.EvtChar, 0);
    EXPECT_EQ(dcb.XonLim, 1024);
    EXPECT_EQ(dcb.XoffLim, 1024);
    // As the device had it (0x4FF3), less fParity, fDsrSensitivity,
    // fTXContinueOnXoff, fErrorChar and fNull.
    EXPECT_EQ(dcb.Flags, 0x4331u);

    const std::vector<CommTimeouts> timeouts = comm.Timeouts();
    ASSERT_EQ(timeouts.size(), 1u);
    EXPECT_EQ(timeouts[0].ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(timeouts[0].ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts[0].ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(timeouts[0].WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts[0].WriteTotalTimeoutConstant, 0u);

    const auto setup = comm.SetupCommArgs();
    ASSERT_EQ(setup.size(), 1u);
    EXPECT_EQ(setup[0].first, 4096u);
    EXPECT_EQ(setup[0].second, 2048u);
}

TEST_F(CommSettingsTest, LineSettingsWhileClosedTouchNoDeviceAndArriveAtTheNextOpen) {
    TestComm port(nullptr);
    port.SetBaudRate(br19200);
    port.SetParity(paEven);
    port.SetStopbits(sb20);
    port.SetDatabits(da7);
    port.SetOptions({coNullStrip});
    port.SetFlowControl(fcNone);
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_EQ(port.Databits(), da7);
    EXPECT_EQ(comm.Calls().size(), 0u);

    port.Open();
    const Dcb dcb = LastState();
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.Parity, 2);    // EVENPARITY
    EXPECT_EQ(dcb.StopBits, 2);  // TWOSTOPBITS
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Flags, 0x0001u | 0x0800u);  // fBinary, then fNull
}

TEST_F(CommSettingsTest, EveryMemberMapsToItsDeviceValue) {
    const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = 0; i <= br256000; ++i)
        EXPECT_EQ(BaudRateValue(static_cast<TBaudrate>(i)), rates[i]) << i;
    for (int i = 0; i <= da8; ++i) EXPECT_EQ(ByteSizeValue(static_cast<TDatabits>(i)), 4 + i);
    EXPECT_EQ(ParityValue(paSpace), 4);
    EXPECT_EQ(StopBitsValue(sb15), 1);
    EXPECT_EQ(EventMask(AllCommEvents()), 0x01FFu);
    EXPECT_EQ(EventMask({evRxChar, evTxEmpty}), 0x0005u);
    EXPECT_EQ(EventMask({evBreak}), 0x0040u);
    EXPECT_EQ(EventMask({evError}), 0x0080u);
    EXPECT_EQ(EventMask({evRing}), 0x0100u);
    EXPECT_EQ(EventMask({evRlsd}), 0x0020u);
}

struct FlowCase {
    TFlowControl flow;
    TCommOptions options;
    std::uint32_t deviceFlags;
    std::uint32_t expected;
};

class FlowControlTest : public CommSettingsTest, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(FlowControlTest, FlowControlThenOptionsShapeTheFlagWord) {
    comm.deviceState.Flags = GetParam().deviceFlags;
    TestComm port(nullptr);
    port.SetFlowControl(GetParam().flow);
    port.SetOptions(GetParam().options);
    port.Open();
    EXPECT_EQ(LastState().Flags, GetParam().expected);
}

// The device reports DTR_CONTROL_ENABLE and RTS_CONTROL_ENABLE (0x1010):
// the handshake bits are ORed in beside them, nothing is cleared.
INSTANTIATE_TEST_SUITE_P(Table, FlowControlTest,
                         ::testing::Values(FlowCase{fcNone, {coParityCheck}, 0x4FF3, 0x0003},
                                           FlowCase{fcNone, {}, 0x4FF3, 0x0001},
                                           FlowCase{fcCTS, {}, 0x1010, 0x3014},
                                           FlowCase{fcDTR, {}, 0x1010, 0x1038},
                                           FlowCase{fcSoftware, {}, 0x1010, 0x1310},
                                           FlowCase{fcDefault, {}, 0x1010, 0x1010},
                                           FlowCase{fcDefault,
                                                    {coParityCheck, coDsrSensitivity, coIgnoreXOff,
                                                     coErrorChar, coNullStrip},
                                                    0x0000,
                                                    0x0CC2},
                                           FlowCase{fcSoftware, {coIgnoreXOff}, 0x0000, 0x0380}));

TEST_F(CommSettingsTest, XonAndXoffLimitsAreAQuarterOfTheReadBuffer) {
    {
        TestComm port(nullptr);
        port.SetReadBufSize(4098);
        port.Open();
        EXPECT_EQ(LastState().XonLim, 1024);
        EXPECT_EQ(LastState().XoffLim, 1024);
        EXPECT_EQ(comm.SetupCommArgs().back().first, 4098u);
    }
    TestComm port(nullptr);
    port.SetReadBufSize(3);
    port.Open();
    EXPECT_EQ(LastState().XonLim, 0);
    EXPECT_EQ(LastState().XoffLim, 0);
}

TEST_F(CommSettingsTest, WhileOpenTheDeviceChoiceIsFixedButItsCurrentValueMayBeRepeated) {
    TestComm port(nullptr);
    port.Open();
    ASSERT_TRUE(comm.AwaitPendingWait());  // the watcher is quiet from here on
    const std::size_t calls = comm.Calls().size();
    port.SetDeviceName("Com2");
    port.SetReadBufSize(4096);
    port.SetWriteBufSize(2048);
    port.SetMonitorEvents(AllCommEvents());

    ExpectPortAssigned([&] { port.SetDeviceName("Com3"); });
    ExpectPortAssigned([&] { port.SetReadBufSize(8192); });
    ExpectPortAssigned([&] { port.SetWriteBufSize(1); });
    ExpectPortAssigned([&] { port.SetMonitorEvents({evRxChar}); });
    EXPECT_EQ(port.DeviceName(), "Com2");
    EXPECT_EQ(port.ReadBufSize(), 4096);
    EXPECT_EQ(port.WriteBufSize(), 2048);
    EXPECT_TRUE(port.MonitorEvents() == AllCommEvents());

    // Time-outs are only stored.
    port.SetReadTimeout(5);
    port.SetWriteTimeout(7);
    EXPECT_EQ(port.ReadTimeout(), 5);
    EXPECT_EQ(port.WriteTimeout(), 7);
    EXPECT_EQ(comm.Calls().size(), calls);
    EXPECT_TRUE(port.IsOpen());

    port.Close();
    port.SetDeviceName("Com3");
    port.SetMonitorEvents({evRxChar});
    EXPECT_EQ(port.DeviceName(), "Com3");
}

TEST_F(CommSettingsTest, WhileOpenALineSettingGoesToTheDeviceAtOnceAndOnlyWhenItChanges) {
    TestComm port(nullptr);
    port.Open();
    const std::size_t states = comm.States().size();
    port.SetBaudRate(br9600);  // unchanged
    EXPECT_EQ(comm.States().size(), states);
    port.SetBaudRate(br115200);
    ASSERT_EQ(comm.States().size(), states + 1);
    EXPECT_EQ(LastState().BaudRate, 115200u);
    port.SetParity(paOdd);
    EXPECT_EQ(LastState().Parity, 1);
    EXPECT_EQ(LastState().BaudRate, 115200u);
    port.SetStopbits(sb15);
    EXPECT_EQ(LastState().StopBits, 1);
    port.SetDatabits(da5);
    EXPECT_EQ(LastState().ByteSize, 5);
    port.SetOptions({coErrorChar});
    EXPECT_EQ(LastState().Flags & 0x0400u, 0x0400u);
    port.SetFlowControl(fcNone);
    EXPECT_EQ(LastState().Flags, 0x0401u);
    EXPECT_EQ(comm.States().size(), states + 6);
}

TEST_F(CommSettingsTest, ARefusedLineSettingRaisesKeepsTheNewValueAndThePortOpen) {
    TestComm port(nullptr);
    port.Open();
    comm.setCommStateError = 31;
    try {
        port.SetBaudRate(br300);
        ADD_FAILURE() << "no ECommError";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.Message(), "Error updating DataControlBlock (Error: 31) ");
        EXPECT_EQ(e.ErrorCode(), 31);
    }
    EXPECT_EQ(port.BaudRate(), br300);
    EXPECT_TRUE(port.IsOpen());
}

}  // namespace
