// CRC16: the CRC-16/XMODEM checksum (polynomial 0x1021, initial value 0, most significant bit
// first, no reflection, no final XOR), table-driven. The CRC of a class name's UTF-8 bytes is
// how an exception class is identified across the boundary. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string_view>

// The CRC of `length` bytes at `bytes`; a length of zero or less gives 0.
std::uint16_t Crc16(const void* bytes, std::int64_t length);

// The CRC of the text's UTF-8 bytes (no terminator, no byte-order mark); empty text gives 0.
std::uint16_t TextCrc16(std::u16string_view text);
