#include "Platform/System.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(SystemMessageText, GivesTheSystemTextOrNothing) {
    EXPECT_EQ(Platform::SystemMessageText(E_UNEXPECTED), u"Catastrophic failure");
    EXPECT_EQ(Platform::SystemMessageText(E_NOINTERFACE), u"No such interface supported");
    // An operating-system code carried in a facility-7 status.
    EXPECT_EQ(Platform::SystemMessageText(static_cast<HRESULT>(0x80070002u)),
              u"No such file or directory");
    // Class-name codes and unknown operating-system codes have no system text.
    EXPECT_EQ(Platform::SystemMessageText(static_cast<HRESULT>(0x800428DFu)), u"");
    EXPECT_EQ(Platform::SystemMessageText(static_cast<HRESULT>(0x8007FFFFu)), u"");
    EXPECT_EQ(Platform::SystemMessageText(S_OK), u"");
}

TEST(TickCount, CountsMilliseconds) {
    const std::uint32_t start = Platform::TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    // Both readings are truncated to whole milliseconds; unsigned subtraction survives a wrap.
    EXPECT_GE(static_cast<std::uint32_t>(Platform::TickCount() - start), 29u);
}

} // namespace
