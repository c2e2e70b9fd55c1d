// What a spot is to the user beyond its band: a DX call or country they
// watch, a country their log has never worked, a country it has not worked on
// the spot's band; and the DX station's country.
//
// Each part is optional: without a country file there are no countries (so
// neither watched countries nor new ones), and without a log read whole there
// is nothing new, so that a log not found or still being read first does not
// colour every spot as new.
//
// Pure; any thread; nothing thrown beyond allocation.
#pragma once

#include <optional>
#include <string>

class CountryFile;
class CountryWatch;
class LogNeeds;
class WatchList;

struct HuntOptions {
    bool newCountry = false;     // "Uusi maa"
    bool newBand = false;        // "Uusi bandi"
    bool confirmedOnly = false;  // "Vain vahvistetut"
};

struct HuntContext {
    const WatchList* calls = nullptr;
    const CountryFile* countries = nullptr;
    const CountryWatch* watchedCountries = nullptr;
    const LogNeeds* log = nullptr;
    HuntOptions options;
};

struct SpotMarks {
    bool watched = false;     // its call or its country is watched
    bool newCountry = false;  // a country the log has not worked
    bool newBand = false;     // worked, but not on the spot's band
    std::optional<int> dxcc;  // the DX station's country
};

// The marks of a spot row (its DX call and frequency as ReadDxCall and
// ReadFrequency read them); a row without a DX call has none.
SpotMarks MarkSpot(const std::string& row, const HuntContext& context);
