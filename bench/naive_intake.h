// The baseline the intake benchmark compares spot intake with: the same run
// (band, counter, tones, line, forwarding, labels, in the same order), but
// with the duplicate test that does not scale, which compares each row with
// the first 42 characters of every line of the view, read back from the
// control, first to last, without stopping at a match.
//
// Main thread only. Owns nothing; the host and the lines outlive it. Raises
// what the host and the lines raise, as SpotIntake does.
#pragma once

#include <cstdint>
#include <string>

#include "vplusdde/spot_intake.h"
#include "vplusdde/spot_view.h"

class NaiveIntake {
  public:
    NaiveIntake(ISpotIntakeHost& host, ISpotLines& lines) : host_(host), lines_(lines) {}

    void Run(const std::string& itemText);
    std::int32_t Counter() const { return counter_; }

  private:
    bool IsShown(const std::string& row);
    void Accept(const std::string& row);

    ISpotIntakeHost& host_;
    ISpotLines& lines_;
    std::int32_t counter_ = 0;
};
