// The special characters: values, the one writer and its call to the owner,
// and the copy operation.
#include "CommInt/comm_event_chars.h"

#include <gtest/gtest.h>

#include "comm_fixture.h"

namespace {

class RecordingOwner : public TCommEventCharsOwner {
  public:
    void UpdateDataControlBlock() override { ++updates; }
    int updates = 0;
};

TEST(CommEventChars, StartWithXonXoffAndNoOtherCharacter) {
    TCommEventChars chars(nullptr);
    EXPECT_EQ(chars.XonChar(), 17);
    EXPECT_EQ(chars.XoffChar(), 19);
    EXPECT_EQ(chars.ErrorChar(), 0);
    EXPECT_EQ(chars.EofChar(), 0);
    EXPECT_EQ(chars.EvtChar(), 0);
}

TEST(CommEventChars, EachIndexWritesItsOwnCharacterAndAsksTheOwnerEveryTime) {
    RecordingOwner owner;
    TCommEventChars chars(&owner);
    chars.SetEventChar(3, '?');
    EXPECT_EQ(chars.ErrorChar(), '?');
    EXPECT_EQ(chars.XonChar(), 17);
    EXPECT_EQ(chars.XoffChar(), 19);
    EXPECT_EQ(chars.EofChar(), 0);
    EXPECT_EQ(chars.EvtChar(), 0);
    chars.SetEofChar(26);
    chars.SetEvtChar('\n');
    chars.SetXoffChar('S');
    EXPECT_EQ(chars.EofChar(), 26);
    EXPECT_EQ(chars.EvtChar(), '\n');
    EXPECT_EQ(chars.XoffChar(), 'S');
    EXPECT_EQ(owner.updates, 4);
    chars.SetXonChar(17);  // the value it already has
    EXPECT_EQ(owner.updates, 5);
    chars.SetEventChar(0, 'x');  // no such character
    EXPECT_EQ(owner.updates, 5);
}

TEST(CommEventChars, WithoutAnOwnerAWriteOnlyStores) {
    TCommEventChars chars(nullptr);
    chars.SetXonChar('Q');
    EXPECT_EQ(chars.XonChar(), 'Q');
}

TEST(CommEventChars, AssignCopiesAllFiveWithoutAskingTheOwner) {
    TCommEventChars source(nullptr);
    source.SetXonChar(1);
    source.SetXoffChar(2);
    source.SetErrorChar(3);
    source.SetEofChar(4);
    source.SetEvtChar(5);
    RecordingOwner owner;
    TCommEventChars chars(&owner);
    chars.Assign(&source);
    EXPECT_EQ(chars.XonChar(), 1);
    EXPECT_EQ(chars.XoffChar(), 2);
    EXPECT_EQ(chars.ErrorChar(), 3);
    EXPECT_EQ(chars.EofChar(), 4);
    EXPECT_EQ(chars.EvtChar(), 5);
    EXPECT_EQ(owner.updates, 0);
}

TEST(CommEventChars, AssignRefusesAnyOtherSourceAndAnEmptyOne) {
    TCommEventChars chars(nullptr);
    TPersistent other;
    EXPECT_THROW(chars.Assign(&other), EConvertError);
    EXPECT_THROW(chars.Assign(nullptr), EConvertError);
    EXPECT_EQ(chars.XonChar(), 17);
}

class CommEventCharsOnAPort : public CommTest {};

TEST_F(CommEventCharsOnAPort, AWriteOnAnOpenPortSendsTheWholeControlBlockAtOnce) {
    TestComm port(nullptr);
    port.EventChars()->SetEvtChar('#');  // closed: stored only
    EXPECT_EQ(comm.Calls().size(), 0u);
    port.Open();
    EXPECT_EQ(comm.States().back().EvtChar, '#');
    const std::size_t states = comm.States().size();
    port.EventChars()->SetXonChar(17);
    ASSERT_EQ(comm.States().size(), states + 1);
    port.EventChars()->SetErrorChar('!');
    ASSERT_EQ(comm.States().size(), states + 2);
    EXPECT_EQ(comm.States().back().ErrorChar, '!');
    EXPECT_EQ(comm.States().back().EvtChar, '#');
    EXPECT_EQ(comm.States().back().BaudRate, 9600u);
}

TEST_F(CommEventCharsOnAPort, ARefusedUpdateRaisesWithTheCharacterAlreadyStored) {
    TestComm port(nullptr);
    port.Open();
    comm.setCommStateError = 87;
    EXPECT_THROW(port.EventChars()->SetEofChar(26), ECommError);
    EXPECT_EQ(port.EventChars()->EofChar(), 26);
}

TEST_F(CommEventCharsOnAPort, AssignOnAnOpenPortLeavesTheDeviceAlone) {
    TestComm port(nullptr);
    port.Open();
    const int reads = comm.Count("GetCommState");
    const int writes = comm.Count("SetCommState");
    TCommEventChars source(nullptr);
    source.SetXonChar('A');
    port.EventChars()->Assign(&source);
    EXPECT_EQ(port.EventChars()->XonChar(), 'A');
    EXPECT_EQ(comm.Count("GetCommState"), reads);
    EXPECT_EQ(comm.Count("SetCommState"), writes);
}

}  // namespace
