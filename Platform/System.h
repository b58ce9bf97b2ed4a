// System: small services of the operating system that the plug-in relies on.
// Every function is thread-safe.
#pragma once

#include "PlatformTypes.h"

#include <cstdint>
#include <string>

namespace Platform {

// The system's message text for a status code, without a trailing line break; empty when
// the system has none.
PLATFORM_EXPORT std::u16string SystemMessageText(HRESULT status);

// The millisecond tick counter: milliseconds since an arbitrary start, wrapping at 2^32.
PLATFORM_EXPORT std::uint32_t TickCount();

} // namespace Platform
