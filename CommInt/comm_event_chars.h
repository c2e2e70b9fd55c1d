// TCommEventChars: the five special characters of the serial line (XON, XOFF,
// error, end-of-file and event character) that go into the device control
// block. Every assignment of one of them asks the owner to send its control
// block to the device, so a change reaches an open port at once and a closed
// one at its next opening.
//
// Ownership: owned by the serial component, which it refers back to through
// the narrow TCommEventCharsOwner interface (the component is declared later
// and depends on this class, not the other way round). Main thread only.
// Throws: whatever the owner's update raises (ECommError), after the
// character is stored; Assign raises EConvertError for a source it cannot copy.
#pragma once

#include "rtl/classes.h"

// What the characters need of their owner.
class TCommEventCharsOwner {
  public:
    virtual void UpdateDataControlBlock() = 0;

  protected:
    ~TCommEventCharsOwner() = default;
};

class TCommEventChars : public TPersistent {
  public:
    // Stored defaults for streaming, also the values after construction.
    static constexpr char kDefaultXonChar = 17;
    static constexpr char kDefaultXoffChar = 19;

    explicit TCommEventChars(TCommEventCharsOwner* Owner);

    const char* ClassName() const override { return "TCommEventChars"; }
    // Copies the five characters from another TCommEventChars without
    // touching the device; refuses any other source.
    void Assign(const TPersistent* Source) override;

    char XonChar() const { return xonChar_; }
    char XoffChar() const { return xoffChar_; }
    char ErrorChar() const { return errorChar_; }
    char EofChar() const { return eofChar_; }
    char EvtChar() const { return evtChar_; }

    void SetXonChar(char Value) { SetEventChar(1, Value); }
    void SetXoffChar(char Value) { SetEventChar(2, Value); }
    void SetErrorChar(char Value) { SetEventChar(3, Value); }
    void SetEofChar(char Value) { SetEventChar(4, Value); }
    void SetEvtChar(char Value) { SetEventChar(5, Value); }

    // The shared writer: index 1 XonChar, 2 XoffChar, 3 ErrorChar, 4 EofChar,
    // 5 EvtChar. Stores the character, then updates the owner's device.
    void SetEventChar(int Index, char Value);

  private:
    TCommEventCharsOwner* owner_;
    char xonChar_ = kDefaultXonChar;
    char xoffChar_ = kDefaultXoffChar;
    char errorChar_ = 0;
    char eofChar_ = 0;
    char evtChar_ = 0;
};
