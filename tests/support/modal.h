#pragma once

// Driving a window that runs its own modal loop (exec()): the checks run
// inside the loop, and the modal window is closed afterwards whatever they
// did, so a failed assertion in them fails the test instead of leaving the
// loop waiting for ever.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vx::test {

// Calls `open` (which enters a modal loop) and, once that loop runs,
// `inside`; then closes every modal window still open. A modal window left
// open after `inside` is a failure of the test, reported by the caller
// through the return value (true when `inside` closed it itself).
inline bool whileModal(const std::function<void()>& inside, const std::function<void()>& open) {
    bool closedByChecks = true;
    QTimer::singleShot(0, [&] {
        inside();
        while (QWidget* modal = QApplication::activeModalWidget()) {
            closedByChecks = false;
            modal->close();
        }
    });
    open();
    return closedByChecks;
}

} // namespace vx::test
