#include "Platform/SysString.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t StoredByteLength(BSTR text) {
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
    return bytes;
}

TEST(SysString, KeepsWindowsLayout) {
    const std::u16string text(u"K1ABC\0/P", 8); // an inner null is part of the text
    BSTR s = SysStringFrom(text);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(StoredByteLength(s), 16u);
    EXPECT_EQ(SysStringByteLen(s), 16u);
    EXPECT_EQ(SysStringLen(s), 8u);
    EXPECT_EQ(s[8], u'\0');
    EXPECT_EQ(SysStringView(s), text);
    SysFreeString(s);
}

TEST(SysString, NullIsTheEmptyText) {
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_TRUE(SysStringView(nullptr).empty());
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(nullptr);

    TSysString empty;
    EXPECT_EQ(empty.Text(), u"");
}

TEST(SysString, AllocatesFromTerminatedTextAndUninitialisedLength) {
    BSTR copy = SysAllocString(u"Logbook");
    EXPECT_EQ(SysStringView(copy), u"Logbook");
    SysFreeString(copy);

    BSTR blank = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SysStringLen(blank), 3u);
    EXPECT_EQ(blank[3], u'\0');
    SysFreeString(blank);
}

TEST(SysString, OwnerFreesWhatAnOutParameterReceived) {
    TSysString holder(u"first");
    BSTR* out = holder.Out();
    EXPECT_EQ(*out, nullptr);
    *out = SysStringFrom(u"second");
    EXPECT_EQ(holder.Text(), u"second");
}

} // namespace
