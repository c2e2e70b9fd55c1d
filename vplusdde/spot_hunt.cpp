#include "vplusdde/spot_hunt.h"

#include <utility>

#include "rtl/sysutils.h"
#include "spots/country_file_loader.h"
#include "spots/watch_list.h"

const char* const kNoCountryFileText =
    "Maatiedostoa cty.csv ei l\xF6ytynyt: maita ei n\xE4ytet\xE4 eik\xE4 seurata.";

namespace {

// At most this many line numbers in the box: a file of binary junk has
// thousands.
constexpr std::size_t kListedLines = 10;

std::string BrokenLinesText(const std::string& path, const std::vector<int>& lines) {
    std::string numbers;
    for (std::size_t i = 0; i < lines.size() && i < kListedLines; ++i)
        numbers += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    if (lines.size() > kListedLines)
        numbers += " (yhteens\xE4 " + std::to_string(lines.size()) + " rivi\xE4)";
    return "Maatiedoston " + path + (lines.size() == 1 ? " rivi " : " rivit ") + numbers +
           (lines.size() == 1 ? " on virheellinen ja ohitettiin."
                              : " ovat virheellisi\xE4 ja ohitettiin.");
}

// A log is followed only for what it tells: the news of a spot.
bool FollowsLog(const HuntSettings& settings) {
    return !settings.adifPath.empty() && (settings.options.newCountry || settings.options.newBand);
}

bool HasEntries(const std::string& text) {
    return text.find_first_not_of(" \t,") != std::string::npos;
}

// Whether the options ask for anything of the country file.
bool NeedsCountries(const HuntSettings& settings) {
    return settings.showCountry || HasEntries(settings.countryText) || FollowsLog(settings);
}

}  // namespace

SpotHunt::SpotHunt(IFiles& files, Report report)
    : files_(files), report_(std::move(report)), countryStatus_(kNoCountryFileText) {}

SpotHunt::~SpotHunt() = default;

void SpotHunt::LoadCountries() {
    if (countriesTried_) return;
    countriesTried_ = true;
    CountryFileLoad load = LoadCountryFile(files_, programFolder_);
    switch (load.outcome) {
        case CountryFileLoad::Outcome::kNotFound:
            return;
        case CountryFileLoad::Outcome::kReadError:
            report_("Maatiedostoa " + load.path +
                    " ei voitu lukea: " + InOutErrorMessage(static_cast<int>(load.errorCode)));
            return;
        case CountryFileLoad::Outcome::kTooLarge:
            report_("Maatiedosto " + load.path + " on liian suuri, sit\xE4 ei luettu.");
            return;
        case CountryFileLoad::Outcome::kLoaded:
            break;
    }
    countries_ = std::move(load.countries);
    if (!countries_.BrokenLines().empty())
        report_(BrokenLinesText(load.path, countries_.BrokenLines()));
    if (countries_.Empty()) return;
    countryStatus_ = "Maatiedosto: " + load.path;
    // Options taken before the file was there see its countries now.
    watchedCountries_ = CountryWatch(countries_, settings_.countryText);
}

void SpotHunt::TakeSettings(const HuntSettings& settings) {
    if (NeedsCountries(settings)) LoadCountries();
    const bool follows = FollowsLog(settings);
    const bool samePath = log_ != nullptr && follows && settings.adifPath == settings_.adifPath;
    settings_ = settings;
    watchedCountries_ = CountryWatch(countries_, settings_.countryText);
    if (samePath) return;
    log_.reset();
    lastReport_.clear();
    if (!follows) return;
    // Calls resolve through the country file as it stands at each QSO.
    log_ = std::make_unique<LogFollower>(
        files_, settings_.adifPath,
        [this](const std::string& call) { return countries_.DxccOf(call); },
        [this](int dxcc) { return countries_.KnowsDxcc(dxcc); });
}

SpotMarks SpotHunt::Marks(const std::string& row) const {
    HuntContext context;
    context.calls = settings_.calls;
    if (!countries_.Empty()) {
        context.countries = &countries_;
        context.watchedCountries = &watchedCountries_;
        if (log_ != nullptr && log_->Loaded()) context.log = &log_->Needs();
    }
    context.options = settings_.options;
    return MarkSpot(row, context);
}

std::string SpotHunt::LineTail(const SpotMarks& marks) const {
    if (!settings_.showCountry || !marks.dxcc) return std::string();
    const std::string* name = countries_.NameOf(*marks.dxcc);
    return name == nullptr ? std::string() : "  " + *name;
}

std::optional<std::string> SpotHunt::FirstUnknownCountry(const std::string& text) {
    if (HasEntries(text)) LoadCountries();
    // Without a file no entry can be checked: they are kept as typed.
    if (countries_.Empty()) return std::nullopt;
    return FirstUnknownEntry(countries_, text);
}

bool SpotHunt::StepLog() {
    if (log_ == nullptr) return false;
    const bool more = log_->Step();
    if (auto text = log_->TakeReport()) {
        lastReport_ = *text;
        report_(*text);
    }
    return more;
}

std::string SpotHunt::CountryStatus() const {
    if (countriesTried_) return countryStatus_;
    for (const std::string& path : CountryFilePaths(programFolder_)) {
        files::FileAttributeData data;
        if (files_.GetFileAttributesExA(path, &data)) return "Maatiedosto: " + path;
    }
    return kNoCountryFileText;
}

std::string SpotHunt::LogStatus() const {
    if (log_ == nullptr) return std::string();
    // After the box is gone the line still says why nothing was read.
    if (!log_->Loaded()) return log_->Reading() ? "Lokia luetaan..." : lastReport_;
    return "Luettu " + std::to_string(log_->QsosRead()) + " yhteytt\xE4, ohitettu " +
           std::to_string(log_->RecordsSkipped()) + ".";
}
