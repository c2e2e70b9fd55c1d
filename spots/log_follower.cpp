#include "spots/log_follower.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "rtl/file_handle.h"

namespace {

// Missing file and missing folder are one cause for the user.
std::uint32_t CauseOf(std::uint32_t code) {
    return code == files::kErrorPathNotFound ? files::kErrorFileNotFound : code;
}

std::string ReportText(const std::string& path, std::uint32_t cause) {
    if (cause == files::kErrorFileNotFound) return "Lokitiedostoa " + path + " ei l\xF6ydy.";
    if (cause == files::kErrorSharingViolation)
        return "Lokitiedostoa " + path +
               " ei voi lukea: toinen ohjelma pit\xE4\xE4 sit\xE4 auki (virhe 32).";
    return "Lokitiedostoa " + path + " ei voi lukea (virhe " + std::to_string(cause) + ").";
}

// Keeps the last `limit` bytes of what `tail` held followed by the new bytes.
void KeepTail(std::string* tail, const char* data, std::size_t size, std::size_t limit) {
    if (size >= limit) {
        tail->assign(data + (size - limit), limit);
        return;
    }
    tail->append(data, size);
    if (tail->size() > limit) tail->erase(0, tail->size() - limit);
}

}  // namespace

// One reading of the file, from its start (fresh) or on from the old end.
struct LogFollower::Pass {
    Pass(IFiles& files, std::uintptr_t handle) : file(files, handle) {}
    FileHandle file;
    bool fresh = false;
    std::unique_ptr<LogNeeds> needs;  // fresh only: the log being read
    std::unique_ptr<AdifReader> reader;
    std::uint64_t position = 0;
    std::uint64_t size = 0;  // the attributes when it started
    std::uint64_t time = 0;
    std::string tail;
};

LogFollower::LogFollower(IFiles& files, std::string path, CountryOfCall countryOfCall,
                         KnownDxcc knownDxcc, std::size_t sliceBytes)
    : files_(files),
      path_(std::move(path)),
      countryOfCall_(std::move(countryOfCall)),
      knownDxcc_(std::move(knownDxcc)),
      sliceBytes_(std::clamp<std::size_t>(sliceBytes, 1, kMaxSlice)),
      needs_(std::make_unique<LogNeeds>()),
      reader_(NewReader(needs_.get())) {}

LogFollower::~LogFollower() = default;

std::unique_ptr<AdifReader> LogFollower::NewReader(LogNeeds* needs) {
    return std::make_unique<AdifReader>(
        [this, needs](const AdifRecord& qso) { needs->Add(qso, countryOfCall_, knownDxcc_); });
}

std::uint64_t LogFollower::QsosRead() const {
    return reader_->RecordsRead();
}

std::uint64_t LogFollower::RecordsSkipped() const {
    return reader_->RecordsSkipped();
}

std::optional<std::string> LogFollower::TakeReport() {
    std::optional<std::string> report = std::move(report_);
    report_.reset();
    return report;
}

bool LogFollower::Step() {
    if (pass_) return ReadSlice();
    files::FileAttributeData attributes;
    if (!files_.GetFileAttributesExA(path_, &attributes)) {
        Fail(SystemCodeOr(files_, files::kErrorFileNotFound));
        return false;
    }
    if (loaded_ && attributes.fileSize == seenSize_ && attributes.lastWriteTime == seenTime_)
        return false;
    return StartPass(attributes) && ReadSlice();
}

bool LogFollower::StartPass(const files::FileAttributeData& attributes) {
    const std::uintptr_t handle = files_.CreateFileA(
        path_, files::kGenericRead, files::kShareRead | files::kShareWrite | files::kShareDelete,
        files::kOpenExisting, files::kAttributeNormal);
    if (handle == files::kInvalidHandle) {
        Fail(SystemCodeOr(files_, files::kErrorGenFailure));
        return false;
    }
    auto pass = std::make_unique<Pass>(files_, handle);
    pass->size = attributes.fileSize;
    pass->time = attributes.lastWriteTime;
    // It only grew when it is larger than at the last look and the bytes
    // before the old end are still there.
    const bool grew = loaded_ && attributes.fileSize > seenSize_ &&
                      attributes.fileSize >= readEnd_ && TailUnchanged(handle);
    if (grew) {
        pass->position = readEnd_;
        pass->tail = tail_;
    } else {
        pass->fresh = true;
        pass->needs = std::make_unique<LogNeeds>();
        pass->reader = NewReader(pass->needs.get());
    }
    if (!files_.SetFilePointerEx(handle, static_cast<std::int64_t>(pass->position), nullptr,
                                 files::kFileBegin)) {
        Fail(SystemCodeOr(files_, files::kErrorGenFailure));
        return false;
    }
    pass_ = std::move(pass);
    reading_ = true;
    return true;
}

bool LogFollower::TailUnchanged(std::uintptr_t handle) {
    if (tail_.empty()) return true;
    if (!files_.SetFilePointerEx(handle, static_cast<std::int64_t>(readEnd_ - tail_.size()),
                                 nullptr, files::kFileBegin))
        return false;
    std::string bytes(tail_.size(), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        std::uint32_t done = 0;
        if (!files_.ReadFile(handle, &bytes[got], static_cast<std::uint32_t>(bytes.size() - got),
                             &done) ||
            done == 0)
            return false;
        got += done;
    }
    return bytes == tail_;
}

bool LogFollower::ReadSlice() {
    Pass& pass = *pass_;
    buffer_.resize(sliceBytes_);
    std::uint32_t done = 0;
    if (!files_.ReadFile(pass.file.Get(), buffer_.data(), static_cast<std::uint32_t>(sliceBytes_),
                         &done)) {
        const std::uint32_t code = SystemCodeOr(files_, files::kErrorReadFault);
        AbandonPass();
        Fail(code);
        return false;
    }
    AdifReader& reader = pass.fresh ? *pass.reader : *reader_;
    reader.Feed(buffer_.data(), done);
    pass.position += done;
    KeepTail(&pass.tail, buffer_.data(), done, kTailBytes);
    if (!pass.fresh) {
        // The current reader has taken these bytes: they are read, whatever
        // happens to the rest of the pass.
        readEnd_ = pass.position;
        tail_ = pass.tail;
    }
    // A short read is the end of the file.
    if (done < sliceBytes_) {
        EndPass();
        return false;
    }
    return true;
}

void LogFollower::EndPass() {
    Pass& pass = *pass_;
    if (pass.fresh) {
        needs_ = std::move(pass.needs);
        reader_ = std::move(pass.reader);
    }
    readEnd_ = pass.position;
    tail_ = std::move(pass.tail);
    seenSize_ = pass.size;
    seenTime_ = pass.time;
    loaded_ = true;
    reportedCause_ = 0;
    AbandonPass();
}

void LogFollower::AbandonPass() {
    pass_.reset();
    reading_ = false;
    // Between readings nothing of the slice is kept.
    std::vector<char>().swap(buffer_);
}

void LogFollower::Fail(std::uint32_t code) {
    const std::uint32_t cause = CauseOf(code);
    if (cause == reportedCause_) return;
    reportedCause_ = cause;
    report_ = ReportText(path_, cause);
}
