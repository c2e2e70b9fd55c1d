// Opening: the order of the set-up calls, their arguments, and each failure's
// message, code and the state it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "comm_fixture.h"

namespace {

class CommOpenTest : public CommTest {
  protected:
    // The names of the port calls, without the watcher's device waits (their
    // number depends on timing) and the record bookkeeping.
    std::vector<std::string> SetupCalls() const {
        std::vector<std::string> names;
        for (const std::string& n : comm.Names())
            if (n != "WaitCommEvent" && n != "CreateOverlapped" && n != "FreeOverlapped")
                names.push_back(n);
        return names;
    }

    template <class Call>
    static ECommError Raised(Call&& call) {
        try {
            call();
        } catch (const ECommError& e) {
            return e;
        }
        ADD_FAILURE() << "no ECommError";
        return ECommError("", 0);
    }
};

TEST_F(CommOpenTest, OpensExclusivelyForOverlappedIOAndSetsUpInOrder) {
    TestComm port(nullptr);
    port.Open();
    EXPECT_TRUE(port.IsOpen());
    const auto create = comm.CreateFileArgs();
    ASSERT_EQ(create.size(), 1u);
    EXPECT_EQ(create[0].name, "\\\\.\\Com2");
    EXPECT_EQ(create[0].access, 0xC0000000u);
    EXPECT_EQ(create[0].share, 0u);
    EXPECT_EQ(create[0].disposition, 3u);
    EXPECT_EQ(create[0].flags, 0x40000000u);

    // Handle, watcher (event mask), time-outs, line settings, buffers; no purge.
    const std::vector<std::string> expected = {"CreateFileA",     "GetFileType",  "SetCommMask",
                                               "SetCommTimeouts", "GetCommState", "SetCommState",
                                               "SetupComm"};
    EXPECT_EQ(SetupCalls(), expected);
    EXPECT_EQ(comm.Masks(), std::vector<std::uint32_t>{0x01FF});
    for (const FakeComm::Call& c : comm.Calls()) {
        if (c.name != "CreateFileA" && c.name != "CreateOverlapped" && c.name != "FreeOverlapped") {
            EXPECT_EQ(c.handle, port.Handle()) << c.name;
        }
    }
}

TEST_F(CommOpenTest, TheDeviceNameGoesToTheSystemUnchanged) {
    comm.AddDevice("\\\\.\\COM12");
    TestComm port(nullptr);
    port.SetDeviceName("\\\\.\\COM12");
    port.SetMonitorEvents({evRxChar, evTxEmpty});
    port.Open();
    EXPECT_EQ(comm.CreateFileArgs().at(0).name, "\\\\.\\COM12");
    EXPECT_EQ(comm.Masks(), std::vector<std::uint32_t>{0x0005});
}

TEST_F(CommOpenTest, AComPortNameGoesToTheSystemInTheDeviceNamespace) {
    // What CreateFileA is asked for, for what the user wrote.
    const std::pair<std::string, std::string> names[] = {{"Com12", "\\\\.\\Com12"},
                                                         {"com1", "\\\\.\\com1"},
                                                         {"COM", "COM"},
                                                         {"COMX", "COMX"},
                                                         {"Com1x", "Com1x"},
                                                         {"LPT1", "LPT1"},
                                                         {"\\\\.\\COM5", "\\\\.\\COM5"}};
    for (const auto& name : names) {
        comm.AddDevice(name.first);
        TestComm port(nullptr);
        port.SetDeviceName(name.first);
        port.Open();
        EXPECT_EQ(comm.CreateFileArgs().back().name, name.second) << name.first;
        EXPECT_EQ(port.DeviceName(), name.first);
    }
}

TEST_F(CommOpenTest, ANameThatOpensNothingRaisesWithTheSystemsCodeAndStaysClosed) {
    comm.createFileError = 2;
    TestComm port(nullptr);
    port.SetDeviceName("Com9");
    const ECommError e = Raised([&] { port.Open(); });
    EXPECT_EQ(e.Message(), "Error accessing specified device (Error: 2) ");
    EXPECT_EQ(e.ErrorCode(), 2);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(SetupCalls(), std::vector<std::string>{"CreateFileA"});

    comm.createFileError = 5;  // in use elsewhere: access denied
    EXPECT_EQ(Raised([&] { port.Open(); }).Message(),
              "Error accessing specified device (Error: 5) ");
}

TEST_F(CommOpenTest, SomethingThatIsNotACharacterDeviceIsClosedAgainAndRefused) {
    comm.AddDevice("vareli.ini", kFileTypeDisk);
    TestComm port(nullptr);
    port.SetDeviceName("vareli.ini");
    const ECommError e = Raised([&] { port.Open(); });
    EXPECT_EQ(e.Message(), "Invalid device handle, access denied (Error: -1) ");
    EXPECT_EQ(e.ErrorCode(), -1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(comm.OpenPorts(), 0);
    const std::vector<std::string> expected = {"CreateFileA", "GetFileType", "CloseHandle"};
    EXPECT_EQ(SetupCalls(), expected);
}

TEST_F(CommOpenTest, AnEventThatCannotBeMadeRaisesWithTheSystemsCodeAndThePortStaysClosed) {
    // The watcher's, made once the device is open: it is closed again.
    TestComm port(nullptr);
    sync.failCreateEvent = true;  // ERROR_NOT_ENOUGH_MEMORY
    ECommError e = Raised([&] { port.Open(); });
    EXPECT_EQ(e.Message(), "Error creating event (Error: 8) ");
    EXPECT_EQ(e.ErrorCode(), 8);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(comm.OpenPorts(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(comm.WaitCalls(), 0) << "a watcher runs";

    // The write event, made with the component: no device is opened without it.
    TestComm other(nullptr);
    const std::size_t opened = comm.CreateFileArgs().size();
    e = Raised([&] { other.Open(); });
    EXPECT_EQ(e.Message(), "Error creating event (Error: 8) ");
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(comm.CreateFileArgs().size(), opened);

    // Both open once events can be made again.
    sync.failCreateEvent = false;
    port.Open();
    other.SetDeviceName("Com3");
    comm.AddDevice("Com3");
    other.Open();
    EXPECT_EQ(other.Write("ok", 2), 2);
    port.Close();
    other.Close();
    EXPECT_EQ(comm.OpenPorts(), 0);
}

TEST_F(CommOpenTest, EachRefusedSetUpStepRaisesItsErrorAndLeavesThePortOpen) {
    struct Step {
        std::uint32_t FakeComm::*knob;
        const char* message;
    };
    const Step steps[] = {
        {&FakeComm::setCommTimeoutsError, "Error updating CommTimeouts (Error: 87) "},
        {&FakeComm::setCommStateError, "Error updating DataControlBlock (Error: 87) "},
        {&FakeComm::setupCommError, "Error initializing Read/Write Buffers (Error: 87) "},
    };
    for (const Step& step : steps) {
        comm.*step.knob = 87;
        TestComm port(nullptr);
        const ECommError e = Raised([&] { port.Open(); });
        EXPECT_EQ(e.Message(), step.message);
        EXPECT_EQ(e.ErrorCode(), 87);
        EXPECT_TRUE(port.IsOpen());
        // Only Close ends that state; it stops the watcher the Open started.
        EXPECT_EQ(Raised([&] { port.Open(); }).Message(),
                  "Port already assigned (open) (Error: -1) ");
        port.Close();
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(comm.OpenPorts(), 0);
        comm.*step.knob = 0;
    }
    for (const std::string& v : comm.Violations()) ADD_FAILURE() << v;
}

TEST_F(CommOpenTest, ASecondOpenRaisesAndLeavesTheFirstOpeningIntact) {
    TestComm port(nullptr);
    port.Open();
    const std::uintptr_t handle = port.Handle();
    const ECommError e = Raised([&] { port.Open(); });
    EXPECT_EQ(e.Message(), "Port already assigned (open) (Error: -1) ");
    EXPECT_EQ(e.ErrorCode(), -1);
    EXPECT_EQ(port.Handle(), handle);
    EXPECT_EQ(comm.CreateFileArgs().size(), 1u);
    EXPECT_EQ(port.Write("ok", 2), 2);
    EXPECT_EQ(comm.Written(), "ok");
}

// A derived component whose own CreateHandle leaves the port closed.
class NoDeviceComm : public TestComm {
  public:
    using TestComm::TestComm;
    bool asked = false;

  protected:
    void CreateHandle() override { asked = true; }
};

TEST_F(CommOpenTest, WhenADerivedCreateHandleOpensNothingOpenEndsQuietly) {
    NoDeviceComm port(nullptr);
    port.Open();
    EXPECT_TRUE(port.asked);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(comm.Calls().size(), 0u);  // no watcher, no set-up
}

}  // namespace
