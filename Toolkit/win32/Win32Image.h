// Win32Image: image files through the Windows Imaging Component. Internal to the Win32 backend.
//
// Both functions set up COM for the calling thread for their own duration when the thread has
// not (and leave a thread that has as it was). User-interface thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

namespace Toolkit::Win32Backend {

// A 32-bit top-down bitmap of `width` x `height` and, in `pixels`, its pixels; null when it
// cannot be made. The caller owns the bitmap.
HBITMAP CreateBitmap32(int width, int height, std::uint32_t** pixels);

// The image in an image file's bytes (any format the system decodes, e.g. PNG) as a 32-bit
// top-down bitmap with premultiplied alpha, for AlphaBlend; null when the bytes are no image.
// The caller owns the bitmap.
HBITMAP DecodeImage(std::span<const std::uint8_t> file);

// Writes `width` x `height` pixels (32-bit, blue-green-red-unused, top-down rows) as an opaque
// PNG file at `path`. False when the file cannot be written.
bool WritePng(const std::u16string& path, int width, int height,
              std::span<const std::uint32_t> pixels);

} // namespace Toolkit::Win32Backend
