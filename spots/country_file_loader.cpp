#include "spots/country_file_loader.h"

#include <algorithm>

#include "rtl/file_handle.h"

namespace {

const char kFileName[] = "cty.csv";
constexpr std::uint32_t kChunk = 64 * 1024;

std::string InFolder(const std::string& folder) {
    if (folder.empty()) return kFileName;
    const char last = folder.back();
    if (last == '\\' || last == '/') return folder + kFileName;
    // Windows takes either separator; the folder's own keeps the path readable.
    const char separator = folder.find('\\') != std::string::npos ? '\\' : '/';
    return folder + separator + kFileName;
}

bool IsMissing(std::uint32_t code) {
    return code == files::kErrorFileNotFound || code == files::kErrorPathNotFound;
}

// Reads the whole file, at most kMaxCountryFileSize bytes of it.
CountryFileLoad Read(IFiles& files, const std::string& path) {
    CountryFileLoad load;
    load.path = path;
    const auto failed = [&](std::uint32_t fallback) {
        load.outcome = CountryFileLoad::Outcome::kReadError;
        load.errorCode = SystemCodeOr(files, fallback);
        return load;
    };
    // The logging program or an editor may hold it open: share everything.
    FileHandle file(files,
                    files.CreateFileA(path, files::kGenericRead,
                                      files::kShareRead | files::kShareWrite | files::kShareDelete,
                                      files::kOpenExisting, files::kAttributeNormal));
    if (!file.Valid()) return failed(files::kErrorAccessDenied);
    std::int64_t size = 0;
    if (!files.GetFileSizeEx(file.Get(), &size)) return failed(files::kErrorReadFault);
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxCountryFileSize) {
        load.outcome = CountryFileLoad::Outcome::kTooLarge;
        return load;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(size));
    std::vector<char> chunk(kChunk);
    for (;;) {
        std::uint32_t done = 0;
        if (!files.ReadFile(file.Get(), chunk.data(), kChunk, &done))
            return failed(files::kErrorReadFault);
        if (done == 0) break;
        text.append(chunk.data(), done);
        // A file that grew while being read is held to the same bound.
        if (text.size() > kMaxCountryFileSize) {
            load.outcome = CountryFileLoad::Outcome::kTooLarge;
            return load;
        }
    }
    file.Close();
    load.countries = CountryFile::Parse(text);
    load.outcome = CountryFileLoad::Outcome::kLoaded;
    return load;
}

}  // namespace

std::vector<std::string> CountryFilePaths(const std::string& programFolder) {
    std::vector<std::string> paths{kFileName};
    if (!programFolder.empty()) paths.push_back(InFolder(programFolder));
    return paths;
}

CountryFileLoad LoadCountryFile(IFiles& files, const std::string& programFolder) {
    for (const std::string& path : CountryFilePaths(programFolder)) {
        files::FileAttributeData data;
        if (!files.GetFileAttributesExA(path, &data)) {
            const std::uint32_t code = SystemCodeOr(files, files::kErrorFileNotFound);
            if (IsMissing(code)) continue;
            CountryFileLoad load;
            load.outcome = CountryFileLoad::Outcome::kReadError;
            load.path = path;
            load.errorCode = code;
            return load;
        }
        return Read(files, path);
    }
    return {};
}
