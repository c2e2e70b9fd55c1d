// The daily spot file; see the header.
#include "relay/spot_log.h"

#include <utility>

#include "rtl/file_handle.h"
#include "rtl/text_fields.h"

SpotLog::SpotLog(IFiles& files, Report report) : files_(files), report_(std::move(report)) {}

std::string SpotLog::FileName(const LocalTime& day) {
    return "vihjeet-" + ZeroPadded(day.year, 4) + ZeroPadded(day.month, 2) +
           ZeroPadded(day.day, 2) + ".txt";
}

std::string SpotLog::Line(const std::string& row, const LocalTime& now) {
    return ZeroPadded(now.year, 4) + "-" + ZeroPadded(now.month, 2) + "-" + ZeroPadded(now.day, 2) +
           " " + ZeroPadded(now.hour, 2) + ":" + ZeroPadded(now.minute, 2) + ":" +
           ZeroPadded(now.second, 2) + " " + row + "\r\n";
}

bool SpotLog::Append(const std::string& row, const LocalTime& now) {
    const std::string fileName = FileName(now);
    const std::uint32_t error = Write(fileName, Line(row, now));
    if (error == 0) return true;
    if (reported_.insert(fileName).second && report_) {
        report_("Vihjetiedostoon " + fileName + " ei voitu kirjoittaa (virhe " +
                std::to_string(error) + ").");
    }
    return false;
}

std::uint32_t SpotLog::Write(const std::string& fileName, const std::string& line) {
    // Reading to learn how the file ends; appending alone, so that Windows
    // writes at the end as the file is at that moment, also when another
    // program appended since we opened it.
    FileHandle file(files_,
                    files_.CreateFileA(fileName, files::kGenericRead | files::kFileAppendData,
                                       files::kShareRead | files::kShareWrite, files::kOpenAlways,
                                       files::kAttributeNormal));
    if (!file.Valid()) return SystemCodeOr(files_, files::kErrorGenFailure);
    const std::string text = LineEndBefore(file.Get()) + line;
    const auto size = static_cast<std::uint32_t>(text.size());
    std::uint32_t done = 0;
    std::uint32_t error = 0;
    if (!files_.WriteFile(file.Get(), text.data(), size, &done)) {
        error = SystemCodeOr(files_, files::kErrorDiskFull);
    } else if (done < size) {
        // The call succeeded, so it left no code of its own to read.
        error = files::kErrorDiskFull;
    }
    if (!file.Close() && error == 0) error = SystemCodeOr(files_, files::kErrorGenFailure);
    return error;
}

std::string SpotLog::LineEndBefore(std::uintptr_t file) {
    std::int64_t size = 0;
    if (!files_.GetFileSizeEx(file, &size)) return "\r\n";
    if (size == 0) return "";
    char last = 0;
    std::uint32_t got = 0;
    if (!files_.SetFilePointerEx(file, size - 1, nullptr, files::kFileBegin) ||
        !files_.ReadFile(file, &last, 1, &got) || got != 1)
        return "\r\n";
    if (last == '\n') return "";
    // A line end cut between its CR and LF: the LF completes it.
    if (last == '\r') return "\n";
    return "\r\n";
}
