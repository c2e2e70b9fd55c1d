// DecoderLinkSupervisor: brings the decoder link back to its healthy state
// and keeps it there. Healthy means: the conversation is open, the spot item
// carries its name with its warm link started, and the decoder's window is
// still there. Some failures leave a state that looks alive but carries no
// spots (an item whose warm link was refused, a conversation whose decoder
// vanished without a word, a DDE instance whose renewal failed), so each tick
// looks at the whole state and repairs what it finds, so that a decoder that
// is back is joined at the first tick after its return:
//   - an open conversation whose decoder is gone is closed, and the tick goes
//     on with the steps below;
//   - an open conversation whose decoder is there but without the item's
//     warm link names the item again (which starts the warm link and fetches
//     the block); that is all the tick does, as a decoder still starting may
//     refuse it again;
//   - with no instance, or one holding a conversation the library would not
//     end, the instance is renewed; a renewal that fails is reported once
//     per outage, ends the tick and is tried again on a later one;
//   - then the decoder is joined again (never started: the user may have
//     closed it on purpose), and the item named when the failed open before
//     let it go.
// It takes no step while the conversation is at work (an open, a fetch, a
// delivery: DDEML's loop runs timers meanwhile) or the DDE callback runs, nor
// inside its own step: the next tick comes soon enough.
//
// Refers to the conversation and item without owning them; both must outlive
// it. Main thread only. Tick raises what the conversation's event handlers
// raise; a failed renewal goes to `report` instead.
#pragma once

#include <exception>
#include <functional>
#include <string>

class TDdeClientConv;
class TDdeClientItem;

class DecoderLinkSupervisor {
  public:
    struct Target {
        std::string service;
        std::string topic;
        std::string item;
    };
    using Report = std::function<void(std::exception_ptr)>;

    DecoderLinkSupervisor(TDdeClientConv& conv, TDdeClientItem& item, Target target, Report report);

    bool Healthy() const;
    // Repairs what it can when the link is not healthy and nothing is at work.
    void Tick();

  private:
    bool AtWork() const;
    void Step();
    // False when it failed (reported once per outage).
    bool Renew();

    TDdeClientConv& conv_;
    TDdeClientItem& item_;
    Target target_;
    Report report_;
    bool stepping_ = false;
    bool renewalReported_ = false;
};
