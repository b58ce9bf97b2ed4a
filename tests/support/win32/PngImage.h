// PngImage: the pixels of a PNG file as the system decodes them, for tests that check what a
// form rendered.
#pragma once

#include <objbase.h>
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <filesystem>
#include <vector>

// The pixels of a PNG file, 32-bit blue-green-red-alpha, decoded by the system.
struct TImage {
    UINT Width = 0;
    UINT Height = 0;
    std::vector<std::uint32_t> Pixels;

    COLORREF At(int x, int y) const {
        const std::uint32_t p = Pixels[static_cast<std::size_t>(y) * Width + static_cast<UINT>(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

inline TImage ReadPng(const std::filesystem::path& file) {
    using Microsoft::WRL::ComPtr;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    TImage image;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&image.Width, &image.Height)))
        return {};
    image.Pixels.resize(std::size_t{image.Width} * image.Height);
    converter->CopyPixels(nullptr, image.Width * 4, image.Width * image.Height * 4,
                          reinterpret_cast<BYTE*>(image.Pixels.data()));
    return image;
}
