#include "bench/adif_log.h"

#include <cstdio>
#include <fstream>

namespace {

std::string Field(const char* name, const std::string& value) {
    return std::string("<") + name + ":" + std::to_string(value.size()) + ">" + value + " ";
}

}  // namespace

// One QSO as a logging program writes it; about 250 bytes.
std::string QsoRecord(const std::string& call, unsigned n) {
    static const char* const kBands[] = {"160m", "80m", "40m", "30m", "20m",
                                         "17m",  "15m", "12m", "10m", "6m"};
    static const char* const kFreqs[] = {"1.825",  "3.525",  "7.025",  "10.115", "14.025",
                                         "18.075", "21.025", "24.895", "28.025", "50.100"};
    static const char* const kModes[] = {"CW", "SSB", "FT8", "RTTY"};
    const unsigned band = n * 7 % 10;
    char date[16];
    std::snprintf(date, sizeof date, "20%02u%02u%02u", 10 + n % 16, 1 + n % 12, 1 + n % 28);
    char time[16];
    std::snprintf(time, sizeof time, "%02u%02u%02u", n % 24, n % 60, (n * 7) % 60);
    std::string r;
    r += Field("CALL", call);
    r += Field("QSO_DATE", date);
    r += Field("TIME_ON", time);
    r += Field("TIME_OFF", time);
    r += Field("BAND", kBands[band]);
    r += Field("FREQ", kFreqs[band]);
    r += Field("MODE", kModes[n % 4]);
    r += Field("RST_SENT", n % 4 == 0 ? "599" : "59");
    r += Field("RST_RCVD", n % 4 == 0 ? "579" : "57");
    r += Field("QSL_RCVD", n % 5 == 0 ? "Y" : "N");
    r += Field("LOTW_QSL_RCVD", n % 3 == 0 ? "Y" : "N");
    r += Field("STATION_CALLSIGN", "OH2XYZ");
    r += Field("MY_GRIDSQUARE", "KP20le");
    r += Field("COMMENT", "tnx qso 73");
    return r + "<EOR>\r\n";
}

std::vector<std::string> ScpCalls(const std::string& path) {
    std::vector<std::string> calls;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line[0] != '#') calls.push_back(line);
    }
    return calls;
}

std::string MakeLog(const std::vector<std::string>& calls, unsigned qsos) {
    std::string log =
        "ADIF export\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:6>Logger <PROGRAMVERSION:5>1.2.3 "
        "<CREATED_TIMESTAMP:15>20261208 120000 <EOH>\r\n";
    log.reserve(static_cast<std::size_t>(qsos) * 260);
    for (unsigned n = 0; n < qsos; ++n)
        log += QsoRecord(calls[static_cast<std::size_t>(n) * 7919u % calls.size()], n);
    return log;
}
