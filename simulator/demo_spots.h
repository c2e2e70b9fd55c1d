// Made-up DX spots for the simulator's lively demo page: plausible
// frequencies from 1.8 to 432 MHz in kHz, invented call signs (some Finnish
// "OH" ones, as DX or as spotter), short comments and UTC times. Portable and
// seeded, so tests can check the spots' shape on the host.
// Used on the simulator's main thread only.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "simulator/page.h"

namespace vtsim {

class DemoSpots {
  public:
    explicit DemoSpots(std::uint32_t seed);

    // A new spot made at `minute_of_day` (0..1439, UTC).
    SpotFields Next(int minute_of_day);

    // Fills every row with spots leading up to `minute_of_day`, oldest first.
    void FillPage(Page& page, int minute_of_day);

  private:
    int Below(int limit);  // 0 .. limit-1
    std::string Call(bool finnish);

    std::mt19937 random_;
};

// "HHMM" for a minute of the day; wraps outside 0..1439.
std::string ClockText(int minute_of_day);

}  // namespace vtsim
