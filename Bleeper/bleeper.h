// The tone generator as the program uses it (unit Bleeper): one process-wide
// choice of path and PlayTone.
//
// Start-up calls DetectPlatform once, after installing the ISpeaker seam and
// before any window exists; it asks the platform once per run and the choice
// never changes afterwards (later calls do nothing). A PlayTone before it
// makes the choice itself. Each tone uses the ISpeaker installed at the time.
//
// The window toolkit plugs its "process all pending messages" operation in
// with SetProcessMessages at start-up; direct-path tones longer than 1000 ms
// call it while they wait. Until it is set, nothing is processed.
//
// Main thread only. PlayTone throws std::logic_error when no ISpeaker is
// installed, and passes on what the message processing throws.
#pragma once

#include <cstdint>
#include <functional>

void DetectPlatform();
// The path chosen by DetectPlatform: true for the system beep service.
bool UseBeepService();

void PlayTone(std::uint16_t frequency, std::int32_t duration);

// Returns the previous callback.
std::function<void()> SetProcessMessages(std::function<void()> processMessages);
