// The keyboard filter's decision and its one handle slot.
#include "lock/keyboard_filter.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/fake_toolkit.h"

namespace quorvel {
namespace {

bool Discards(int32_t nCode, uint32_t message, uint32_t vk) {
    const KeyEventRecord record{vk, 0x1D, 0, 1234, 0};
    return FilterKeyEvent(nCode, message, &record);
}

TEST(KeyboardFilter, DiscardsDownAndUpOfShiftCtrlAltAndLeftCtrlOnly) {
    for (uint32_t message : {kWmKeyDown, kWmKeyUp, kWmSysKeyDown, kWmSysKeyUp}) {
        for (uint32_t vk : {16u, 17u, 18u, 162u}) EXPECT_TRUE(Discards(kHcAction, message, vk)) << vk;
        // Right Ctrl, both Shift keys, both Alt keys, the Windows keys, Tab, Esc, F4.
        for (uint32_t vk : {163u, 160u, 161u, 164u, 165u, 91u, 92u, 9u, 27u, 115u, 0u, 255u})
            EXPECT_FALSE(Discards(kHcAction, message, vk)) << vk;
    }
}

TEST(KeyboardFilter, PassesOtherCodesAndOtherMessagesWhateverTheKey) {
    EXPECT_FALSE(Discards(1, kWmKeyDown, 162));
    EXPECT_FALSE(Discards(-1, kWmKeyDown, 17));
    EXPECT_FALSE(Discards(kHcAction, 0x102, 17));  // WM_CHAR is no key message here
    EXPECT_FALSE(Discards(kHcAction, 0x106, 18));
}

TEST(KeyboardFilter, ReadsOnlyTheKeyCodeOfTheRecord) {
    // The record may sit at any address: the filter copies it before reading.
    alignas(8) unsigned char buffer[24] = {};
    const KeyEventRecord record{17, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    std::memcpy(buffer + 1, &record, sizeof record);
    EXPECT_TRUE(FilterKeyEvent(kHcAction, kWmKeyDown, buffer + 1));
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
