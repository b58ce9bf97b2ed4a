// The system's message texts and the tick counter on POSIX.
#include "Platform/System.h"

#include "Platform/GenericStatusTexts.h"

#include <cstring>
#include <ctime>
#include <string_view>

namespace {

constexpr unsigned FacilityWin32 = 7;

std::u16string Widen(std::string_view text) {
    // The system texts are plain ASCII.
    return {text.begin(), text.end()};
}

} // namespace

namespace Platform {

std::u16string SystemMessageText(HRESULT status) {
    if (std::u16string text = GenericStatusText(status); !text.empty())
        return text;
    // A facility-7 status carries an operating-system error code in its low 16 bits.
    const auto bits = static_cast<std::uint32_t>(status);
    if (status < 0 && ((bits >> 16) & 0x1FFFu) == FacilityWin32) {
        if (const char* text = strerrordesc_np(static_cast<int>(bits & 0xFFFFu)))
            return Widen(text);
    }
    return {};
}

std::uint32_t TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(milliseconds);
}

} // namespace Platform
