// The amateur bands as ADIF names them, with their edges in kHz (inclusive),
// from 2190m (136-137 kHz) to submm (300-7500 GHz). A band is found from a
// spot's frequency in whole kHz, from an ADIF FREQ value (MHz as decimal
// text) or from an ADIF BAND value (its name, in any case). A frequency
// between the bands, or a name not in the table, has no band.
//
// Pure functions over a constant table; any thread; nothing thrown beyond
// allocation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// In the table's order, from the longest wave up.
enum class Band : std::uint8_t {
    k2190m,
    k630m,
    k560m,
    k160m,
    k80m,
    k60m,
    k40m,
    k30m,
    k20m,
    k17m,
    k15m,
    k12m,
    k10m,
    k8m,
    k6m,
    k5m,
    k4m,
    k2m,
    k1_25m,
    k70cm,
    k33cm,
    k23cm,
    k13cm,
    k9cm,
    k6cm,
    k3cm,
    k1_25cm,
    k6mm,
    k4mm,
    k2_5mm,
    k2mm,
    k1mm,
    kSubmm,
};

constexpr int kBandCount = static_cast<int>(Band::kSubmm) + 1;

// The band's ADIF name in lower case: "160m", "1.25m", "70cm", "submm".
const char* BandName(Band band);

// The band holding a frequency in whole kHz (a spot's frequency column).
std::optional<Band> BandOfKhz(std::int64_t khz);

// The band holding an ADIF FREQ value: MHz as decimal text ("14.025",
// "7.0", "144"), blanks around it allowed; read to the Hz, digits below that
// dropped. Not a number (a sign, a second point, letters, no digits): none.
std::optional<Band> BandOfFreqText(const std::string& mhz);

// The band an ADIF BAND value names, in any case ("20M", "20m", "70CM"),
// blanks around it allowed.
std::optional<Band> BandOfName(const std::string& name);
