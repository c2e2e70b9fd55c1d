// The tone generator's two paths. The port accesses are made in exactly the
// order the PC/AT hardware is programmed in: read the control port, open the
// gate and set the timer mode only when the speaker is silent (so a tone
// started over a sounding one only changes the pitch), then the divisor's low
// and high byte.
#include "Bleeper/bleep_int.h"

#include <utility>

using namespace BleepInt;

TToneGenerator::TToneGenerator(ISpeaker& speaker, bool useBeepService,
                               ProcessMessages processMessages)
    : speaker_(speaker),
      useBeepService_(useBeepService),
      processMessages_(std::move(processMessages)) {}

bool TToneGenerator::DetectPlatform(ISpeaker& speaker) {
    // Zeroed, so that a failing call leaves platform id 0: the direct path.
    OsVersionInfoA info{};
    info.dwOSVersionInfoSize = sizeof info;
    speaker.GetVersionExA(&info);
    return info.dwPlatformId == kVerPlatformWin32Nt;
}

void TToneGenerator::PlayTone(std::uint16_t frequency, std::int32_t duration) {
    if (duration < -1) duration = 0;
    if (useBeepService_) {
        speaker_.Beep(frequency, static_cast<std::uint32_t>(duration));
        return;
    }
    SpeakerTone(frequency, duration);
}

void TToneGenerator::SpeakerTone(std::uint16_t frequency, std::int32_t duration) {
    if (frequency < kLowestFrequency || frequency > kHighestFrequency) return;
    SpeakerOn(Divisor(frequency));
    if (duration < 0) return;  // -1: leave it sounding
    try {
        WaitMilliseconds(duration);
    } catch (...) {
        SpeakerOff();  // a failing message handler must not leave it sounding
        throw;
    }
    SpeakerOff();
}

void TToneGenerator::SpeakerOn(std::uint16_t divisor) {
    const std::uint8_t control = speaker_.ReadPortByte(kSystemControlPort);
    if ((control & kSpeakerBits) == 0) {
        speaker_.WritePortByte(kSystemControlPort,
                               static_cast<std::uint8_t>(control | kSpeakerBits));
        speaker_.WritePortByte(kTimerModePort, kChannel2SquareWave);
    }
    speaker_.WritePortByte(kTimerChannel2Port, static_cast<std::uint8_t>(divisor & 0xFF));
    speaker_.WritePortByte(kTimerChannel2Port, static_cast<std::uint8_t>(divisor >> 8));
}

void TToneGenerator::SpeakerOff() {
    const std::uint8_t control = speaker_.ReadPortByte(kSystemControlPort);
    speaker_.WritePortByte(kSystemControlPort, static_cast<std::uint8_t>(control & 0xFC));
}

void TToneGenerator::WaitMilliseconds(std::int32_t duration) {
    if (duration < 0) duration = 0;
    const bool responsive = duration > kResponsiveWaitAbove && processMessages_;
    // Unsigned difference: the counter wraps at 2^32 and the difference does
    // not care.
    const auto wanted = static_cast<std::uint32_t>(duration);
    const std::uint32_t start = speaker_.GetTickCount();
    for (;;) {
        if (responsive) processMessages_();
        const std::uint32_t elapsed = speaker_.GetTickCount() - start;
        if (elapsed >= wanted) return;
    }
}
