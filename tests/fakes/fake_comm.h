// A recording IComm for tests, with devices by name and overlapped operations
// that behave like the system's: a write or a device wait can complete at
// once, fail, or go pending until the test completes it (or the issuing
// thread cancels it), and completion signals the record's event through the
// FakeSync. Starting an overlapped operation clears its event first, as the
// system does (one refused at once leaves it alone).
//
// It also watches for the faults the serial driver must not commit: using a
// port handle after it was closed, freeing a record the system still writes
// into, two device waits at once, and cancelling from a thread that did not
// issue the operation (which cancels nothing).
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_sync.h"
#include "platform/comm.h"

class FakeComm : public IComm {
  public:
    explicit FakeComm(FakeSync& sync) : sync_(sync) {}

    struct Call {
        std::string name;
        std::uintptr_t handle;
        std::thread::id thread;
    };
    // How the next WaitCommEvent ends.
    struct WaitStep {
        enum Kind { Now, Fail, Pending } kind = Pending;
        std::uint32_t mask = 0;   // Now: the events
        std::uint32_t error = 0;  // Fail: the last error
    };
    enum class WriteMode { Complete, Pending, Fail };

    // --- the devices
    // A name CreateFileA opens (also as "\\.\" and the name), and the file
    // type it reports.
    void AddDevice(const std::string& name, std::uint32_t fileType = kFileTypeChar) {
        std::lock_guard<std::mutex> lock(mutex_);
        devices_[name] = fileType;
    }
    std::uint32_t createFileError = kErrorFileNotFound;  // for names not added
    // What GetCommState reports; SetCommState stores into it.
    Dcb deviceState;
    bool failGetCommState = false;
    std::uint32_t setupCommError = 0;  // non-zero: SetupComm fails with it
    std::uint32_t setCommStateError = 0;
    std::uint32_t setCommTimeoutsError = 0;
    // ClearCommError's answers; reading clears the error flags.
    std::uint32_t commErrors = 0;
    std::uint32_t inQueue = 0;

    // A driver that never lets go of a device wait: neither CancelIo nor
    // closing the port ends it, only CompleteWait.
    bool waitsOutliveCancel = false;

    WriteMode writeMode = WriteMode::Complete;
    std::uint32_t writeError = 0;  // WriteMode::Fail
    // WriteMode::Complete: at most this many bytes of a write go out.
    std::uint32_t writeLimit = UINT32_MAX;
    // Run (outside the fake's lock) at the start of every WriteFile and
    // WaitCommEvent.
    std::function<void()> onWriteFile;
    std::function<void()> onWaitCommEvent;

    // --- IComm
    std::uintptr_t CreateFileA(const char* fileName, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition,
                               std::uint32_t flagsAndAttributes) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("CreateFileA", 0);
        createArgs_.push_back(
            {fileName, desiredAccess, shareMode, creationDisposition, flagsAndAttributes});
        auto it = devices_.find(fileName);
        // The system's device namespace: "\\.\COM5" names the device "COM5".
        if (it == devices_.end() && std::strncmp(fileName, "\\\\.\\", 4) == 0)
            it = devices_.find(fileName + 4);
        if (it == devices_.end()) {
            SetError(createFileError);
            return kInvalidHandleValue;
        }
        const std::uintptr_t handle = nextHandle_++;
        open_[handle] = it->second;
        return handle;
    }
    std::uint32_t GetFileType(std::uintptr_t file) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("GetFileType", file);
        if (!Usable(file, "GetFileType")) return 0;
        return open_[file];
    }
    bool CloseHandle(std::uintptr_t handle) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("CloseHandle", handle);
        if (!Usable(handle, "CloseHandle")) return false;
        for (auto& r : records_)
            if (r.second.pending && r.second.file == handle && Cancellable(r.second))
                Finish(r.second, kErrorOperationAborted, 0);  // closing ends its I/O
        open_.erase(handle);
        closed_.insert(handle);
        changed_.notify_all();
        return true;
    }
    bool SetupComm(std::uintptr_t file, std::uint32_t inQueue, std::uint32_t outQueue) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("SetupComm", file);
        if (!Usable(file, "SetupComm")) return false;
        setupArgs_.push_back({inQueue, outQueue});
        return Result(setupCommError);
    }
    bool GetCommState(std::uintptr_t file, Dcb* dcb) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("GetCommState", file);
        if (!Usable(file, "GetCommState")) return false;
        if (failGetCommState) return Result(kErrorNotSupported);
        *dcb = deviceState;
        return true;
    }
    bool SetCommState(std::uintptr_t file, const Dcb& dcb) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("SetCommState", file);
        if (!Usable(file, "SetCommState")) return false;
        states_.push_back(dcb);
        if (setCommStateError != 0) return Result(setCommStateError);
        deviceState = dcb;
        return true;
    }
    bool SetCommTimeouts(std::uintptr_t file, const CommTimeouts& timeouts) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("SetCommTimeouts", file);
        if (!Usable(file, "SetCommTimeouts")) return false;
        timeouts_.push_back(timeouts);
        return Result(setCommTimeoutsError);
    }
    bool SetCommMask(std::uintptr_t file, std::uint32_t eventMask) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("SetCommMask", file);
        if (!Usable(file, "SetCommMask")) return false;
        masks_.push_back(eventMask);
        return true;
    }
    bool WaitCommEvent(std::uintptr_t file, std::uint32_t* eventMask,
                       std::uintptr_t overlapped) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            hook = onWaitCommEvent;
        }
        if (hook) hook();
        std::unique_lock<std::mutex> lock(mutex_);
        Log("WaitCommEvent", file);
        ++waitCalls_;
        changed_.notify_all();
        if (!Usable(file, "WaitCommEvent")) return false;
        Record* record = FindRecord(overlapped, "WaitCommEvent");
        if (record == nullptr) return Result(87);  // ERROR_INVALID_PARAMETER
        for (const auto& r : records_)
            if (r.second.pending && r.second.kind == Record::Wait)
                violations_.push_back("WaitCommEvent while another is pending");
        if (record->pending) violations_.push_back("record reused while pending");
        WaitStep step;
        if (!waitSteps_.empty()) {
            step = waitSteps_.front();
            waitSteps_.pop_front();
        }
        if (step.kind != WaitStep::Fail) sync_.ResetEvent(record->event);
        switch (step.kind) {
            case WaitStep::Now:
                *eventMask = step.mask;
                sync_.SetEvent(record->event);
                return true;
            case WaitStep::Fail:
                return Result(step.error);
            case WaitStep::Pending:
                break;
        }
        Start(*record, Record::Wait, true, file, 0, eventMask);
        changed_.notify_all();
        return Result(kErrorIoPending);
    }
    bool ClearCommError(std::uintptr_t file, std::uint32_t* errors, ComStat* stat) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("ClearCommError", file);
        if (!Usable(file, "ClearCommError")) return false;
        *errors = commErrors;
        commErrors = 0;
        stat->cbInQue = inQueue;
        return true;
    }
    bool PurgeComm(std::uintptr_t file, std::uint32_t flags) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("PurgeComm", file);
        if (!Usable(file, "PurgeComm")) return false;
        purges_.push_back(flags);
        return true;
    }
    bool WriteFile(std::uintptr_t file, const void* buffer, std::uint32_t bytesToWrite,
                   std::uint32_t* bytesWritten, std::uintptr_t overlapped) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            hook = onWriteFile;
        }
        if (hook) hook();
        std::lock_guard<std::mutex> lock(mutex_);
        Log("WriteFile", file);
        if (bytesWritten != nullptr) *bytesWritten = 0;
        if (file == kInvalidHandleValue || open_.count(file) == 0) {
            Usable(file, "WriteFile");
            return Result(kErrorInvalidHandle);
        }
        Record* record = FindRecord(overlapped, "WriteFile");
        if (record == nullptr) return Result(87);
        if (record->pending) violations_.push_back("record reused while pending");
        sync_.ResetEvent(record->event);
        const auto* bytes = static_cast<const char*>(buffer);
        switch (writeMode) {
            case WriteMode::Fail:
                return Result(writeError);
            case WriteMode::Complete:
                bytesToWrite = std::min(bytesToWrite, writeLimit);
                written_.append(bytes, bytesToWrite);
                Start(*record, Record::Write, false, file, bytesToWrite, nullptr);
                sync_.SetEvent(record->event);
                return true;
            case WriteMode::Pending:
                pendingBytes_.assign(bytes, bytesToWrite);
                Start(*record, Record::Write, true, file, 0, nullptr);
                changed_.notify_all();
                return Result(kErrorIoPending);
        }
        return false;
    }
    bool GetOverlappedResult(std::uintptr_t file, std::uintptr_t overlapped,
                             std::uint32_t* bytesTransferred, bool wait) override {
        std::unique_lock<std::mutex> lock(mutex_);
        Log(wait ? "GetOverlappedResult(wait)" : "GetOverlappedResult", file);
        Record* record = FindRecord(overlapped, "GetOverlappedResult");
        if (record == nullptr) return Result(87);
        if (record->statusLeftPending && !wait) return Result(kErrorIoIncomplete);
        if (record->pending) {
            if (!wait) return Result(kErrorIoIncomplete);
            // As the system does: wait for the record's event and trust it. A
            // signal from elsewhere ends this wait with the operation still on.
            const std::uintptr_t event = record->event;
            lock.unlock();
            sync_.WaitForSingleObject(event, kInfinite);
            lock.lock();
            record = FindRecordQuiet(overlapped);
            if (record->pending) {
                *bytesTransferred = 0;
                return Result(0);
            }
        }
        *bytesTransferred = record->transferred;
        return Result(record->status);
    }
    bool CancelIo(std::uintptr_t file) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("CancelIo", file);
        if (!Usable(file, "CancelIo")) return false;
        for (auto& r : records_) {
            if (r.second.pending && r.second.file == file &&
                r.second.issuer == std::this_thread::get_id() && Cancellable(r.second))
                Finish(r.second, kErrorOperationAborted, 0);
        }
        return true;
    }
    std::uint32_t GetLastError() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastError_[std::this_thread::get_id()];
    }
    std::uintptr_t CreateOverlapped(std::uintptr_t event) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("CreateOverlapped", event);
        const std::uintptr_t id = nextRecord_++;
        records_[id].event = event;
        return id;
    }
    void FreeOverlapped(std::uintptr_t overlapped) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("FreeOverlapped", overlapped);
        auto it = records_.find(overlapped);
        if (it == records_.end()) {
            violations_.push_back("FreeOverlapped of an unknown record");
            return;
        }
        if (it->second.pending) violations_.push_back("FreeOverlapped while the system uses it");
        records_.erase(it);
    }

    // --- driving the device
    void QueueWait(WaitStep step) {
        std::lock_guard<std::mutex> lock(mutex_);
        waitSteps_.push_back(step);
    }
    void QueueWaitNow(std::uint32_t mask) { QueueWait({WaitStep::Now, mask, 0}); }
    void QueueWaitFail(std::uint32_t error) { QueueWait({WaitStep::Fail, 0, error}); }
    // Ends the pending device wait with the mask (status 0, or the given one).
    // False when no wait is pending.
    // Ends the pending device wait as wine's serial wait can: the mask
    // written and the event signalled, but the record left saying "pending"
    // (a non-waiting GetOverlappedResult reports it incomplete for good).
    bool CompleteWaitLeavingRecordPending(std::uint32_t mask) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& r : records_) {
            if (r.second.pending && r.second.kind == Record::Wait) {
                *r.second.mask = mask;
                r.second.statusLeftPending = true;
                Finish(r.second, 0, 0);
                return true;
            }
        }
        return false;
    }
    bool CompleteWait(std::uint32_t mask, std::uint32_t status = 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& r : records_) {
            if (r.second.pending && r.second.kind == Record::Wait) {
                *r.second.mask = mask;
                Finish(r.second, status, 0);
                return true;
            }
        }
        return false;
    }
    // Ends the pending write with the count written.
    bool CompleteWrite(std::uint32_t transferred) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& r : records_) {
            if (r.second.pending && r.second.kind == Record::Write) {
                written_.append(pendingBytes_, 0, transferred);
                Finish(r.second, 0, transferred);
                return true;
            }
        }
        return false;
    }
    // Blocks until a device wait is pending (true), or 5 s pass.
    bool AwaitPendingWait() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] {
            for (const auto& r : records_)
                if (r.second.pending && r.second.kind == Record::Wait) return true;
            return false;
        });
    }
    // Blocks until WaitCommEvent has been called n times in all (true), or 5 s.
    bool AwaitWaitCalls(int n) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return waitCalls_ >= n; });
    }

    // --- inspection
    struct CreateArgs {
        std::string name;
        std::uint32_t access, share, disposition, flags;
    };
    std::vector<Call> Calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    std::vector<std::string> Names() const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> names;
        for (const Call& c : calls_) names.push_back(c.name);
        return names;
    }
    int Count(const std::string& name) const {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const Call& c : calls_) n += c.name == name ? 1 : 0;
        return n;
    }
    int WaitCalls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return waitCalls_;
    }
    std::vector<CreateArgs> CreateFileArgs() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return createArgs_;
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> SetupCommArgs() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return setupArgs_;
    }
    std::vector<Dcb> States() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return states_;
    }
    std::vector<CommTimeouts> Timeouts() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return timeouts_;
    }
    std::vector<std::uint32_t> Masks() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return masks_;
    }
    std::vector<std::uint32_t> Purges() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return purges_;
    }
    std::string Written() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return written_;
    }
    int OpenPorts() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(open_.size());
    }
    int LiveRecords() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(records_.size());
    }
    std::vector<std::string> Violations() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return violations_;
    }

  private:
    struct Record {
        std::uintptr_t event = 0;
        enum Kind { None, Wait, Write } kind = None;
        bool pending = false;
        std::uintptr_t file = 0;
        std::uint32_t status = 0;
        std::uint32_t transferred = 0;
        std::uint32_t* mask = nullptr;
        std::thread::id issuer;
        bool statusLeftPending = false;  // see CompleteWaitLeavingRecordPending
    };

    bool Cancellable(const Record& r) const {
        return !(waitsOutliveCancel && r.kind == Record::Wait);
    }
    void Log(const char* name, std::uintptr_t handle) {
        calls_.push_back(Call{name, handle, std::this_thread::get_id()});
    }
    void SetError(std::uint32_t error) { lastError_[std::this_thread::get_id()] = error; }
    bool Result(std::uint32_t error) {
        if (error == 0) return true;
        SetError(error);
        return false;
    }
    // Whether the handle names an open port; a closed one is a violation.
    bool Usable(std::uintptr_t handle, const char* call) {
        if (open_.count(handle) != 0) return true;
        if (closed_.count(handle) != 0)
            violations_.push_back(std::string(call) + " on a closed port handle");
        SetError(kErrorInvalidHandle);
        return false;
    }
    Record* FindRecordQuiet(std::uintptr_t id) {
        auto it = records_.find(id);
        return it == records_.end() ? nullptr : &it->second;
    }
    Record* FindRecord(std::uintptr_t id, const char* call) {
        Record* r = FindRecordQuiet(id);
        if (r == nullptr) violations_.push_back(std::string(call) + " with an unknown record");
        return r;
    }
    void Start(Record& r, Record::Kind kind, bool pending, std::uintptr_t file,
               std::uint32_t transferred, std::uint32_t* mask) {
        r.kind = kind;
        r.pending = pending;
        r.file = file;
        r.status = 0;
        r.transferred = transferred;
        r.mask = mask;
        r.issuer = std::this_thread::get_id();
        r.statusLeftPending = false;
    }
    void Finish(Record& r, std::uint32_t status, std::uint32_t transferred) {
        r.pending = false;
        r.status = status;
        r.transferred = transferred;
        sync_.SetEvent(r.event);
        changed_.notify_all();
    }

    FakeSync& sync_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::uint32_t> devices_;
    std::map<std::uintptr_t, std::uint32_t> open_;  // handle -> file type
    std::set<std::uintptr_t> closed_;
    std::uintptr_t nextHandle_ = 0x1000;
    std::map<std::uintptr_t, Record> records_;
    std::uintptr_t nextRecord_ = 0x9000;
    std::deque<WaitStep> waitSteps_;
    std::map<std::thread::id, std::uint32_t> lastError_;
    std::vector<Call> calls_;
    std::vector<CreateArgs> createArgs_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> setupArgs_;
    std::vector<Dcb> states_;
    std::vector<CommTimeouts> timeouts_;
    std::vector<std::uint32_t> masks_;
    std::vector<std::uint32_t> purges_;
    std::string written_;
    std::string pendingBytes_;
    int waitCalls_ = 0;
    std::vector<std::string> violations_;
};
