#include "Toolkit/win32/Win32Image.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

namespace Toolkit::Win32Backend {

namespace {

using Microsoft::WRL::ComPtr;

// COM for the calling thread while the object lives, unless the thread already has it.
class TComScope {
public:
    TComScope() : FInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    ~TComScope() {
        if (FInitialised)
            CoUninitialize();
    }

private:
    bool FInitialised;
};

ComPtr<IWICImagingFactory> ImagingFactory() {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))))
        return nullptr;
    return factory;
}

} // namespace

HBITMAP CreateBitmap32(int width, int height, std::uint32_t** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = static_cast<std::uint32_t*>(bits);
    return bitmap;
}

HBITMAP DecodeImage(std::span<const std::uint8_t> file) {
    if (file.empty())
        return nullptr;
    const TComScope com;
    const ComPtr<IWICImagingFactory> factory = ImagingFactory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (!factory || FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(file.data()),
                                            static_cast<DWORD>(file.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0)
        return nullptr;
    std::uint32_t* pixels = nullptr;
    const HBITMAP bitmap =
        CreateBitmap32(static_cast<int>(width), static_cast<int>(height), &pixels);
    if (bitmap == nullptr)
        return nullptr;
    if (FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                     reinterpret_cast<BYTE*>(pixels)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

bool WritePng(const std::u16string& path, int width, int height,
              std::span<const std::uint32_t> pixels) {
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (width <= 0 || height <= 0 || pixels.size() < count)
        return false;
    // The unused byte becomes an opaque alpha channel.
    std::vector<std::uint32_t> opaque(pixels.begin(), pixels.begin() + static_cast<long>(count));
    for (std::uint32_t& pixel : opaque)
        pixel |= 0xFF000000u;

    const TComScope com;
    const ComPtr<IWICImagingFactory> factory = ImagingFactory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    const auto stride = static_cast<UINT>(width) * 4;
    return factory && SUCCEEDED(factory->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(reinterpret_cast<LPCWSTR>(path.c_str()),
                                                    GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
           SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) &&
           SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride,
                                        stride * static_cast<UINT>(height),
                                        reinterpret_cast<BYTE*>(opaque.data()))) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

} // namespace Toolkit::Win32Backend
