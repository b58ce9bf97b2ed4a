// ImageIcon: a platform icon made from a Qt image the way a host makes one, from the bytes of
// the image as a PNG file, for the tests on Qt.
#pragma once

#include "Platform/Icons.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

// A new icon showing `image`; the caller destroys it. Null when the image cannot be encoded.
inline HICON IconFromImage(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Platform::CreateIconFromImageData(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                             static_cast<std::size_t>(png.size()));
}
