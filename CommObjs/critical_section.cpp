// The critical section over the ISync seam.
#include "CommObjs/critical_section.h"

#include "platform/seam.h"

TCriticalSection::TCriticalSection() : sync_(Seam<ISync>::Get()) {
    sync_.InitializeCriticalSection(&section_);
}

TCriticalSection::~TCriticalSection() {
    sync_.DeleteCriticalSection(&section_);
}

void TCriticalSection::Enter() {
    sync_.EnterCriticalSection(&section_);
}

void TCriticalSection::Leave() {
    sync_.LeaveCriticalSection(&section_);
}
