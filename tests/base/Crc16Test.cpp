#include "Base/CRC16.h"
#include "Platform/Locale.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Crc16, IsXmodem) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(check.data(), 9), 0x31C3); // the published check value
    EXPECT_EQ(Crc16("\x01", 1), 0x1021);       // single bytes give the table's entries
    EXPECT_EQ(Crc16("\xFF", 1), 0x1EF0);
}

TEST(Crc16, NoBytesGiveZero) {
    EXPECT_EQ(Crc16("abc", 0), 0);
    EXPECT_EQ(Crc16("abc", -5), 0);
    EXPECT_EQ(TextCrc16(u""), 0);
}

TEST(Crc16, TextIsTakenAsUtf8) {
    EXPECT_EQ(TextCrc16(u"EConvertError"), 0x28DF);
    // "EÄ" is E, C3 84 in UTF-8; its UTF-16 units would give another CRC.
    EXPECT_EQ(TextCrc16(u"E\u00C4"), Crc16("E\xC3\x84", 3));
    EXPECT_NE(TextCrc16(u"E\u00C4"), Crc16("E\x00\xC4", 3));
}

struct TUtf8Case {
    std::u16string Text;
    std::string Bytes;
};

TEST(Utf8, ConvertsBothWays) {
    const TUtf8Case cases[] = {
        {u"K1ABC", "K1ABC"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u20AC", "\xE2\x82\xAC"},
        {u"\U0001F4FB", "\xF0\x9F\x93\xBB"}, // a surrogate pair is one four-byte sequence
    };
    for (const TUtf8Case& c : cases) {
        EXPECT_EQ(Platform::Utf16ToUtf8(c.Text), c.Bytes);
        EXPECT_EQ(Platform::Utf8ToUtf16(c.Bytes), c.Text);
    }
}

TEST(Utf8, ReplacesWhatIsNotValid) {
    EXPECT_EQ(Platform::Utf16ToUtf8(std::u16string(1, u'\xD800') + u"A"), "\xEF\xBF\xBD"
                                                                          "A");
    EXPECT_EQ(Platform::Utf16ToUtf8(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
    const std::string invalid[] = {"\xC0\xAF", "\xE2\x82", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                   "\xFF"};
    // Every byte of a sequence that is not valid UTF-8 becomes one replacement character.
    for (const std::string& bytes : invalid)
        EXPECT_EQ(Platform::Utf8ToUtf16(bytes), std::u16string(bytes.size(), u'\uFFFD'))
            << bytes.size();
}

} // namespace
