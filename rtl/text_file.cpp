// Buffered line reading and write-then-replace writing over the files seam.
// The reader looks for CR and Ctrl-Z with memchr-like scans over its buffer,
// so long lines cost no more than short ones; the one subtle case is a CR as
// the last buffered byte, whose LF (if any) comes with the next read.
#include "rtl/text_file.h"

#include <algorithm>
#include <vector>

#include "platform/seam.h"
#include "rtl/sysutils.h"

namespace {

constexpr char kCtrlZ = 26;
constexpr int kFileNotOpen = 103;
constexpr int kDiskFull = 101;

[[noreturn]] void RaiseLastError(IFiles& files) {
    throw EInOutError(static_cast<int>(files.GetLastError()));
}

std::string KeptName(const std::string& fileName) {
    return fileName + ".tmp";
}

// Where a save writes before its contents go in place.
std::string NewName(const std::string& fileName) {
    return fileName + ".new";
}

constexpr std::uint32_t kMoveDurably = files::kMoveReplaceExisting | files::kMoveWriteThrough;

// Whether the file is there, with its attributes in `data`; false when it
// is missing. Raises EInOutError when the system cannot tell.
bool Exists(IFiles& files, const std::string& fileName, files::FileAttributeData* data) {
    if (files.GetFileAttributesExA(fileName, data)) return true;
    const std::uint32_t code = files.GetLastError();
    if (code == files::kErrorFileNotFound || code == files::kErrorPathNotFound) return false;
    throw EInOutError(static_cast<int>(code));
}

// Whether the copy reads whole: at least one line, every line known, the
// last one ended. Raises EInOutError when it cannot be read.
bool ReadsWhole(IFiles& files, const std::string& copyName, const KnownLine& known) {
    TextFileReader reader(copyName, files);
    bool ended = false;
    while (!reader.Eof()) {
        const std::string line = reader.ReadLine();
        if (known && !known(line)) return false;
        ended = reader.LastLineEnded();
    }
    reader.Close();
    return ended;
}

}  // namespace

TextFileReader::TextFileReader(const std::string& fileName)
    : TextFileReader(fileName, Seam<IFiles>::Get()) {}

TextFileReader::TextFileReader(const std::string& fileName, IFiles& files, std::size_t bufferSize)
    : files_(files), buffer_(std::max<std::size_t>(bufferSize, 1)) {
    handle_ = files_.CreateFileA(fileName, files::kGenericRead, files::kShareRead,
                                 files::kOpenExisting, files::kAttributeNormal);
    if (handle_ == files::kInvalidHandle) RaiseLastError(files_);
}

TextFileReader::~TextFileReader() {
    if (handle_ != files::kInvalidHandle) files_.CloseHandle(handle_);
}

bool TextFileReader::Fill() {
    if (handle_ == files::kInvalidHandle) throw EInOutError(kFileNotOpen);
    if (pos_ < len_) return true;
    if (ended_) return false;
    std::uint32_t got = 0;
    if (!files_.ReadFile(handle_, buffer_.data(), static_cast<std::uint32_t>(buffer_.size()), &got))
        RaiseLastError(files_);
    pos_ = 0;
    len_ = got;
    if (got == 0) {
        ended_ = true;
        return false;
    }
    // Nothing after a Ctrl-Z is ever looked at.
    const auto stop = std::find(buffer_.begin(), buffer_.begin() + len_, kCtrlZ);
    if (stop != buffer_.begin() + len_) {
        len_ = static_cast<std::size_t>(stop - buffer_.begin());
        ended_ = true;
    }
    return pos_ < len_;
}

bool TextFileReader::Eof() {
    return !Fill();
}

std::string TextFileReader::ReadLine() {
    std::string line;
    lastEnded_ = false;
    while (Fill()) {
        const auto begin = buffer_.begin() + pos_;
        const auto end = buffer_.begin() + len_;
        const auto cr = std::find(begin, end, '\r');
        line.append(begin, cr);
        pos_ = static_cast<std::size_t>(cr - buffer_.begin());
        if (cr == end) continue;
        ++pos_;  // the CR
        lastEnded_ = true;
        if (Fill() && buffer_[pos_] == '\n') ++pos_;
        return line;
    }
    return line;
}

void TextFileReader::Close() {
    if (handle_ == files::kInvalidHandle) throw EInOutError(kFileNotOpen);
    const std::uintptr_t handle = handle_;
    handle_ = files::kInvalidHandle;
    if (!files_.CloseHandle(handle)) RaiseLastError(files_);
}

TextFileWriter::TextFileWriter(const std::string& fileName)
    : TextFileWriter(fileName, Seam<IFiles>::Get()) {}

TextFileWriter::TextFileWriter(const std::string& fileName, IFiles& files)
    : files_(files), fileName_(fileName), tempName_(NewName(fileName)) {
    handle_ = files_.CreateFileA(tempName_, files::kGenericWrite, files::kShareRead,
                                 files::kCreateAlways, files::kAttributeNormal);
    if (handle_ == files::kInvalidHandle) RaiseLastError(files_);
}

TextFileWriter::~TextFileWriter() {
    if (!committed_ && !leaveTemp_) Discard();
}

void TextFileWriter::Discard() noexcept {
    if (handle_ != files::kInvalidHandle) {
        files_.CloseHandle(handle_);
        handle_ = files::kInvalidHandle;
    }
    files_.DeleteFileA(tempName_);
}

void TextFileWriter::Write(const std::string& text) {
    if (handle_ == files::kInvalidHandle) throw EInOutError(kFileNotOpen);
    std::uint32_t done = 0;
    const auto size = static_cast<std::uint32_t>(text.size());
    if (!files_.WriteFile(handle_, text.data(), size, &done)) {
        const std::uint32_t code = files_.GetLastError();
        if (code == files::kErrorDiskFull || code == files::kErrorHandleDiskFull)
            throw EInOutError(kDiskFull);
        throw EInOutError(static_cast<int>(code));
    }
    if (done < size) throw EInOutError(kDiskFull);
}

void TextFileWriter::WriteLine(const std::string& text) {
    Write(text + "\r\n");
}

void TextFileWriter::Commit() {
    if (handle_ == files::kInvalidHandle || committed_) throw EInOutError(kFileNotOpen);
    const std::uintptr_t handle = handle_;
    handle_ = files::kInvalidHandle;
    if (!files_.CloseHandle(handle)) RaiseLastError(files_);
    // Replacing keeps the old file's attributes and access rights; a plain
    // move is for when there is no old file (or it has just gone).
    if (!files_.ReplaceFileA(fileName_, tempName_, 0)) {
        const std::uint32_t code = files_.GetLastError();
        // Held open by another program without delete sharing: a sharing
        // conflict, as when the file itself is opened for writing.
        if (code == files::kErrorUnableToRemoveReplaced)
            throw EInOutError(static_cast<int>(files::kErrorSharingViolation));
        const bool oldGone = code == files::kErrorUnableToMoveReplacement ||
                             code == files::kErrorUnableToMoveReplacement2;
        if (code != files::kErrorFileNotFound && !oldGone)
            throw EInOutError(static_cast<int>(code));
        if (!files_.MoveFileExA(tempName_, fileName_, kMoveDurably)) {
            const std::uint32_t moveCode = files_.GetLastError();
            if (oldGone) KeepNewContents();
            throw EInOutError(static_cast<int>(moveCode));
        }
    }
    committed_ = true;
}

void TextFileWriter::KeepNewContents() noexcept {
    // The new contents are the only settings there are now. Moved in one
    // step, they replace an older kept copy only as a whole file; if the move
    // fails, the older copy stays and so do they, under their own name.
    files_.MoveFileExA(tempName_, KeptName(fileName_), kMoveDurably);
    leaveTemp_ = true;
}

KeptCopy RestoreKeptTextFile(const std::string& fileName, IFiles& files, const KnownLine& known) {
    if (Exists(files, fileName, nullptr)) return KeptCopy::kNone;
    files::FileAttributeData kept;
    files::FileAttributeData newest;
    const bool haveKept = Exists(files, KeptName(fileName), &kept);
    const bool haveNew = Exists(files, NewName(fileName), &newest);
    if (!haveKept && !haveNew) return KeptCopy::kNone;
    const bool newFirst = haveNew && (!haveKept || newest.lastWriteTime > kept.lastWriteTime);
    // The newer first; the other only when the newer is not whole.
    std::vector<KeptCopy> order;
    if (newFirst) order.push_back(KeptCopy::kNew);
    if (haveKept) order.push_back(KeptCopy::kTmp);
    if (haveNew && !newFirst) order.push_back(KeptCopy::kNew);
    for (const KeptCopy copy : order) {
        const std::string from = copy == KeptCopy::kNew ? NewName(fileName) : KeptName(fileName);
        if (!ReadsWhole(files, from, known)) continue;
        // Without replacing: a file that appeared since the look stays.
        if (files.MoveFileExA(from, fileName, files::kMoveWriteThrough)) return copy;
        const std::uint32_t code = files.GetLastError();
        if (code == files::kErrorFileNotFound || code == files::kErrorAlreadyExists ||
            code == files::kErrorFileExists)
            return KeptCopy::kNone;
        throw EInOutError(static_cast<int>(code));
    }
    return KeptCopy::kNoneWhole;
}
