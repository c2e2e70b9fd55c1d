// The one installation point per platform seam. The program installs the
// Win32 implementations at start-up; tests install fakes (ScopedSeam). Code
// below the seam reaches the installed object with Seam<I>::Get().
#pragma once

#include <stdexcept>

template <class Interface>
class Seam {
  public:
    static Interface& Get() {
        Interface* current = Slot();
        if (current == nullptr) throw std::logic_error("platform seam used before installation");
        return *current;
    }
    static bool Installed() { return Slot() != nullptr; }
    // Returns the previous installation.
    static Interface* Install(Interface* implementation) {
        Interface* previous = Slot();
        Slot() = implementation;
        return previous;
    }

  private:
    static Interface*& Slot() {
        static Interface* slot = nullptr;
        return slot;
    }
};

// Installs an implementation for the life of a scope (tests, start-up).
template <class Interface>
class ScopedSeam {
  public:
    explicit ScopedSeam(Interface* implementation)
        : previous_(Seam<Interface>::Install(implementation)) {}
    ~ScopedSeam() { Seam<Interface>::Install(previous_); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

  private:
    Interface* previous_;
};
