// The main-thread dispatcher: how another thread runs a call on the main
// (user-interface) thread and waits for it. Other threads queue calls with
// Synchronize; the main thread runs them in CheckSynchronize, which the window
// toolkit's message loop calls whenever the wake-up hook has woken it.
#pragma once

#include <functional>

namespace MainThread {

// Marks the calling thread as the main thread (by default: the thread that
// initialised the program's statics).
void SetCurrentAsMain();
bool IsMainThread();

// Called (on the queuing thread) after a call has been queued, so that the
// main thread's loop wakes up; the toolkit posts itself a message here.
void SetWakeUp(std::function<void()> wakeUp);

// Runs the call on the main thread and waits until it has run there; an
// exception it raises is raised again in the caller. Called on the main
// thread, it runs the call directly.
void Synchronize(const std::function<void()>& call);

// Main thread only: runs every queued call, waiting up to timeoutMs for the
// first one. Returns whether any ran.
bool CheckSynchronize(int timeoutMs = 0);

}  // namespace MainThread
