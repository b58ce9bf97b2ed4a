// Icons on Win32: images decoded with the Windows Imaging Component into 32-bit icons, and the
// window's own WM_SETICON and WM_GETICON messages. The icons made here are counted, so that
// whoever replaces a window's icon can be checked to destroy what it replaced.
#include "Platform/Icons.h"

#include "Platform/Files.h"

#include <wincodec.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>

namespace Platform {
namespace {

// Holds one COM interface reference for a scope.
template <typename T> class TComRef {
public:
    TComRef() = default;
    ~TComRef() {
        if (FObject != nullptr)
            FObject->Release();
    }
    TComRef(const TComRef&) = delete;
    TComRef& operator=(const TComRef&) = delete;

    T* operator->() const { return FObject; }
    T* Get() const { return FObject; }
    T** Out() { return &FObject; }
    void** OutVoid() { return reinterpret_cast<void**>(&FObject); }

private:
    T* FObject = nullptr;
};

// COM for the calling thread while the scope lasts (a thread that has it already keeps it).
class TComScope {
public:
    TComScope() : FInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~TComScope() {
        if (FInitialised)
            CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    bool FInitialised;
};

// Deletes a GDI bitmap when the scope ends.
class TBitmap {
public:
    explicit TBitmap(HBITMAP bitmap) : FBitmap(bitmap) {}
    ~TBitmap() {
        if (FBitmap != nullptr)
            DeleteObject(FBitmap);
    }
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    HBITMAP Get() const { return FBitmap; }

private:
    HBITMAP FBitmap;
};

std::mutex GIconsLock;
std::set<HICON> GIcons;

// The first frame of the image in `data` as 32-bit BGRA pixels (straight alpha), top row
// first; false when the bytes are no image WIC can read.
bool DecodeImage(const std::uint8_t* data, std::size_t size, UINT& width, UINT& height,
                 std::string& pixels) {
    if (data == nullptr || size == 0 || size > MAXDWORD)
        return false;
    TComScope com;
    TComRef<IWICImagingFactory> factory;
    TComRef<IWICStream> stream;
    TComRef<IWICBitmapDecoder> decoder;
    TComRef<IWICBitmapFrameDecode> frame;
    TComRef<IWICFormatConverter> converter;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.OutVoid())) ||
        FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.Out())) ||
        FAILED(decoder->GetFrame(0, frame.Out())) ||
        FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 4096 ||
        height > 4096)
        return false;
    pixels.resize(std::size_t{width} * height * 4);
    return SUCCEEDED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()),
                                           reinterpret_cast<BYTE*>(pixels.data())));
}

HICON IconFromPixels(UINT width, UINT height, const std::string& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    TBitmap mask(CreateBitmap(static_cast<int>(width), static_cast<int>(height), 1, 1, nullptr));
    if (color.Get() == nullptr || mask.Get() == nullptr || bits == nullptr)
        return nullptr;
    std::copy(pixels.begin(), pixels.end(), static_cast<char*>(bits));
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmMask = mask.Get();
    icon.hbmColor = color.Get();
    return CreateIconIndirect(&icon);
}

} // namespace

HICON CreateIconFromImageData(const std::uint8_t* data, std::size_t size) {
    UINT width = 0;
    UINT height = 0;
    std::string pixels;
    if (!DecodeImage(data, size, width, height, pixels))
        return nullptr;
    HICON icon = IconFromPixels(width, height, pixels);
    if (icon != nullptr) {
        const std::lock_guard lock(GIconsLock);
        GIcons.insert(icon);
    }
    return icon;
}

HICON CreateIconFromFile(std::u16string_view path) {
    std::string bytes;
    if (ReadFileBytes(path, bytes) != 0)
        return nullptr;
    return CreateIconFromImageData(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
}

bool DestroyIcon(HICON icon) {
    if (icon == nullptr)
        return false;
    {
        const std::lock_guard lock(GIconsLock);
        GIcons.erase(icon);
    }
    return ::DestroyIcon(icon) != FALSE;
}

std::size_t LiveIconCount() {
    const std::lock_guard lock(GIconsLock);
    return GIcons.size();
}

bool IconSize(HICON icon, int& width, int& height) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return false;
    const TBitmap mask(info.hbmMask);
    const TBitmap color(info.hbmColor);
    BITMAP bitmap{};
    if (GetObjectW(info.hbmMask, sizeof bitmap, &bitmap) == 0)
        return false;
    width = bitmap.bmWidth;
    // A monochrome icon's mask holds the AND and XOR halves one above the other.
    height = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
    return true;
}

HICON SendSetIconMessage(HWND window, TIconKind kind, HICON icon) {
    if (window == nullptr || !IsWindow(window))
        return nullptr;
    return reinterpret_cast<HICON>(SendMessageW(window, WM_SETICON, static_cast<WPARAM>(kind),
                                                reinterpret_cast<LPARAM>(icon)));
}

HICON WindowIcon(HWND window, TIconKind kind) {
    if (window == nullptr || !IsWindow(window))
        return nullptr;
    return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, static_cast<WPARAM>(kind), 0));
}

} // namespace Platform
