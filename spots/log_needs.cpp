#include "spots/log_needs.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// "Y" in either case, blanks around it allowed.
bool IsYes(const std::string& value) {
    bool yes = false;
    for (const char c : value) {
        if (IsBlank(c)) continue;
        if (yes || (c != 'Y' && c != 'y')) return false;
        yes = true;
    }
    return yes;
}

// A whole number of at most 4 digits, blanks around it allowed.
std::optional<int> ReadDxcc(const std::string& value) {
    int number = 0;
    int digits = 0;
    bool ended = false;
    for (const char c : value) {
        if (IsBlank(c)) {
            ended = digits > 0;
            continue;
        }
        if (ended || c < '0' || c > '9' || ++digits > 4) return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (digits == 0) return std::nullopt;
    return number;
}

std::uint64_t Bit(Band band) {
    return std::uint64_t(1) << static_cast<int>(band);
}

}  // namespace

void LogNeeds::Add(const AdifRecord& qso, const CountryOfCall& countryOfCall,
                   const KnownDxcc& knownDxcc) {
    ++qsos_;
    std::optional<int> dxcc = ReadDxcc(qso.dxcc);
    if (dxcc && !knownDxcc(*dxcc)) dxcc.reset();
    if (!dxcc && !qso.call.empty()) dxcc = countryOfCall(qso.call);
    if (!dxcc || *dxcc < 0 || *dxcc > kMaxDxcc) {
        ++withoutCountry_;
        return;
    }
    std::optional<Band> band = BandOfName(qso.band);
    if (!band) band = BandOfFreqText(qso.freq);
    const bool confirmed = IsYes(qso.qslRcvd) || IsYes(qso.lotwQslRcvd);

    if (countries_.size() <= static_cast<std::size_t>(*dxcc)) countries_.resize(*dxcc + 1);
    Worked& worked = countries_[*dxcc];
    worked.any = true;
    if (band) worked.bands |= Bit(*band);
    if (confirmed) {
        worked.confirmed = true;
        if (band) worked.confirmedBands |= Bit(*band);
    }
}

const LogNeeds::Worked* LogNeeds::Find(int dxcc) const {
    if (dxcc < 0 || static_cast<std::size_t>(dxcc) >= countries_.size()) return nullptr;
    return &countries_[dxcc];
}

bool LogNeeds::IsNewCountry(int dxcc, bool confirmedOnly) const {
    const Worked* worked = Find(dxcc);
    if (worked == nullptr) return true;
    return confirmedOnly ? !worked->confirmed : !worked->any;
}

bool LogNeeds::IsNewBand(int dxcc, Band band, bool confirmedOnly) const {
    if (IsNewCountry(dxcc, confirmedOnly)) return false;
    const Worked* worked = Find(dxcc);
    const std::uint64_t bands = confirmedOnly ? worked->confirmedBands : worked->bands;
    return (bands & Bit(band)) == 0;
}
