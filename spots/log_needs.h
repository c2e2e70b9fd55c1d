// What a log has worked, as a spot asks it: which DXCC countries, and which
// country and band pairs, kept twice, for all QSOs and for the confirmed
// ones only (QSL_RCVD or LOTW_QSL_RCVD "Y", any case), so that switching
// "Vain vahvistetut" needs no new reading.
//
// A QSO's country is its DXCC field when it holds a number the country file
// knows (knownDxcc), else its CALL's country (countryOfCall); neither: the
// QSO is counted but adds nothing. Its band is its BAND field when that
// names a band, else its FREQ (MHz); neither: it counts for the country
// only. Countries are DXCC numbers 0-1023; others add nothing and are never
// worked.
//
// A value, cheap to copy and to query (a table indexed by the number); built
// by Add on one thread, then any number of readers. Nothing thrown beyond
// allocation; the country functions' exceptions pass through Add.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "spots/adif_reader.h"
#include "spots/band_plan.h"

using CountryOfCall = std::function<std::optional<int>(const std::string& call)>;
using KnownDxcc = std::function<bool(int dxcc)>;

class LogNeeds {
  public:
    static constexpr int kMaxDxcc = 1023;

    // An empty log: every country is new.
    LogNeeds() = default;

    // Adds one QSO of the log.
    void Add(const AdifRecord& qso, const CountryOfCall& countryOfCall, const KnownDxcc& knownDxcc);

    // The country has no QSO (confirmed ones only, when asked).
    bool IsNewCountry(int dxcc, bool confirmedOnly) const;
    // The country has a QSO, but none on that band (confirmed ones only,
    // when asked).
    bool IsNewBand(int dxcc, Band band, bool confirmedOnly) const;

    // QSOs added, and those of them without a country.
    std::uint64_t QsoCount() const { return qsos_; }
    std::uint64_t WithoutCountry() const { return withoutCountry_; }

  private:
    struct Worked {
        bool any = false;
        bool confirmed = false;
        std::uint64_t bands = 0;  // bit per Band
        std::uint64_t confirmedBands = 0;
    };
    const Worked* Find(int dxcc) const;

    std::vector<Worked> countries_;  // indexed by DXCC number
    std::uint64_t qsos_ = 0;
    std::uint64_t withoutCountry_ = 0;
};
