#include "platform/process_state.h"

#include <algorithm>

namespace vx {

size_t LibraryState::newSlot() {
    return libraryState().slotCount_++;
}

std::unique_ptr<LibraryStatePart>& LibraryState::slotAt(size_t slot) {
    if (slot >= parts_.size())
        parts_.resize(slot + 1);
    return parts_[slot];
}

void LibraryState::addInitialiser(const QString& name, std::function<void()> init) {
    const bool known = std::any_of(initialisers_.begin(), initialisers_.end(),
                                   [&](const auto& entry) { return entry.first == name; });
    if (known || !init)
        return;
    initialisers_.emplace_back(name, init);
    init();
}

void LibraryState::reset() {
    // By index: a part's reset or an initialiser may ask for a part or
    // register an initialiser that did not exist yet.
    for (size_t i = 0; i < parts_.size(); ++i)
        if (parts_[i])
            parts_[i]->reset();
    for (size_t i = 0; i < initialisers_.size(); ++i) {
        const std::function<void()> init = initialisers_[i].second;
        init();
    }
}

LibraryState& libraryState() {
    // Never destroyed (see the header).
    static LibraryState* state = new LibraryState;
    return *state;
}

void resetLibraryState() {
    libraryState().reset();
}

} // namespace vx
