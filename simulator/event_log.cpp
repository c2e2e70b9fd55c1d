// Event line output; see event_log.h.
#include "simulator/event_log.h"

namespace vtsim {

EventLog::~EventLog() {
    if (file_ != nullptr) std::fclose(file_);
}

bool EventLog::OpenFile(const std::string& file_name) {
    std::FILE* file = std::fopen(file_name.c_str(), "ab");
    if (file == nullptr) return false;
    if (file_ != nullptr) std::fclose(file_);
    file_ = file;
    return true;
}

void EventLog::Print(const std::string& line) {
    for (std::FILE* to : {out_, file_}) {
        if (to == nullptr) continue;
        std::fwrite(line.data(), 1, line.size(), to);
        std::fputc('\n', to);
        std::fflush(to);
    }
}

}  // namespace vtsim
