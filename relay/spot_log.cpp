// The daily spot file; see the header.
#include "relay/spot_log.h"

#include <utility>

#include "relay/text_fields.h"

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
    // Appending alone: Windows writes at the end as the file is at that
    // moment, also when another program appended since we opened it.
    const std::uintptr_t file =
        files_.CreateFileA(fileName, files::kFileAppendData, files::kShareRead | files::kShareWrite,
                           files::kOpenAlways, files::kAttributeNormal);
    if (file == files::kInvalidHandle) return SystemCodeOr(files::kErrorGenFailure);
    const auto size = static_cast<std::uint32_t>(line.size());
    std::uint32_t done = 0;
    std::uint32_t error = 0;
    if (!files_.WriteFile(file, line.data(), size, &done)) {
        error = SystemCodeOr(files::kErrorDiskFull);
    } else if (done < size) {
        // The call succeeded, so it left no code of its own to read.
        error = files::kErrorDiskFull;
    }
    if (!files_.CloseHandle(file) && error == 0) error = SystemCodeOr(files::kErrorGenFailure);
    return error;
}

std::uint32_t SpotLog::SystemCodeOr(std::uint32_t fallback) {
    const std::uint32_t code = files_.GetLastError();
    return code != 0 ? code : fallback;
}
