#include "spots/adif_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kMaxTagBytes = 128;
constexpr int kMaxLengthDigits = 9;  // below 2^32, so a length never overflows

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// How much of `marker` ("<eor>" or "<eoh>", lower case) is matched after c,
// given `matched` before it. Only the first byte is "<", so a mismatch
// restarts at 0, or at 1 on a "<".
int Advance(int matched, char c, const char* marker) {
    const char lower = Lower(c);
    if (lower == marker[matched]) return matched + 1;
    return lower == '<' ? 1 : 0;
}

constexpr int kMarkerLength = 5;
constexpr const char* kEor = "<eor>";
constexpr const char* kEoh = "<eoh>";
constexpr const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsNameByte(char c) {
    return c > ' ' && c < 0x7F;
}

bool NameIs(const char* name, std::size_t length, const char* upper) {
    return std::strlen(upper) == length && std::memcmp(name, upper, length) == 0;
}

}  // namespace

AdifReader::AdifReader(RecordHandler onRecord) : onRecord_(std::move(onRecord)) {
    tag_.reserve(kMaxTagBytes);
}

void AdifReader::Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        i += PlainRun(data + i, size - i);
        if (i == size) break;
        const char c = data[i];
        ++recordBytes_;
        switch (state_) {
            case State::kStart:
                // A UTF-8 byte order mark (Windows programs write one) is no
                // text: what follows it decides.
                if (marker_ < 3 && c == kByteOrderMark[marker_]) {
                    ++marker_;
                    break;
                }
                // ADIF's own rule: a file that starts with "<" has no
                // header.
                if (c == '<' && (marker_ == 0 || marker_ == 3)) {
                    marker_ = 0;
                    state_ = State::kTag;
                    tag_.clear();
                    break;
                }
                state_ = State::kHeaderText;
                marker_ = Advance(0, c, kEoh);
                break;
            case State::kHeaderText:
                marker_ = Advance(marker_, c, kEoh);
                if (marker_ == kMarkerLength) {
                    marker_ = 0;
                    recordBytes_ = 0;
                    state_ = State::kText;
                }
                break;
            case State::kText:
                if (c == '<') {
                    state_ = State::kTag;
                    tag_.clear();
                } else if (c == '\0') {
                    Break();
                }
                break;
            case State::kTag:
                if (c == '>') {
                    OnTag();
                } else if (c == '<') {
                    // A tag without ">": this "<" may already start the <EOR>.
                    Break();
                    marker_ = 1;
                } else if (c == '\0' || tag_.size() >= kMaxTagBytes) {
                    Break();
                } else {
                    tag_.push_back(c);
                }
                break;
            case State::kValue:
                if (c == '\0') {
                    Break();
                    break;
                }
                marker_ = Advance(marker_, c, kEor);
                if (marker_ == kMarkerLength) {
                    // The declared length runs past the record's end.
                    EndRecord(false);
                    break;
                }
                if (value_ != nullptr) value_->push_back(c);
                if (--valueLeft_ == 0) {
                    value_ = nullptr;
                    marker_ = 0;
                    state_ = State::kText;
                }
                break;
            case State::kSkip:
                marker_ = Advance(marker_, c, kEor);
                if (marker_ == kMarkerLength) EndRecord(false);
                break;
        }
        // A record still open after its 64 KiB-th byte is too long (one that
        // ended reset the count).
        if (recordBytes_ >= kMaxRecordBytes && state_ != State::kSkip &&
            state_ != State::kHeaderText)
            BreakTooLong();
    }
}

std::size_t AdifReader::PlainRun(const char* data, std::size_t size) {
    // Most bytes change nothing but counts: in text and values only a "<" or
    // a NUL matters, in a tag also its ">". Those before one are taken in a
    // block; the byte path takes the one that matters, and the byte that
    // reaches a limit, so that both paths give the same result.
    if (marker_ != 0) return 0;
    std::size_t n = size;
    if (state_ == State::kHeaderText || state_ == State::kSkip) {
        const void* less = std::memchr(data, '<', n);
        if (less != nullptr) n = static_cast<std::size_t>(static_cast<const char*>(less) - data);
        recordBytes_ += n;
        return n;
    }
    if (state_ != State::kText && state_ != State::kValue && state_ != State::kTag) return 0;
    if (recordBytes_ + 1 >= kMaxRecordBytes) return 0;
    n = std::min<std::uint64_t>(n, kMaxRecordBytes - 1 - recordBytes_);
    if (state_ == State::kValue) n = std::min<std::size_t>(n, valueLeft_);
    std::size_t i = 0;
    if (state_ == State::kTag) {
        n = std::min(n, kMaxTagBytes - tag_.size());
        while (i < n && data[i] != '>' && data[i] != '<' && data[i] != '\0') ++i;
        tag_.append(data, i);
        recordBytes_ += i;
        return i;
    }
    // Values and the text between them are short: a loop beats calls.
    while (i < n && data[i] != '<' && data[i] != '\0') ++i;
    recordBytes_ += i;
    if (state_ == State::kValue) {
        if (value_ != nullptr) value_->append(data, i);
        valueLeft_ -= static_cast<std::uint32_t>(i);
        if (valueLeft_ == 0) {
            value_ = nullptr;
            state_ = State::kText;
        }
    }
    return i;
}

void AdifReader::OnTag() {
    const std::size_t nameEnd = tag_.find(':');
    const std::size_t nameLength = nameEnd == std::string::npos ? tag_.size() : nameEnd;
    for (std::size_t i = 0; i < nameLength; ++i) {
        const char c = tag_[i];
        if (!IsNameByte(c)) return Break();
        tag_[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
    }
    const char* name = tag_.data();
    if (nameEnd == std::string::npos) {
        if (NameIs(name, nameLength, "EOR")) return EndRecord(true);
        if (NameIs(name, nameLength, "EOH")) {
            // A header in a file that starts with "<": what came before is
            // no record.
            ClearFields();
            recordBytes_ = 0;
        }
        // Other tags without a length carry no value; text, as it were.
        state_ = State::kText;
        return;
    }
    if (nameLength == 0) return Break();
    std::uint32_t length = 0;
    int digits = 0;
    std::size_t i = nameEnd + 1;
    for (; i < tag_.size() && tag_[i] != ':'; ++i) {
        const char c = tag_[i];
        if (c < '0' || c > '9' || ++digits > kMaxLengthDigits) return Break();
        length = length * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (digits == 0) return Break();
    ++fields_;
    value_ = KeptField(name, nameLength);
    if (value_ != nullptr) {
        if (length > kMaxKeptValue) return Break();
        value_->clear();  // a field given twice: the last counts
    }
    marker_ = 0;
    if (length == 0) {
        value_ = nullptr;
        state_ = State::kText;
        return;
    }
    valueLeft_ = length;
    state_ = State::kValue;
}

void AdifReader::Break() {
    state_ = State::kSkip;
    marker_ = 0;
    value_ = nullptr;
}

void AdifReader::BreakTooLong() {
    // The limit may fall inside the record's own <EOR>: keep what of it has
    // been seen, so that the skip ends there and not one record later.
    int matched = 0;
    if (state_ == State::kValue) {
        matched = marker_;
    } else if (state_ == State::kTag && tag_.size() < 4) {
        matched = 1;
        while (matched <= static_cast<int>(tag_.size()) &&
               Lower(tag_[matched - 1]) == kEor[matched])
            ++matched;
        if (matched <= static_cast<int>(tag_.size())) matched = 0;
    }
    Break();
    marker_ = matched;
}

void AdifReader::EndRecord(bool good) {
    if (!good) {
        ++skipped_;
    } else if (fields_ > 0) {  // "<EOR>" after no field at all is no record
        ++read_;
        onRecord_(record_);
    }
    ClearFields();
    recordBytes_ = 0;
    marker_ = 0;
    value_ = nullptr;
    state_ = State::kText;
}

void AdifReader::ClearFields() {
    fields_ = 0;
    record_.call.clear();
    record_.dxcc.clear();
    record_.band.clear();
    record_.freq.clear();
    record_.qslRcvd.clear();
    record_.lotwQslRcvd.clear();
}

std::string* AdifReader::KeptField(const char* upperName, std::size_t length) {
    if (NameIs(upperName, length, "CALL")) return &record_.call;
    if (NameIs(upperName, length, "DXCC")) return &record_.dxcc;
    if (NameIs(upperName, length, "BAND")) return &record_.band;
    if (NameIs(upperName, length, "FREQ")) return &record_.freq;
    if (NameIs(upperName, length, "QSL_RCVD")) return &record_.qslRcvd;
    if (NameIs(upperName, length, "LOTW_QSL_RCVD")) return &record_.lotwQslRcvd;
    return nullptr;
}
