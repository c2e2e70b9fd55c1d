// One run of spot intake: the main window's change handler hands it the item
// text; it cuts the rows, drops those already shown, keeps those inside the
// band, and for each kept row sounds its tones, shows its line, forwards it
// and updates the status labels.
//
// Main thread only. The host (the main window) supplies the settings, tones,
// forwarding, clock and labels. What those raise ends the run at that row and
// passes out (the application frame reports it); rows handled before stay
// handled. A run may be entered again from inside Forward (a message box's
// loop): the nested run sees the view as it stands, so no spot shows twice.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "spots/spot_marks.h"
#include "vplusdde/spot_view.h"

constexpr std::uint32_t kSpotNavy = 0x00800000;  // red 0, green 0, blue 128 (0x00BBGGRR)
constexpr std::uint32_t kSpotRed = 0x000000FF;
constexpr std::uint32_t kSpotGreen = 0x00008000;   // red 0, green 128, blue 0: a watched spot
constexpr std::uint32_t kSpotPurple = 0x00800080;  // red 128, green 0, blue 128: a new country
constexpr std::uint32_t kSpotTeal = 0x00808000;    // red 0, green 128, blue 128: a new band

// The tones of a spot, after the usual one (and the "OH" one): a watched
// station, a new country, a new band; each its own pitch and length.
constexpr std::uint16_t kWatchedToneHz = 2500;
constexpr std::int32_t kWatchedToneMs = 300;
constexpr std::uint16_t kNewCountryToneHz = 3000;
constexpr std::int32_t kNewCountryToneMs = 450;
constexpr std::uint16_t kNewBandToneHz = 1000;
constexpr std::int32_t kNewBandToneMs = 350;

class ISpotIntakeHost {
  public:
    virtual ~ISpotIntakeHost() = default;
    virtual std::string UpperLimitText() = 0;  // ComboBox2 of the settings dialog
    virtual std::string LowerLimitText() = 0;  // ComboBox1
    virtual bool ForwardingOn() = 0;           // CheckBox1
    virtual void PlayTone(std::uint16_t frequency, std::int32_t duration) = 0;
    // Hands an accepted row on to other programs (the daily spot file), right
    // after its line is shown and before it is forwarded.
    virtual void Relay(const std::string& row) = 0;
    virtual void Forward(const std::string& row) = 0;              // lahetaporttiin
    virtual std::string TodayText() = 0;                           // short date
    virtual std::string NowText() = 0;                             // long time
    virtual void SetLastSpotTime(const std::string& caption) = 0;  // Label1
    virtual void SetSpotCount(const std::string& caption) = 0;     // Label4
    // Whether the row's DX station is one the user watches for.
    virtual bool IsWatched(const std::string& /*row*/) { return false; }
    // What the row is to the user: watched, a new country, a new band.
    virtual SpotMarks Marks(const std::string& row) {
        SpotMarks marks;
        marks.watched = IsWatched(row);
        return marks;
    }
    // What the line shows after its date ("  " and the DX station's country),
    // or nothing.
    virtual std::string LineTail(const SpotMarks& /*marks*/) { return std::string(); }
    // A watched spot, or one of a new country or band, was accepted (after
    // its tones and line).
    virtual void WatchedSpotShown() {}
};

class SpotIntake {
  public:
    SpotIntake(ISpotIntakeHost& host, SpotView& view) : host_(host), view_(view) {}

    // Zeroes the spot counter (the main window's first show).
    void ResetCounter() { counter_ = 0; }
    // The count into Label4, as each block leaves it.
    void ShowCount();
    std::int32_t Counter() const { return counter_; }

    // One run over the item text; the caller hands a copy of the item's text,
    // which stays as it is for the whole run.
    void Run(const std::string& itemText);
    // Spots accepted in an earlier run of the program, oldest first, shown
    // again quietly with their own dates, in one change of the view: no
    // tone, not handed on, not counted. A row shown already (or earlier in
    // the list) is left out. Every row is taken from then on, also one whose
    // line the view refused (what the view raises passes out after the
    // other lines are in).
    struct Restored {
        std::string row;
        std::string dateText;
    };
    void Restore(const std::vector<Restored>& spots);

  private:
    bool InBand(const std::string& row);
    std::uint32_t ColorOf(const std::string& row, const SpotMarks& marks) const;
    void Accept(const std::string& row);

    ISpotIntakeHost& host_;
    SpotView& view_;
    std::int32_t counter_ = 0;
    std::unordered_set<std::string> restored_;  // rows restored, shown or not
};

// "OH" in columns 8-9 (the DX call) or 30-31 (the spotter's call).
bool IsOhSpot(const std::string& row);
