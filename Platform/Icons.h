// Icons: icon handles and the icons a window holds.
//
// An icon is made from an image and lives until DestroyIcon; the handle is an opaque HICON.
// A top-level window holds one small and one big icon. SendSetIconMessage gives the window a
// new one and returns the one it held before, as the WM_SETICON message does, so that whoever
// replaces an icon can destroy what the window held, and only that; icons a window holds are
// never destroyed by the window. The icon records are process-wide (one shared platform
// runtime), so an icon made by the host can be attached by the plug-in. Thread-safe, except that
// windows belong to the user-interface thread.
#pragma once

#include "Platform/PlatformTypes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Platform {

// WM_SETICON and its two kinds (windows.h has the message as a macro on Win32).
#if !defined(_WIN32)
inline constexpr UINT WM_SETICON = 0x80;
#endif
enum class TIconKind : std::uint32_t { Small = 0, Big = 1 }; // ICON_SMALL, ICON_BIG

// A new icon from an image file's bytes (any format the image reader knows, e.g. PNG);
// null when the bytes are no image.
PLATFORM_EXPORT HICON CreateIconFromImageData(const std::uint8_t* data, std::size_t size);
// A new icon from an image file; null when the file is missing or no image.
PLATFORM_EXPORT HICON CreateIconFromFile(std::u16string_view path);
// Destroys an icon. False (and nothing happens) for null or a handle that is no live icon.
PLATFORM_EXPORT bool DestroyIcon(HICON icon);
// The number of icons made and not yet destroyed.
PLATFORM_EXPORT std::size_t LiveIconCount();
// The pixel size of a live icon; false for anything else.
PLATFORM_EXPORT bool IconSize(HICON icon, int& width, int& height);

// Gives `window` the icon `icon` of `kind` (null removes it) and returns the icon the window
// held before (null when it held none). A handle that names no window changes nothing and
// returns null.
PLATFORM_EXPORT HICON SendSetIconMessage(HWND window, TIconKind kind, HICON icon);
// The icon of `kind` that `window` holds, or null.
PLATFORM_EXPORT HICON WindowIcon(HWND window, TIconKind kind);

} // namespace Platform
