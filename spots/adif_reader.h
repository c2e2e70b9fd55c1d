// An incremental reader of ADIF logs (the text form, .adi), fed the file's
// bytes in slices as they are read, so that a large log is read piece by
// piece and one a logging program is still appending to is read as far as it
// is whole.
//
// The form read: an optional header, which the file has unless it starts
// with "<" (after a UTF-8 byte order mark, if any), ended by <EOH>; then
// fields <NAME:LENGTH> or <NAME:LENGTH:TYPE> followed by LENGTH bytes of
// value, records ended by <EOR>; names and
// EOH/EOR in any case; anything between fields ignored. A <EOH> met where a
// record was expected (a header in a file starting with "<") drops the
// fields before it. Only the fields a log's needs are made from are kept
// (CALL, DXCC, BAND, FREQ, QSL_RCVD, LOTW_QSL_RCVD); each whole record hands
// them to the callback. An <EOR> after no field at all is no record.
//
// A record cut short at the end of what was fed is held (as parsing state,
// never as raw bytes) and finished by the next slice; it is not counted
// until its <EOR> comes.
//
// Broken records are skipped and counted: a tag without ">" (a "<" inside
// it, or more than 128 bytes), a name with other bytes than printable ASCII,
// a length that is not a number of at most 9 digits, a value that runs past
// the record's <EOR> (the value holds "<EOR>" in any case, so a value that
// really holds that text breaks its record too), a NUL byte anywhere in the
// record, a kept field's value longer than 64 bytes, or a record of more
// than 64 KiB. Resynchronising: everything after the fault is passed over
// until the next "<EOR>" (in any case, taken as raw text), and the next
// record starts after it. Memory stays bounded whatever the input: nothing
// is ever allocated by a declared length.
//
// One thread at a time. Nothing thrown beyond allocation; exceptions from
// the callback pass through (the reader's state is then unspecified).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The fields of one record, as written (not trimmed); empty when absent.
struct AdifRecord {
    std::string call;
    std::string dxcc;
    std::string band;
    std::string freq;
    std::string qslRcvd;
    std::string lotwQslRcvd;
};

class AdifReader {
  public:
    // Longest value kept of a field of interest; a longer one breaks the
    // record.
    static constexpr std::size_t kMaxKeptValue = 64;
    // Longest record, counted from the byte after the last record's (or the
    // header's) end through its <EOR>; a longer one is skipped.
    static constexpr std::size_t kMaxRecordBytes = 64 * 1024;

    using RecordHandler = std::function<void(const AdifRecord&)>;

    // `onRecord` is called for each whole good record, in order; the record
    // it is handed is valid during the call only.
    explicit AdifReader(RecordHandler onRecord);

    // Reads the next bytes of the file, in order from its first byte.
    void Feed(const char* data, std::size_t size);
    void Feed(const std::string& data) { Feed(data.data(), data.size()); }

    std::uint64_t RecordsRead() const { return read_; }
    std::uint64_t RecordsSkipped() const { return skipped_; }
    // Bytes fed since the last record (or the header) ended: a record still
    // being written, or text after the last <EOR>.
    std::uint64_t PendingBytes() const { return recordBytes_; }

  private:
    enum class State : std::uint8_t {
        kStart,       // no byte yet: decides whether there is a header
        kHeaderText,  // header text, up to <EOH>
        kText,        // between fields
        kTag,         // after "<", up to ">"
        kValue,       // a field's value, valueLeft_ more bytes
        kSkip,        // a broken record, up to its <EOR>
    };

    void OnTag();
    void Break();
    void BreakTooLong();
    void EndRecord(bool good);
    void ClearFields();
    std::size_t PlainRun(const char* data, std::size_t size);
    std::string* KeptField(const char* upperName, std::size_t length);

    RecordHandler onRecord_;
    State state_ = State::kStart;
    AdifRecord record_;
    std::string tag_;
    std::string* value_ = nullptr;  // the kept field being read, or nullptr
    std::uint32_t valueLeft_ = 0;
    std::uint32_t fields_ = 0;  // fields of the record so far, kept or not
    int marker_ = 0;            // bytes of "<EOR>" (or "<EOH>" in the header) matched so far
    std::uint64_t recordBytes_ = 0;
    std::uint64_t read_ = 0;
    std::uint64_t skipped_ = 0;
};
