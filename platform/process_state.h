#pragma once

// The process-wide state of the library lives in one object, LibraryState,
// made of parts: each layer declares the parts it needs beside the code that
// uses them (the platform's caches and test hooks, the report model's current
// report and error state, the engine's counters, the preview's registries)
// and reaches them through libraryState().part<Part>(). Nothing else in the
// library keeps mutable statics.
//
// resetLibraryState() puts every part back to its start-up value and then
// runs the initialisers again, so that what module initialisation installs
// (hooks between the layers, registries of classes) is part of that value.
// Tests call it between cases; a test that replaces one hook uses
// ScopedOverride, which restores the previous value when it ends.
//
// The object is never destroyed: parts may hold windows and printers that
// must not outlive the application object, and whatever they still hold
// when the process exits is reachable from it (and left to the system).

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vx {

// Base of a part of the library state.
class LibraryStatePart {
public:
    virtual ~LibraryStatePart() = default;
    // Back to the start-up value, in place: references to the part's
    // members stay valid.
    virtual void reset() = 0;

protected:
    LibraryStatePart() = default;
    LibraryStatePart(const LibraryStatePart&) = default;
    LibraryStatePart(LibraryStatePart&&) = default;
    LibraryStatePart& operator=(const LibraryStatePart&) = default;
    LibraryStatePart& operator=(LibraryStatePart&&) = default;
};

// A part whose start-up value is its default-constructed value.
template <class Part> class DefaultResetPart : public LibraryStatePart {
public:
    void reset() override { static_cast<Part&>(*this) = Part(); }
};

class LibraryState {
public:
    // The part of type Part, created (default-constructed) on first use.
    template <class Part> Part& part() {
        // One slot per part type for the life of the process.
        static const size_t slot = newSlot();
        auto& p = slotAt(slot);
        if (!p)
            p = std::make_unique<Part>();
        return static_cast<Part&>(*p);
    }

    // Runs `init` now and after every reset. A second registration under
    // the same name neither registers nor runs it again.
    void addInitialiser(const QString& name, std::function<void()> init);

    // Every part back to its start-up value, in the order the parts were
    // first asked for, then the initialisers in the order of registration.
    void reset();

private:
    static size_t newSlot();
    std::unique_ptr<LibraryStatePart>& slotAt(size_t slot);

    size_t slotCount_ = 0;                                 // part types asked for so far
    std::vector<std::unique_ptr<LibraryStatePart>> parts_; // by slot
    std::vector<std::pair<QString, std::function<void()>>> initialisers_;
};

LibraryState& libraryState();

// libraryState().reset().
void resetLibraryState();

// Replaces a value of the library state (a hook, a factory, a setting) for
// as long as the guard lives, then puts the previous value back.
template <class T> class ScopedOverride {
public:
    // The new value is made first, so it may be a copy of the slot itself.
    template <class V>
    ScopedOverride(T& slot, V&& value)
        : slot_(slot), saved_(std::exchange(slot, T(std::forward<V>(value)))) {}
    ~ScopedOverride() { slot_ = std::move(saved_); }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    T& slot_;
    T saved_;
};

template <class T, class V> ScopedOverride(T&, V&&) -> ScopedOverride<T>;

} // namespace vx
