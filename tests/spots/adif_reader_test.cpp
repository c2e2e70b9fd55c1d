// The ADIF reader: the header rule, tags in their forms and cases, lengths in
// bytes, records cut anywhere between slices, and every kind of broken record
// skipped, counted and resynchronised at its <EOR>.
#include "spots/adif_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Reads text in slices cut at the given places; each record as
// "CALL|DXCC|BAND|FREQ|QSL_RCVD|LOTW_QSL_RCVD".
struct Reading {
    std::vector<std::string> records;
    std::uint64_t read = 0;
    std::uint64_t skipped = 0;
    std::uint64_t pending = 0;

    bool operator==(const Reading& other) const {
        return records == other.records && read == other.read && skipped == other.skipped &&
               pending == other.pending;
    }
};

Reading Read(const std::string& text, const std::vector<std::size_t>& cuts = {}) {
    Reading reading;
    AdifReader reader([&reading](const AdifRecord& r) {
        reading.records.push_back(r.call + "|" + r.dxcc + "|" + r.band + "|" + r.freq + "|" +
                                  r.qslRcvd + "|" + r.lotwQslRcvd);
    });
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        reader.Feed(text.substr(from, cut - from));
        from = cut;
    }
    reader.Feed(text.substr(from));
    reading.read = reader.RecordsRead();
    reading.skipped = reader.RecordsSkipped();
    reading.pending = reader.PendingBytes();
    return reading;
}

std::vector<std::string> Records(const std::string& text) {
    return Read(text).records;
}

using Lines = std::vector<std::string>;

TEST(AdifReader, HeaderWhenTheFileDoesNotStartWithLessThan) {
    EXPECT_EQ(Records("Made by hand\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:4>Test\r\n<EOH>\r\n"
                      "<CALL:5>OH2BH <BAND:3>20m <EOR>\r\n"),
              Lines({"OH2BH||20m|||"}));
    // <EOH> in any case.
    EXPECT_EQ(Records("x<eoh><CALL:4>DL1A<EOR>"), Lines({"DL1A|||||"}));
    EXPECT_EQ(Records("x<EoH><CALL:4>DL1A<EOR>"), Lines({"DL1A|||||"}));
    // The header's own fields, even a CALL, are no record.
    EXPECT_EQ(Records("log <CALL:4>OH1A<EOR> <EOH><CALL:4>DL1A<EOR>"), Lines({"DL1A|||||"}));
    // No <EOH>: all of it is header.
    const Reading unended = Read("\r\n<CALL:5>OH2BH<EOR>");
    EXPECT_EQ(unended.records, Lines());
    EXPECT_EQ(unended.read, 0u);
    EXPECT_EQ(unended.skipped, 0u);
}

TEST(AdifReader, NoHeaderWhenTheFileStartsWithLessThan) {
    EXPECT_EQ(Records("<CALL:5>OH2BH<EOR><CALL:4>DL1A<EOR>"), Lines({"OH2BH|||||", "DL1A|||||"}));
    // After a UTF-8 byte order mark too; not after other bytes.
    EXPECT_EQ(Records("\xEF\xBB\xBF<CALL:5>OH2BH<EOR>"), Lines({"OH2BH|||||"}));
    EXPECT_EQ(Records("\xEF\xBB\xBFlog<EOH><CALL:5>OH2BH<EOR>"), Lines({"OH2BH|||||"}));
    EXPECT_EQ(Records("\xEF\xBB<CALL:5>OH2BH<EOR>"), Lines());
    // A header given anyway drops what came before its <EOH>, uncounted.
    const Reading reading = Read("<ADIF_VER:5>3.1.4<DXCC:3>224<EOH><CALL:4>DL1A<EOR>");
    EXPECT_EQ(reading.records, Lines({"DL1A|||||"}));
    EXPECT_EQ(reading.read, 1u);
    EXPECT_EQ(reading.skipped, 0u);
}

TEST(AdifReader, TagsWithTypesAndNamesInAnyCase) {
    EXPECT_EQ(Records("<CALL:5:S>OH2BH<FREQ:6:N>14.025<DXCC:3:E>224<EOR>"),
              Lines({"OH2BH|224||14.025||"}));
    EXPECT_EQ(Records("<call:5>OH2BH<Band:3>20M<qsl_rcvd:1>y<LoTW_QSL_RCVD:1>N<Dxcc:3>224<eor>"),
              Lines({"OH2BH|224|20M||y|N"}));
    // Fields not kept are passed over, values and all; a field given twice:
    // the last counts; an empty value is empty.
    EXPECT_EQ(Records("<NAME:9><CALL:4>X<CALL:4>OH1A<EOR><CALL:0><BAND:2>2m<EOR>"),
              Lines({"OH1A|||||", "||2m|||"}));
}

TEST(AdifReader, LengthIsCountedInBytes) {
    // "J\xC3\xB6rg" is five bytes, four characters.
    EXPECT_EQ(Records("<NAME:5>J\xC3\xB6rg<CALL:6>\xC3\x96H2BH<EOR>"),
              Lines({"\xC3\x96H2BH|||||"}));
}

TEST(AdifReader, TextBetweenFieldsIsIgnored) {
    EXPECT_EQ(Records("<EOH> QSO 1 > here\r\n<CALL:5>OH2BH then some\t<BAND:3>20m text <EOR>\r\n"
                      "<br> <CALL:4>DL1A<EOR> trailing"),
              Lines({"OH2BH||20m|||", "DL1A|||||"}));
}

using namespace std::string_literals;

const std::string kLog =
    "Exported log\r\n<ADIF_VER:5>3.1.4\r\n<EOH>\r\n"
    "<CALL:5>OH2BH<BAND:3>20m<FREQ:6>14.025<QSL_RCVD:1>Y<EOR>\r\n"
    "<CALL:4>DL1A<COMMENT:40>runs past its record<EOR>\r\n"  // skipped
    "<call:4>G3AB<dxcc:3>223<lotw_qsl_rcvd:1>y<eor>\r\n"
    "<CALL:4 DL2B<EOR>\r\n"              // a tag without ">": skipped
    "<CALL:4>F5CD<NAME:3>A\0B<EOR>\r\n"  // a NUL: skipped
    "<NAME:5>J\xC3\xB6rg<CALL:4>VK2E<FREQ:5>7.025<EOR>\r\n"s;

TEST(AdifReader, ARecordCutAnywhereIsReadWhenWhole) {
    const std::string& log = kLog;
    const Reading whole = Read(log);
    ASSERT_EQ(whole.records, Lines({"OH2BH||20m|14.025|Y|", "G3AB|223||||y", "VK2E|||7.025||"}));
    EXPECT_EQ(whole.read, 3u);
    EXPECT_EQ(whole.skipped, 3u);
    EXPECT_EQ(whole.pending, 2u);  // the last line end
    for (std::size_t cut = 0; cut <= log.size(); ++cut)
        EXPECT_EQ(Read(log, {cut}), whole) << "cut at " << cut;
    std::vector<std::size_t> everyByte;
    for (std::size_t cut = 1; cut < log.size(); ++cut) everyByte.push_back(cut);
    EXPECT_EQ(Read(log, everyByte), whole);
}

TEST(AdifReader, ARecordCutAtTheEndIsHeldNotCounted) {
    const Reading cut = Read("<CALL:5>OH2BH<EOR><CALL:4>DL1A<COMMENT:20>being wri");
    EXPECT_EQ(cut.records, Lines({"OH2BH|||||"}));
    EXPECT_EQ(cut.read, 1u);
    EXPECT_EQ(cut.skipped, 0u);
    EXPECT_EQ(cut.pending, 33u);
}

TEST(AdifReader, LengthPastTheEorSkipsThatRecordOnly) {
    const Reading reading = Read(
        "<CALL:20>OH2BH<EOR><CALL:4>DL1A<EOR>"
        "<CALL:4>G3AB<NOTES:12>x<eOr><EOR><CALL:4>F5CD<EOR>");
    EXPECT_EQ(reading.records, Lines({"DL1A|||||", "F5CD|||||"}));
    EXPECT_EQ(reading.read, 2u);
    // G3AB's <eOr> inside its value ends it; the <EOR> after that ends no
    // field, so it is no record at all.
    EXPECT_EQ(reading.skipped, 2u);
}

TEST(AdifReader, TagWithoutClosingIsSkipped) {
    // A "<" inside the tag: it may be the <EOR> itself.
    EXPECT_EQ(Read("<CALL:5 OH2BH<EOR><CALL:4>DL1A<EOR>").records, Lines({"DL1A|||||"}));
    EXPECT_EQ(Read("<CALL:5OH2BH<EOR><CALL:4>DL1A<EOR>").skipped, 1u);
    // A tag of 128 bytes is still read; a longer one is broken.
    EXPECT_EQ(Read("<" + std::string(126, 'X') + ":1>x<CALL:4>DL1A<EOR>").records,
              Lines({"DL1A|||||"}));
    EXPECT_EQ(Read("<" + std::string(127, 'X') + ":1>x<CALL:4>DL1A<EOR>").records, Lines());
    const Reading endless = Read("<CALL:4>OH1A<NOTES:5 " + std::string(100000, 'x') + " <EOR>");
    EXPECT_EQ(endless.read, 0u);
    EXPECT_EQ(endless.skipped, 1u);
}

TEST(AdifReader, NulBytesBreakTheirRecord) {
    const std::string good = "<CALL:4>DL1A<EOR>";
    for (const std::string& bad : {"<CALL:5>OH\0BH<EOR>"s, "<CALL:5>OH2BH\0<EOR>"s,
                                   "<CA\0LL:5>OH2BH<EOR>"s, "\0<CALL:5>OH2BH<EOR>"s}) {
        std::string text = "<EOH>";
        text += bad;
        text += good;
        const Reading reading = Read(text);
        EXPECT_EQ(reading.records, Lines({"DL1A|||||"}));
        EXPECT_EQ(reading.skipped, 1u);
    }
}

TEST(AdifReader, NamesOnlyOfPrintableAscii) {
    EXPECT_EQ(Read("<C\xC3\x84LL:5>OH2BH<EOR><CALL:4>DL1A<EOR>").records, Lines({"DL1A|||||"}));
    EXPECT_EQ(Read("<EOH><CALL\xC4:5>OH2BH<EOR>").skipped, 1u);
    EXPECT_EQ(Read("<EOH>< CALL:5>OH2BH<EOR>").skipped, 1u);
    EXPECT_EQ(Read("<EOH><:5>OH2BH<EOR>").skipped, 1u);
}

TEST(AdifReader, LengthsMustBeNumbersOfAtMostNineDigits) {
    EXPECT_EQ(Read("<EOH><CALL:x>OH2BH<EOR>").skipped, 1u);
    EXPECT_EQ(Read("<EOH><CALL:>OH2BH<EOR>").skipped, 1u);
    EXPECT_EQ(Read("<EOH><CALL:-5>OH2BH<EOR>").skipped, 1u);
    EXPECT_EQ(Read("<EOH><NOTES:0000000005>hello<CALL:5>OH2BH<EOR>").skipped, 1u);
    EXPECT_EQ(Read("<EOH><NOTES:000000005>hello<CALL:5>OH2BH<EOR>").records, Lines({"OH2BH|||||"}));
}

TEST(AdifReader, KeptValuesUpTo64Bytes) {
    const std::string call64(64, 'A');
    EXPECT_EQ(Records("<CALL:64>" + call64 + "<EOR>"), Lines({call64 + "|||||"}));
    const Reading longer = Read("<CALL:65>" + call64 + "A<EOR><CALL:4>DL1A<EOR>");
    EXPECT_EQ(longer.records, Lines({"DL1A|||||"}));
    EXPECT_EQ(longer.skipped, 1u);
    // A field not kept may be longer.
    EXPECT_EQ(Records("<NOTES:65>" + call64 + "A<CALL:4>DL1A<EOR>"), Lines({"DL1A|||||"}));
}

// A record of `size` bytes in all, from the header's end through its <EOR>.
std::string RecordOfSize(const std::string& call, std::size_t size) {
    const std::string head = "<CALL:" + std::to_string(call.size()) + ">" + call + "<NOTES:";
    const std::size_t notes = size - (head.size() + 6 + 1 + 5);  // "nnnnnn", ">", "<EOR>"
    const std::string length = std::to_string(1000000 + notes).substr(1);
    return head + length + ">" + std::string(notes, 'n') + "<EOR>";
}

TEST(AdifReader, RecordsUpTo64KibHugeDeclaredLengthsBounded) {
    const std::string exact = RecordOfSize("OH2BH", AdifReader::kMaxRecordBytes);
    const std::string over = RecordOfSize("DL1A", AdifReader::kMaxRecordBytes + 1);
    ASSERT_EQ(exact.size(), AdifReader::kMaxRecordBytes);
    ASSERT_EQ(over.size(), AdifReader::kMaxRecordBytes + 1);
    const Reading reading = Read("<EOH>" + exact + over + "<CALL:4>G3AB<EOR>");
    EXPECT_EQ(reading.records, Lines({"OH2BH|||||", "G3AB|||||"}));
    EXPECT_EQ(reading.skipped, 1u);

    // A length of nearly 1 GB over 8 MiB of junk: the record is given up
    // after 64 KiB, and what is held stays small all along.
    Reading huge;
    AdifReader reader([&huge](const AdifRecord& r) { huge.records.push_back(r.call); });
    reader.Feed("<EOH><CALL:4>OH1A<NOTES:999999999>");
    const std::string junk(1 << 20, 'j');
    for (int i = 0; i < 8; ++i) reader.Feed(junk);
    reader.Feed("<EOR><CALL:4>DL1A<EOR>");
    EXPECT_EQ(huge.records, Lines({"DL1A"}));
    EXPECT_EQ(reader.RecordsSkipped(), 1u);
    EXPECT_EQ(reader.RecordsRead(), 1u);
}

TEST(AdifReader, RandomTextReadsTheSameInAnySlices) {
    // Broken and good pieces mixed at random (a fixed seed): however the
    // bytes are cut into slices, the records and counts are the same.
    const std::vector<std::string> pieces = {"<CALL:4>",
                                             "<call:2>",
                                             "<DXCC:3>",
                                             "<NOTES:7>",
                                             "<EOR>",
                                             "<eor>",
                                             "<EOH>",
                                             "<",
                                             ">",
                                             ":",
                                             "OH2BH",
                                             "x",
                                             " ",
                                             "\r\n",
                                             "9",
                                             "<BAND:3:S>",
                                             "\xC3\xA4",
                                             "<CALL:99999>",
                                             std::string(1, '\0'),
                                             std::string(130, 'T'),
                                             "<EO",
                                             "R>"};
    std::mt19937 random(31);
    for (int round = 0; round < 300; ++round) {
        std::string text = round % 2 == 0 ? "<" : "";
        const int count = 1 + static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
        const Reading whole = Read(text);
        std::vector<std::size_t> cuts;
        for (std::size_t at = 1; at < text.size(); at += 1 + random() % 7) cuts.push_back(at);
        EXPECT_EQ(Read(text, cuts), whole) << "round " << round;
        std::vector<std::size_t> everyByte;
        for (std::size_t at = 1; at < text.size(); ++at) everyByte.push_back(at);
        EXPECT_EQ(Read(text, everyByte), whole) << "round " << round;
    }
}

}  // namespace
