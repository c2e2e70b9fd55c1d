// The tone generator's mechanism (unit BleepInt): platform detection, the
// system beep service, and the direct PC-speaker path, which programs channel
// 2 of the interval timer and switches the speaker gate through I/O ports
// 0x61, 0x43 and 0x42 and times the tone on the millisecond tick counter.
//
// TToneGenerator holds no state of its own beyond the path chosen at
// construction: whether the speaker sounds is kept by the hardware (bits 0
// and 1 of port 0x61). It borrows the ISpeaker, which must outlive it.
// Main thread only. Nothing is reported: failures of Beep and GetVersionExA
// are not looked at, and frequencies outside the direct path's window are
// ignored. Only the message-processing callback may throw; its exception
// passes out of the wait, after the speaker has been switched off.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/speaker.h"

namespace BleepInt {

constexpr std::uint32_t kTimerClock = 1193181;  // Hz, the timer's input clock
constexpr std::uint16_t kSystemControlPort = 0x61;
constexpr std::uint16_t kTimerModePort = 0x43;
constexpr std::uint16_t kTimerChannel2Port = 0x42;
constexpr std::uint8_t kChannel2SquareWave = 0xB6;  // channel 2, low then high byte, mode 3
constexpr std::uint8_t kSpeakerBits = 0x03;         // timer 2 gate, speaker data
constexpr std::uint16_t kLowestFrequency = 20;
constexpr std::uint16_t kHighestFrequency = 5000;
constexpr std::int32_t kResponsiveWaitAbove = 1000;  // ms; longer waits process messages

// The timer divisor for a frequency (not 0), truncated.
constexpr std::uint16_t Divisor(std::uint16_t frequency) {
    return static_cast<std::uint16_t>(kTimerClock / frequency);
}

}  // namespace BleepInt

class TToneGenerator {
  public:
    // Lets the application process its pending window messages.
    using ProcessMessages = std::function<void()>;

    TToneGenerator(ISpeaker& speaker, bool useBeepService,
                   ProcessMessages processMessages = ProcessMessages());

    // Asks GetVersionExA (record size 148) for the platform: true, use the
    // beep service, exactly for platform id 2 (the NT family).
    static bool DetectPlatform(ISpeaker& speaker);

    bool UseBeepService() const { return useBeepService_; }

    // Sounds the frequency (Hz) for the duration (ms) and returns when it has
    // ended; a duration below -1 counts as 0. On the direct path -1 leaves the
    // tone sounding and returns at once, and a frequency outside 20..5000 Hz
    // returns at once without sound. On the beep path Beep gets both values
    // unchanged (-1 as 4294967295).
    void PlayTone(std::uint16_t frequency, std::int32_t duration);

    // The direct path's steps.
    void SpeakerTone(std::uint16_t frequency, std::int32_t duration);
    void SpeakerOn(std::uint16_t divisor);
    void SpeakerOff();
    // Busy wait on the tick counter, safe across its wrap at 2^32; processes
    // messages on each round only when the duration is above 1000 ms.
    void WaitMilliseconds(std::int32_t duration);

  private:
    ISpeaker& speaker_;
    bool useBeepService_;
    ProcessMessages processMessages_;
};
