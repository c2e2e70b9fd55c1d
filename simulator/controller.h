// The simulated decoder's state and the effect of each control line on it:
// the page, what is served (block, raw text, empty text, line ends, zero
// byte) and the faults (slow or refused answers). The DDE side reads it when
// it answers; the effects that need the platform (announcing a change,
// hanging up, quitting, the demo timer, printing) go through ControllerHost.
// Portable; owned by the program's main function; main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "simulator/demo_spots.h"
#include "simulator/page.h"

namespace vtsim {

// What the Win32 side does for the controller. Called on the main thread.
class ControllerHost {
  public:
    virtual ~ControllerHost() = default;
    virtual void Notify() = 0;               // announce a change to advise links
    virtual void Hangup() = 0;               // end every conversation
    virtual void Quit() = 0;                 // leave the message loop
    virtual void SetDemoTimer(bool on) = 0;  // start or stop the demo's ticks
    virtual int UtcMinuteOfDay() = 0;
    virtual void Print(const std::string& line) = 0;
};

struct Behaviour {
    int delay_ms = 0;
    bool refuse_advise = false;
    bool refuse_request = false;
    bool refuse_connect = false;
    bool empty = false;
    bool lone_lf = false;
    bool no_zero = false;
};

class Controller {
  public:
    Controller(ControllerHost& host, std::uint32_t demo_seed);

    // Runs one control line. Returns the pause a "sleep" asks for in ms, else
    // 0. Throws ECommandError for a bad line or a file it cannot read.
    int Execute(const std::string& line);

    // One demo step: a new spot scrolls in at the bottom and is announced.
    void DemoTick();
    bool DemoOn() const { return demo_on_; }

    // The bytes of the answer to a request: the block (or raw text), each row
    // ended by CR LF or LF, then a zero byte unless "nozero" is on.
    std::string Served() const;

    const Behaviour& behaviour() const { return behaviour_; }
    const Page& page() const { return page_; }

  private:
    void SetDemo(bool on);
    void LoadRows(const std::string& file_name);

    ControllerHost& host_;
    Page page_;
    Behaviour behaviour_;
    bool raw_on_ = false;
    std::string raw_text_;
    bool demo_on_ = false;
    DemoSpots demo_;
};

}  // namespace vtsim
