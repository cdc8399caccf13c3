// The keyboard filter's decision and its one handle slot.
#include "lock/keyboard_filter.h"

#include <gtest/gtest.h>

#include "support/fake_toolkit.h"

namespace quorvel {
namespace {

TEST(KeyboardFilter, DiscardsShiftCtrlAltAndLeftCtrlPressedOrReleasedAndNothingElse) {
    for (bool down : {true, false}) {
        for (bool injected : {false, true}) {
            for (uint32_t vk : {16u, 17u, 18u, 162u})
                EXPECT_TRUE(FilterKeyEvent({vk, down, injected})) << vk << " " << down;
            // Right Ctrl, both Shift keys, both Alt keys, the Windows keys, Tab, Esc, F4.
            for (uint32_t vk : {163u, 160u, 161u, 164u, 165u, 91u, 92u, 9u, 27u, 115u, 0u, 255u, 0x10010u})
                EXPECT_FALSE(FilterKeyEvent({vk, down, injected})) << vk << " " << down;
        }
    }
}

TEST(KeyboardFilter, InstallOverwritesTheSlotAndRemoveNeverClearsIt) {
    testing::FakeToolkit toolkit;
    KeyboardFilter filter(toolkit);
    EXPECT_EQ(filter.Handle(), 0);
    filter.Remove();  // before any install: a call with 0 that changes nothing
    EXPECT_EQ(toolkit.removeCalls, std::vector<HookHandle>{0});

    filter.Install();
    const HookHandle first = filter.Handle();
    EXPECT_NE(first, 0);
    EXPECT_EQ(toolkit.installedFilter, &FilterKeyEvent);
    filter.Install();
    const HookHandle second = filter.Handle();
    EXPECT_NE(second, first);
    EXPECT_EQ(toolkit.liveHooks.size(), 2u);  // the first hook is not removed by the second install

    filter.Remove();
    filter.Remove();
    EXPECT_EQ(filter.Handle(), second);
    EXPECT_EQ(toolkit.removeCalls, (std::vector<HookHandle>{0, second, second}));
    EXPECT_EQ(toolkit.liveHooks.count(second), 0u);

    toolkit.hookInstallFails = true;
    filter.Install();
    EXPECT_EQ(filter.Handle(), 0);
}

}  // namespace
}  // namespace quorvel
