// System strings laid out as Windows lays them out: a 32-bit byte length, the UTF-16
// characters, a null character. The pointer handed out addresses the first character.
#include "Platform/SysString.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using TByteLength = std::uint32_t;

// The block starts with the length prefix; the characters follow it.
char* BlockOf(BSTR text) {
    return reinterpret_cast<char*>(text) - sizeof(TByteLength);
}

constexpr UINT MaxLength =
    (std::numeric_limits<TByteLength>::max() - sizeof(TByteLength)) / sizeof(OLECHAR) - 1;

} // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT len) {
    if (len > MaxLength)
        return nullptr;
    const TByteLength bytes = len * TByteLength{sizeof(OLECHAR)};
    // malloc's alignment suits the prefix and the characters after it.
    auto* block = static_cast<char*>(std::malloc(sizeof(TByteLength) + bytes + sizeof(OLECHAR)));
    if (block == nullptr)
        return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    auto* characters = static_cast<BSTR>(static_cast<void*>(block + sizeof(TByteLength)));
    if (text != nullptr)
        std::memcpy(characters, text, bytes);
    characters[len] = 0;
    return characters;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr)
        return nullptr;
    UINT len = 0;
    while (text[len] != 0)
        ++len;
    return SysAllocStringLen(text, len);
}

void SysFreeString(BSTR text) {
    if (text != nullptr)
        std::free(BlockOf(text));
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / UINT{sizeof(OLECHAR)};
}

UINT SysStringByteLen(BSTR text) {
    if (text == nullptr)
        return 0;
    TByteLength bytes = 0;
    std::memcpy(&bytes, BlockOf(text), sizeof bytes);
    return bytes;
}
