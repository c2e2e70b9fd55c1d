// Process-wide state of the tone unit: the path, fixed once, and the
// toolkit's message-processing callback. A generator is made per tone: it is
// two references and a flag, and so always uses the seam installed now.
#include "Bleeper/bleeper.h"

#include <utility>

#include "Bleeper/bleep_int.h"
#include "platform/seam.h"

namespace {

struct ToneUnit {
    bool detected = false;
    bool useBeepService = false;
    std::function<void()> processMessages;
};

ToneUnit& Unit() {
    static ToneUnit unit;
    return unit;
}

}  // namespace

void DetectPlatform() {
    ToneUnit& unit = Unit();
    if (unit.detected) return;
    unit.useBeepService = TToneGenerator::DetectPlatform(Seam<ISpeaker>::Get());
    unit.detected = true;
}

bool UseBeepService() {
    DetectPlatform();
    return Unit().useBeepService;
}

void PlayTone(std::uint16_t frequency, std::int32_t duration) {
    const bool beep = UseBeepService();
    TToneGenerator(Seam<ISpeaker>::Get(), beep, Unit().processMessages)
        .PlayTone(frequency, duration);
}

std::function<void()> SetProcessMessages(std::function<void()> processMessages) {
    std::function<void()> previous = std::move(Unit().processMessages);
    Unit().processMessages = std::move(processMessages);
    return previous;
}
