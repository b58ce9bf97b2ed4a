#include "Base/CRC16.h"

#include "Platform/Locale.h"

#include <array>

namespace {

constexpr std::uint16_t Polynomial = 0x1021;

// Entry i is the CRC of the single byte i.
constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000u) != 0 ? (crc << 1) ^ Polynomial : crc << 1;
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> CrcTable = MakeCrcTable();
static_assert(CrcTable[1] == 0x1021 && CrcTable[255] == 0x1EF0);

} // namespace

std::uint16_t Crc16(const void* bytes, std::int64_t length) {
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    unsigned crc = 0;
    for (std::int64_t i = 0; i < length; ++i)
        crc = CrcTable[((crc >> 8) ^ data[i]) & 0xFFu] ^ ((crc << 8) & 0xFFFFu);
    return static_cast<std::uint16_t>(crc);
}

std::uint16_t TextCrc16(std::u16string_view text) {
    const std::string bytes = Platform::Utf16ToUtf8(text);
    return Crc16(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}
