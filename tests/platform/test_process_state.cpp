// The library state: parts made once and reset in place, initialisers that
// run again after a reset, guards that put a replaced value back.

#include "platform/message_box.h"
#include "platform/platform_state.h"
#include "platform/process_state.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

struct CounterPart : DefaultResetPart<CounterPart> {
    int value = 7;
    std::function<int()> hook;
};

TEST(LibraryStateTest, PartsAreMadeOnceAndResetInPlace) {
    CounterPart& part = libraryState().part<CounterPart>();
    EXPECT_EQ(&libraryState().part<CounterPart>(), &part);
    int& alias = part.value; // as the model's names are bound
    alias = 42;
    resetLibraryState();
    EXPECT_EQ(&libraryState().part<CounterPart>(), &part);
    EXPECT_EQ(alias, 7);
}

// Counts the runs of the test's initialiser; a reset keeps the count.
struct InitialiserRuns : LibraryStatePart {
    int runs = 0;
    void reset() override {}
};

TEST(LibraryStateTest, InitialisersRunAtOnceAndAfterEveryResetOncePerName) {
    // Initialisers stay registered for the rest of the process: this one
    // reaches only the library state.
    const int before = libraryState().part<InitialiserRuns>().runs;
    const auto install = [] {
        ++libraryState().part<InitialiserRuns>().runs;
        libraryState().part<CounterPart>().hook = [] { return 2; };
    };
    const QString name = QStringLiteral("test: counter hook");
    libraryState().addInitialiser(name, install);
    libraryState().addInitialiser(name, install);
    const int& runs = libraryState().part<InitialiserRuns>().runs;
    EXPECT_EQ(runs, before + 1);
    CounterPart& part = libraryState().part<CounterPart>();
    part.hook = nullptr;
    part.value = 0;
    resetLibraryState();
    EXPECT_EQ(runs, before + 2);
    ASSERT_TRUE(part.hook); // installed again after the reset
    EXPECT_EQ(part.hook(), 2);
    EXPECT_EQ(part.value, 7);
}

TEST(LibraryStateTest, ScopedOverridePutsThePreviousValueBack) {
    std::function<int()>& hook = libraryState().part<CounterPart>().hook;
    const ScopedOverride start(hook, [] { return 1; });
    {
        const ScopedOverride outer(hook, [] { return 2; });
        EXPECT_EQ(hook(), 2);
        {
            // A guard that keeps the current value undoes what happens
            // while it lives.
            const ScopedOverride keep(hook, hook);
            EXPECT_EQ(hook(), 2);
            hook = [] { return 3; };
        }
        EXPECT_EQ(hook(), 2);
    }
    EXPECT_EQ(hook(), 1);
}

TEST(LibraryStateTest, PlatformResetKeepsWhatLiveObjectsOwn) {
    MessageBoxInterceptor boxes;
    platformState().ApplicationTitle = QStringLiteral("Altro");
    platformState().AtomicRenameHook = [](const QString&) { return false; };
    resetLibraryState();
    EXPECT_EQ(platformState().ApplicationTitle, QStringLiteral("DIZEridiv"));
    EXPECT_FALSE(platformState().AtomicRenameHook);
    // The interceptor still records: its guard, not the reset, ends it.
    showMessage(QStringLiteral("Errore"), QStringLiteral("prova"), MessageIcon::Error);
    EXPECT_EQ(boxes.messages().size(), 1u);
}

} // namespace
} // namespace vx::test
