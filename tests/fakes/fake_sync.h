// A working in-memory ISync for tests: events that really block and wake
// (manual or automatic reset), recursive critical sections that really
// exclude, a per-thread last error, and a record of every call. Tests can
// script a wait's result, make event creation fail, and ask which thread
// holds which section.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sync.h"

class FakeSync : public ISync {
  public:
    struct Call {
        std::string name;
        std::uintptr_t handle;
    };

    // --- ISync
    std::uintptr_t CreateEventA(bool manualReset, bool initialState, const char* name) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("CreateEventA", 0);
        lastCreate_ = {manualReset, initialState, name != nullptr};
        if (failCreateEvent) {
            SetErrorLocked(8);  // ERROR_NOT_ENOUGH_MEMORY
            return 0;
        }
        const std::uintptr_t handle = nextHandle_++;
        events_[handle] = Event{manualReset, initialState, false};
        return handle;
    }
    bool SetEvent(std::uintptr_t event) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("SetEvent", event);
        Event* e = Find(event);
        if (e == nullptr) return false;
        e->signalled = true;
        changed_.notify_all();
        return true;
    }
    bool ResetEvent(std::uintptr_t event) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("ResetEvent", event);
        Event* e = Find(event);
        if (e == nullptr) return false;
        e->signalled = false;
        return true;
    }
    std::uint32_t WaitForSingleObject(std::uintptr_t handle, std::uint32_t milliseconds) override {
        std::function<void(std::uintptr_t, std::uint32_t)> hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            Log("WaitForSingleObject", handle);
            waitTimeouts_.push_back({handle, milliseconds});
            hook = onWait;
        }
        if (hook) hook(handle, milliseconds);
        std::unique_lock<std::mutex> lock(mutex_);
        auto scripted = scriptedWaits_.find(handle);
        if (scripted != scriptedWaits_.end()) {
            const std::uint32_t result = scripted->second.first;
            if (result == kWaitFailed) SetErrorLocked(scripted->second.second);
            scriptedWaits_.erase(scripted);
            return result;
        }
        if (Find(handle) == nullptr) {
            SetErrorLocked(6);  // ERROR_INVALID_HANDLE
            return kWaitFailed;
        }
        ++waiting_[handle];
        changed_.notify_all();
        auto ready = [&] {
            const Event* e = Find(handle);
            return e == nullptr || e->signalled;
        };
        bool signalled;
        if (milliseconds == kInfinite) {
            changed_.wait(lock, ready);
            signalled = true;
        } else {
            signalled = changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
        }
        --waiting_[handle];
        Event* e = Find(handle);
        if (e == nullptr) {
            SetErrorLocked(6);
            return kWaitFailed;
        }
        if (!signalled) return kWaitTimeout;
        if (!e->manual) e->signalled = false;
        return kWaitObject0;
    }
    bool CloseHandle(std::uintptr_t handle) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("CloseHandle", handle);
        Event* e = Find(handle);
        if (e == nullptr) {
            SetErrorLocked(6);
            return false;
        }
        e->closed = true;
        changed_.notify_all();
        return true;
    }
    std::uint32_t GetLastError() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastError_[std::this_thread::get_id()];
    }
    void InitializeCriticalSection(CriticalSectionRecord* section) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("InitializeCriticalSection", Id(section));
        sections_[section] = Section{};
    }
    void EnterCriticalSection(CriticalSectionRecord* section) override {
        std::unique_lock<std::mutex> lock(mutex_);
        Log("EnterCriticalSection", Id(section));
        const auto me = std::this_thread::get_id();
        changed_.wait(lock, [&] {
            const Section& s = sections_[section];
            return s.depth == 0 || s.owner == me;
        });
        Section& s = sections_[section];
        s.owner = me;
        ++s.depth;
    }
    void LeaveCriticalSection(CriticalSectionRecord* section) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("LeaveCriticalSection", Id(section));
        Section& s = sections_[section];
        if (s.depth == 0 || s.owner != std::this_thread::get_id()) {
            misuse_.push_back("LeaveCriticalSection by a thread that does not hold it");
            return;
        }
        if (--s.depth == 0) s.owner = std::thread::id();
        changed_.notify_all();
    }
    void DeleteCriticalSection(CriticalSectionRecord* section) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Log("DeleteCriticalSection", Id(section));
        if (sections_[section].depth != 0) misuse_.push_back("DeleteCriticalSection while held");
        sections_.erase(section);
    }

    // --- scripting
    bool failCreateEvent = false;
    // Runs (outside the fake's lock) at the start of every wait.
    std::function<void(std::uintptr_t handle, std::uint32_t milliseconds)> onWait;

    // The next wait on handle returns result at once (with lastError when it
    // is kWaitFailed).
    void ScriptWait(std::uintptr_t handle, std::uint32_t result, std::uint32_t lastError = 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        scriptedWaits_[handle] = {result, lastError};
    }
    void SetLastErrorForThisThread(std::uint32_t error) {
        std::lock_guard<std::mutex> lock(mutex_);
        SetErrorLocked(error);
    }

    // --- inspection
    std::vector<Call> Calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    int Count(const std::string& name, std::uintptr_t handle) const {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const Call& c : calls_) n += (c.name == name && c.handle == handle) ? 1 : 0;
        return n;
    }
    // The time-outs of the waits on one handle, in order.
    std::vector<std::uint32_t> WaitTimeouts(std::uintptr_t handle) const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::uint32_t> timeouts;
        for (const auto& w : waitTimeouts_)
            if (w.first == handle) timeouts.push_back(w.second);
        return timeouts;
    }
    bool Signalled(std::uintptr_t event) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = events_.find(event);
        return it != events_.end() && it->second.signalled;
    }
    bool IsOpenEvent(std::uintptr_t event) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = events_.find(event);
        return it != events_.end() && !it->second.closed;
    }
    int OpenEvents() const {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const auto& e : events_) n += e.second.closed ? 0 : 1;
        return n;
    }
    int LiveSections() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(sections_.size());
    }
    // Whether the calling thread holds any critical section.
    bool CallerHoldsASection() const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& s : sections_)
            if (s.second.depth > 0 && s.second.owner == std::this_thread::get_id()) return true;
        return false;
    }
    bool AnySectionHeld() const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& s : sections_)
            if (s.second.depth > 0) return true;
        return false;
    }
    // Blocks until some thread waits on the event (true), or 5 s pass.
    bool AwaitWaiter(std::uintptr_t event) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] {
            auto it = waiting_.find(event);
            return it != waiting_.end() && it->second > 0;
        });
    }
    struct CreateArgs {
        bool manualReset = false;
        bool initialState = false;
        bool named = false;
    };
    CreateArgs LastCreate() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastCreate_;
    }
    std::vector<std::string> Misuse() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return misuse_;
    }

  private:
    struct Event {
        bool manual = true;
        bool signalled = false;
        bool closed = false;
    };
    struct Section {
        std::thread::id owner;
        int depth = 0;
    };

    Event* Find(std::uintptr_t handle) {
        auto it = events_.find(handle);
        if (it == events_.end() || it->second.closed) return nullptr;
        return &it->second;
    }
    static std::uintptr_t Id(const CriticalSectionRecord* section) {
        return reinterpret_cast<std::uintptr_t>(section);
    }
    void Log(const char* name, std::uintptr_t handle) { calls_.push_back(Call{name, handle}); }
    void SetErrorLocked(std::uint32_t error) { lastError_[std::this_thread::get_id()] = error; }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::uintptr_t nextHandle_ = 0x100;
    std::map<std::uintptr_t, Event> events_;
    std::map<const CriticalSectionRecord*, Section> sections_;
    std::map<std::thread::id, std::uint32_t> lastError_;
    std::map<std::uintptr_t, std::pair<std::uint32_t, std::uint32_t>> scriptedWaits_;
    std::map<std::uintptr_t, int> waiting_;
    std::vector<Call> calls_;
    std::vector<std::pair<std::uintptr_t, std::uint32_t>> waitTimeouts_;
    std::vector<std::string> misuse_;
    CreateArgs lastCreate_;
};
