#include "PluginAPI/StatusCodes.h"

#include "Base/CRC16.h"

#include <cstdint>

namespace {

constexpr std::uint32_t ClassCodeBase = 0x80040000u;

} // namespace

HRESULT ClassErrorCode(std::string_view className) {
    const std::uint16_t crc = Crc16(className.data(), static_cast<std::int64_t>(className.size()));
    return static_cast<HRESULT>(ClassCodeBase | crc);
}
