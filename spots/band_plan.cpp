#include "spots/band_plan.h"

#include <cctype>
#include <cstring>

namespace {

struct BandEdges {
    const char* name;
    std::int64_t lowHz;  // inclusive
    std::int64_t highHz;
};

// Edges in Hz, so that 5m's lower edge (54000.001 kHz) is a whole number.
constexpr std::int64_t kKhz = 1000;
constexpr BandEdges kBands[kBandCount] = {
    {"2190m", 135700, 137800},
    {"630m", 472 * kKhz, 479 * kKhz},
    {"560m", 501 * kKhz, 504 * kKhz},
    {"160m", 1800 * kKhz, 2000 * kKhz},
    {"80m", 3500 * kKhz, 4000 * kKhz},
    {"60m", 5060 * kKhz, 5450 * kKhz},
    {"40m", 7000 * kKhz, 7300 * kKhz},
    {"30m", 10100 * kKhz, 10150 * kKhz},
    {"20m", 14000 * kKhz, 14350 * kKhz},
    {"17m", 18068 * kKhz, 18168 * kKhz},
    {"15m", 21000 * kKhz, 21450 * kKhz},
    {"12m", 24890 * kKhz, 24990 * kKhz},
    {"10m", 28000 * kKhz, 29700 * kKhz},
    {"8m", 40000 * kKhz, 45000 * kKhz},
    {"6m", 50000 * kKhz, 54000 * kKhz},
    {"5m", 54000 * kKhz + 1, 69900 * kKhz},
    {"4m", 70000 * kKhz, 71000 * kKhz},
    {"2m", 144000 * kKhz, 148000 * kKhz},
    {"1.25m", 222000 * kKhz, 225000 * kKhz},
    {"70cm", 420000 * kKhz, 450000 * kKhz},
    {"33cm", 902000 * kKhz, 928000 * kKhz},
    {"23cm", 1240000 * kKhz, 1300000 * kKhz},
    {"13cm", 2300000 * kKhz, 2450000 * kKhz},
    {"9cm", 3300000 * kKhz, 3500000 * kKhz},
    {"6cm", 5650000 * kKhz, 5925000 * kKhz},
    {"3cm", 10000000 * kKhz, 10500000 * kKhz},
    {"1.25cm", 24000000 * kKhz, 24250000 * kKhz},
    {"6mm", 47000000 * kKhz, 47200000 * kKhz},
    {"4mm", 75500000 * kKhz, 81000000 * kKhz},
    {"2.5mm", 119980000 * kKhz, 123000000 * kKhz},
    {"2mm", 134000000 * kKhz, 149000000 * kKhz},
    {"1mm", 241000000 * kKhz, 250000000 * kKhz},
    {"submm", 300000000 * kKhz, 7500000000 * kKhz},
};

std::optional<Band> BandOfHz(std::int64_t hz) {
    for (int i = 0; i < kBandCount; ++i) {
        if (hz < kBands[i].lowHz) return std::nullopt;  // the table rises
        if (hz <= kBands[i].highHz) return static_cast<Band>(i);
    }
    return std::nullopt;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without blanks at either end, as [begin, end).
void Trim(const std::string& text, std::size_t* begin, std::size_t* end) {
    *begin = 0;
    *end = text.size();
    while (*begin < *end && IsBlank(text[*begin])) ++*begin;
    while (*end > *begin && IsBlank(text[*end - 1])) --*end;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const char* BandName(Band band) {
    return kBands[static_cast<int>(band)].name;
}

std::optional<Band> BandOfKhz(std::int64_t khz) {
    // Beyond the table's top the product could overflow; no band there anyway.
    if (khz < 0 || khz > kBands[kBandCount - 1].highHz / kKhz) return std::nullopt;
    return BandOfHz(khz * kKhz);
}

std::optional<Band> BandOfFreqText(const std::string& mhz) {
    std::size_t i = 0;
    std::size_t end = 0;
    Trim(mhz, &i, &end);
    std::int64_t hz = 0;
    int wholeDigits = 0;
    for (; i < end && IsDigit(mhz[i]); ++i) {
        // 10 digits of MHz are far above the table; stop before any overflow.
        if (++wholeDigits > 10) return std::nullopt;
        hz = hz * 10 + (mhz[i] - '0');
    }
    hz *= 1000000;
    int fractionDigits = 0;
    if (i < end && mhz[i] == '.') {
        std::int64_t scale = 100000;
        for (++i; i < end && IsDigit(mhz[i]); ++i) {
            ++fractionDigits;
            hz += (mhz[i] - '0') * scale;
            scale /= 10;
        }
    }
    if (i != end || wholeDigits + fractionDigits == 0) return std::nullopt;
    return BandOfHz(hz);
}

std::optional<Band> BandOfName(const std::string& name) {
    std::size_t begin = 0;
    std::size_t end = 0;
    Trim(name, &begin, &end);
    const std::size_t length = end - begin;
    for (int i = 0; i < kBandCount; ++i) {
        const char* candidate = kBands[i].name;
        if (std::strlen(candidate) != length) continue;
        std::size_t k = 0;
        while (k < length &&
               std::tolower(static_cast<unsigned char>(name[begin + k])) == candidate[k])
            ++k;
        if (k == length) return static_cast<Band>(i);
    }
    return std::nullopt;
}
