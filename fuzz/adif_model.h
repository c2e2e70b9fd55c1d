// The ADIF reader's rules (spots/adif_reader.h) taken one byte at a time,
// with no fast path over runs of plain bytes: what the reader's block
// scanning must agree with, whatever the slices it is fed.
// One thread; header-only for the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "spots/adif_reader.h"

namespace fuzz {

class AdifModel {
  public:
    std::vector<AdifRecord> records;
    std::uint64_t skipped = 0;
    std::uint64_t pending = 0;  // bytes since the last record or the header ended

    void Feed(const std::string& file) {
        for (const char c : file) Byte(c);
    }

  private:
    enum class State { kStart, kHeader, kText, kTag, kValue, kSkip };

    static char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

    // "<eor>" or "<eoh>" matched so far, after c.
    static int Match(int matched, char c, const char* marker) {
        if (Lower(c) == marker[matched]) return matched + 1;
        return c == '<' ? 1 : 0;
    }

    void Byte(char c) {
        ++pending;
        switch (state_) {
            case State::kStart:
                if (bom_ < 3 && c == "\xEF\xBB\xBF"[bom_]) {
                    ++bom_;
                } else if (c == '<' && (bom_ == 0 || bom_ == 3)) {
                    OpenTag();
                } else {
                    state_ = State::kHeader;
                    matched_ = Match(0, c, "<eoh>");
                }
                break;
            case State::kHeader:
                matched_ = Match(matched_, c, "<eoh>");
                if (matched_ == 5) {
                    matched_ = 0;
                    pending = 0;
                    state_ = State::kText;
                }
                break;
            case State::kText:
                if (c == '<') OpenTag();
                if (c == '\0') Skip(0);
                break;
            case State::kTag:
                if (c == '>') {
                    CloseTag();
                } else if (c == '<') {
                    Skip(1);  // this "<" may start the <EOR>
                } else if (c == '\0' || tag_.size() == 128) {
                    Skip(0);
                } else {
                    tag_ += c;
                }
                break;
            case State::kValue:
                if (c == '\0') {
                    Skip(0);
                    break;
                }
                matched_ = Match(matched_, c, "<eor>");
                if (matched_ == 5) {
                    End(false);
                    break;
                }
                if (kept_ != nullptr) *kept_ += c;
                if (--left_ == 0) {
                    kept_ = nullptr;
                    matched_ = 0;
                    state_ = State::kText;
                }
                break;
            case State::kSkip:
                matched_ = Match(matched_, c, "<eor>");
                if (matched_ == 5) End(false);
                break;
        }
        if (pending >= AdifReader::kMaxRecordBytes && state_ != State::kSkip &&
            state_ != State::kHeader)
            TooLong();
    }

    void OpenTag() {
        state_ = State::kTag;
        tag_.clear();
    }

    void Skip(int matched) {
        state_ = State::kSkip;
        matched_ = matched;
        kept_ = nullptr;
    }

    // A record over the limit is skipped to its <EOR>, which may already
    // have begun: in a value as matched, or as the tag "<", "<e", "<eo" or
    // "<eor" read so far.
    void TooLong() {
        int matched = 0;
        if (state_ == State::kValue) matched = matched_;
        if (state_ == State::kTag) {
            const std::string lower = [this] {
                std::string text;
                for (const char c : tag_) text += Lower(c);
                return text;
            }();
            if (lower.size() < 4 && std::string("eor").compare(0, lower.size(), lower) == 0)
                matched = static_cast<int>(lower.size()) + 1;
        }
        Skip(matched);
    }

    void CloseTag() {
        const std::size_t colon = tag_.find(':');
        std::string name = tag_.substr(0, colon);
        for (char& c : name) {
            if (c <= ' ' || c >= 0x7F) return Skip(0);
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        }
        if (colon == std::string::npos) {
            if (name == "EOR") return End(true);
            if (name == "EOH") {
                Clear();
                pending = 0;
            }
            state_ = State::kText;
            return;
        }
        if (name.empty()) return Skip(0);
        const std::string length = tag_.substr(colon + 1, tag_.find(':', colon + 1) - colon - 1);
        if (length.empty() || length.size() > 9) return Skip(0);
        std::uint32_t value = 0;
        for (const char c : length) {
            if (c < '0' || c > '9') return Skip(0);
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
        }
        ++fields_;
        kept_ = name == "CALL"            ? &record_.call
                : name == "DXCC"          ? &record_.dxcc
                : name == "BAND"          ? &record_.band
                : name == "FREQ"          ? &record_.freq
                : name == "QSL_RCVD"      ? &record_.qslRcvd
                : name == "LOTW_QSL_RCVD" ? &record_.lotwQslRcvd
                                          : nullptr;
        if (kept_ != nullptr) {
            if (value > AdifReader::kMaxKeptValue) return Skip(0);
            kept_->clear();
        }
        matched_ = 0;
        left_ = value;
        state_ = value == 0 ? State::kText : State::kValue;
        if (value == 0) kept_ = nullptr;
    }

    void End(bool good) {
        if (!good) ++skipped;
        if (good && fields_ > 0) records.push_back(record_);
        Clear();
        pending = 0;
        matched_ = 0;
        kept_ = nullptr;
        state_ = State::kText;
    }

    void Clear() {
        fields_ = 0;
        record_ = AdifRecord();
    }

    State state_ = State::kStart;
    int bom_ = 0;
    int matched_ = 0;
    std::string tag_;
    AdifRecord record_;
    std::string* kept_ = nullptr;
    std::uint32_t left_ = 0;
    int fields_ = 0;
};

}  // namespace fuzz
