// ImageIcon: an icon made from a Qt image the way a host hands an image to the platform, as the
// bytes of a PNG file (CreateIconFromImageData, Platform/Icons.h). For hosts and tests on Qt;
// user-interface thread only.
#pragma once

#include "Platform/Icons.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

namespace Platform {

// A new icon showing `image`; the caller destroys it. Null for an image that cannot be encoded.
inline HICON CreateIconFromImage(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return CreateIconFromImageData(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                   static_cast<std::size_t>(png.size()));
}

} // namespace Platform
