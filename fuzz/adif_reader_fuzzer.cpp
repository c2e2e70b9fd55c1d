// Fuzzes the incremental ADIF reader. The file fed whole and the same file
// fed in pieces must give the same records and counts, since a log is read in
// whatever slices the disk and a still-writing logger hand out; the cuts come
// from the file's first bytes, and a short file is also fed one byte at a
// time, each byte's effect on the counts checked. Both must match the rules
// taken one byte at a time (adif_model.h), which the reader's scanning of
// plain runs must not change. Some inputs stand for files longer than the
// 64 KiB record limit (File), which the fuzzer's input length could not
// reach; only a quarter of them, as such a run is slow. While reading, no
// allocation may be large: the reader must never allocate by a declared
// length. The records then go into LogNeeds with a made-up country of a call.
#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "adif_model.h"
#include "fuzz_check.h"
#include "spots/adif_reader.h"
#include "spots/band_plan.h"
#include "spots/log_needs.h"

namespace {

// Far above anything the reader keeps (a 128-byte tag, 64-byte values), far
// below a declared length worth worrying about.
constexpr std::size_t kLargestReadingAllocation = 4096;
constexpr std::size_t kOneByteFeedLimit = 512;
constexpr std::size_t kCutBytes = 32;  // 16 cuts of two bytes each

bool watching = false;
std::size_t largest = 0;

void OnMalloc(const volatile void* /*block*/, std::size_t size) {
    if (watching && size > largest) largest = size;
}
void OnFree(const volatile void* /*block*/) {}

// Where the reader may start counting pending bytes afresh: the file's start
// and the end of each "<EOR>" and "<EOH>" (any case), the only texts that end
// a record or the header.
struct Marks {
    std::size_t eors = 0;
    std::vector<bool> restart;  // by position, 0 to the file's size
};

Marks MarksOf(const std::string& file) {
    Marks marks;
    marks.restart.assign(file.size() + 1, false);
    marks.restart[0] = true;
    for (std::size_t i = 0; i + 5 <= file.size(); ++i) {
        const char* p = file.data() + i;
        if (p[0] != '<' || (p[1] | 0x20) != 'e' || (p[2] | 0x20) != 'o' || p[4] != '>') continue;
        const char last = static_cast<char>(p[3] | 0x20);
        if (last == 'r') ++marks.eors;
        if (last == 'r' || last == 'h') marks.restart[i + 5] = true;
    }
    return marks;
}

struct Reading {
    std::vector<AdifRecord> records;
    std::uint64_t read = 0;
    std::uint64_t skipped = 0;
    std::uint64_t pending = 0;
};

// The file's cuts: positions within it from the first bytes, two at a time,
// sorted; the pieces between them are fed in turn.
std::vector<std::size_t> Cuts(const std::string& file, std::size_t headBytes) {
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i + 1 < headBytes && i + 1 < kCutBytes; i += 2) {
        const std::size_t value =
            static_cast<unsigned char>(file[i]) << 8 | static_cast<unsigned char>(file[i + 1]);
        // Scaled to the whole file, so that a repeated file is cut late too.
        cuts.push_back(value * file.size() / 0x10000);
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

// Reads the file in pieces ending at each cut (every byte its own piece when
// `marks` are given, to check each byte's effect), watching the allocations.
Reading Read(const std::string& file, const std::vector<std::size_t>& cuts, const Marks* marks,
             std::size_t records) {
    Reading reading;
    reading.records.reserve(records);  // grown outside the reader's watch
    AdifReader reader([&reading](const AdifRecord& record) {
        fuzz::Check(reading.records.size() < reading.records.capacity(),
                    "more records than the file holds <EOR>s");
        reading.records.push_back(record);
    });
    largest = 0;
    watching = true;
    if (marks != nullptr) {
        // Each byte's effect on the counts is seen: the pending bytes grow by
        // one or restart after a marker, and a record ends only there, at most
        // 64 KiB long.
        const std::vector<bool>& restart = marks->restart;
        for (std::size_t i = 0; i < file.size(); ++i) {
            const std::uint64_t read = reader.RecordsRead();
            const std::uint64_t skipped = reader.RecordsSkipped();
            const std::uint64_t pending = reader.PendingBytes();
            reader.Feed(&file[i], 1);
            const std::uint64_t ended =
                reader.RecordsRead() - read + reader.RecordsSkipped() - skipped;
            const bool restarted = reader.PendingBytes() == 0 && restart[i + 1];
            if (ended > 1 || (ended == 1 && !restarted) ||
                (!restarted && reader.PendingBytes() != pending + 1) ||
                (reader.RecordsRead() != read && pending + 1 > AdifReader::kMaxRecordBytes))
                fuzz::Check(
                    false, "a byte's effect on the counts",
                    "at byte " + std::to_string(i) + ": pending " + std::to_string(pending) +
                        " -> " + std::to_string(reader.PendingBytes()) + ", read " +
                        std::to_string(read) + " -> " + std::to_string(reader.RecordsRead()) +
                        ", skipped " + std::to_string(skipped) + " -> " +
                        std::to_string(reader.RecordsSkipped()));
        }
    } else {
        std::size_t at = 0;
        for (const std::size_t cut : cuts) {
            reader.Feed(file.data() + at, cut - at);
            at = cut;
        }
        reader.Feed(file.data() + at, file.size() - at);
    }
    watching = false;
    fuzz::Check(largest <= kLargestReadingAllocation, "a large allocation while reading",
                std::to_string(largest) + " bytes");
    reading.read = reader.RecordsRead();
    reading.skipped = reader.RecordsSkipped();
    reading.pending = reader.PendingBytes();
    return reading;
}

std::string Shown(const Reading& reading) {
    std::string shown = "read " + std::to_string(reading.read) + ", skipped " +
                        std::to_string(reading.skipped) + ", pending " +
                        std::to_string(reading.pending) + "\n";
    for (const AdifRecord& r : reading.records) {
        for (const std::string* field :
             {&r.call, &r.dxcc, &r.band, &r.freq, &r.qslRcvd, &r.lotwQslRcvd})
            shown += "[" + std::to_string(field->size()) + "]" + fuzz::Shown(*field) + " ";
        shown += "\n";
    }
    return shown;
}

// The readings as Shown gives them, already escaped, one record a line.
void CheckSame(const std::string& got, const std::string& want, const char* what) {
    fuzz::Check(got == want, what, "got:\n" + got + "want:\n" + want);
}

// A made-up country of a call, out of range for some calls; none for a call
// starting with a digit. Half the numbers are known.
std::optional<int> CountryOf(const std::string& call) {
    if (call[0] >= '0' && call[0] <= '9') return std::nullopt;
    return static_cast<unsigned char>(call[0]) * 8 + static_cast<int>(call.size()) - 40;
}
bool Known(int dxcc) {
    return dxcc % 2 == 0;
}

void CheckNeeds(const std::vector<AdifRecord>& records) {
    LogNeeds needs;
    for (const AdifRecord& record : records) needs.Add(record, CountryOf, Known);
    fuzz::CheckEqual(static_cast<long long>(needs.QsoCount()),
                     static_cast<long long>(records.size()), "the QSOs counted");
    fuzz::Check(needs.WithoutCountry() <= needs.QsoCount(), "more QSOs without country than QSOs");
    for (const AdifRecord& record : records) {
        // Only a QSO without any DXCC text goes by its call alone.
        if (!record.dxcc.empty() || record.call.empty()) continue;
        const std::optional<int> country = CountryOf(record.call);
        if (!country || *country < 0 || *country > LogNeeds::kMaxDxcc) continue;
        fuzz::Check(!needs.IsNewCountry(*country, false), "a worked country is new",
                    fuzz::Shown(record.call));
        const std::optional<Band> band = BandOfName(record.band);
        if (band)
            fuzz::Check(!needs.IsNewBand(*country, *band, false), "a worked band is new",
                        fuzz::Shown(record.call + " " + record.band));
        const auto yes = [](const std::string& value) { return value == "Y" || value == "y"; };
        if (!yes(record.qslRcvd) && !yes(record.lotwQslRcvd)) continue;
        fuzz::Check(!needs.IsNewCountry(*country, true), "a confirmed country is new",
                    fuzz::Shown(record.call));
        if (band)
            fuzz::Check(!needs.IsNewBand(*country, *band, true), "a confirmed band is new",
                        fuzz::Shown(record.call + " " + record.band));
    }
    // The details are built only on failure: this loop runs a million
    // checks a second otherwise.
    for (int dxcc = -1; dxcc <= LogNeeds::kMaxDxcc + 1; ++dxcc) {
        const bool newInLog = needs.IsNewCountry(dxcc, false);
        if (newInLog && !needs.IsNewCountry(dxcc, true))
            fuzz::Check(false, "a country new in the log but worked confirmed",
                        std::to_string(dxcc));
        // A new country has no new band; one band is enough to ask.
        const int bands = newInLog ? 1 : kBandCount;
        for (int b = 0; b < bands; ++b) {
            const Band band = static_cast<Band>(newInLog ? (dxcc + 1) % kBandCount : b);
            for (const bool confirmed : {false, true}) {
                if (needs.IsNewBand(dxcc, band, confirmed) && needs.IsNewCountry(dxcc, confirmed))
                    fuzz::Check(false, "a new band of a new country", std::to_string(dxcc));
            }
        }
    }
}

// The file the input stands for: itself; repeated past the record limit when
// its first byte is 0xE0 or more (a byte order mark's is); and for a first
// byte 0xC0-0xDF, the input from its fifth byte with a run of "x" about the
// record limit long put in, so that the limit can fall on any byte of what
// follows (an <EOR> cut by it, for one): bytes 2-4 give where and how long.
std::string File(const std::string& input) {
    const auto byte = [&input](std::size_t i) { return static_cast<unsigned char>(input[i]); };
    if (byte(0) >= 0xE0) {
        std::string file = input;
        while (file.size() <= AdifReader::kMaxRecordBytes + input.size()) file += input;
        return file;
    }
    if (byte(0) < 0xC0 || input.size() < 4) return input;
    std::string file = input.substr(4);
    const std::size_t at = byte(1) * file.size() / 256;
    const std::size_t run = AdifReader::kMaxRecordBytes - 512 + (byte(2) << 8 | byte(3)) % 1024;
    return file.insert(at, run, 'x');
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string file = File(input);
    const Marks marks = MarksOf(file);
    const std::size_t eors = marks.eors;

    const Reading whole = Read(file, {}, nullptr, eors);
    fuzz::CheckEqual(static_cast<long long>(whole.records.size()),
                     static_cast<long long>(whole.read), "the records handed out");
    fuzz::Check(whole.read + whole.skipped <= eors, "more records than <EOR>s", Shown(whole));
    fuzz::Check(whole.pending <= file.size() && marks.restart[file.size() - whole.pending],
                "pending bytes not counted from a record's end", Shown(whole));
    for (const AdifRecord& r : whole.records)
        for (const std::string* field :
             {&r.call, &r.dxcc, &r.band, &r.freq, &r.qslRcvd, &r.lotwQslRcvd})
            fuzz::Check(field->size() <= AdifReader::kMaxKeptValue, "a kept value too long");
    const std::string want = Shown(whole);

    fuzz::AdifModel model;
    model.Feed(file);
    Reading modelled;
    modelled.records = model.records;
    modelled.read = model.records.size();
    modelled.skipped = model.skipped;
    modelled.pending = model.pending;
    CheckSame(want, Shown(modelled), "the file against the rules taken byte by byte");

    const Reading cut = Read(file, Cuts(file, std::min(size, file.size())), nullptr, eors);
    CheckSame(Shown(cut), want, "the file fed in pieces");
    if (file.size() <= kOneByteFeedLimit) {
        const Reading bytes = Read(file, {}, &marks, eors);
        CheckSame(Shown(bytes), want, "the file fed byte by byte");
    }

    CheckNeeds(whole.records);
    return 0;
}
