#include "spots/spot_marks.h"

#include "spots/band_plan.h"
#include "spots/country_file.h"
#include "spots/country_watch.h"
#include "spots/log_needs.h"
#include "spots/spot_rows.h"
#include "spots/watch_list.h"

SpotMarks MarkSpot(const std::string& row, const HuntContext& context) {
    SpotMarks marks;
    const std::string call = ReadDxCall(row);
    if (call.empty() || ReadFrequency(row) <= 0) return marks;
    marks.watched = context.calls != nullptr && context.calls->MatchesRow(row);
    if (context.countries == nullptr) return marks;
    marks.dxcc = context.countries->DxccOf(call);
    if (!marks.dxcc) return marks;
    if (context.watchedCountries != nullptr && context.watchedCountries->Matches(*marks.dxcc))
        marks.watched = true;
    if (context.log == nullptr) return marks;
    const HuntOptions& options = context.options;
    const bool newCountry = context.log->IsNewCountry(*marks.dxcc, options.confirmedOnly);
    marks.newCountry = options.newCountry && newCountry;
    // A country never worked is new on every band too: with "Uusi bandi" alone
    // its spot is still news. Off the band table there is no band to need.
    if (options.newBand) {
        if (const auto band = BandOfKhz(ReadFrequency(row)))
            marks.newBand =
                newCountry || context.log->IsNewBand(*marks.dxcc, *band, options.confirmedOnly);
    }
    return marks;
}
