// PlatformTypes: the Windows base types that the plug-in boundary is written in.
//
// On Win32 they are the system's own. On POSIX this header defines the same names with the
// same sizes and layouts, so that interface declarations read identically on both targets:
// a status is a signed 32-bit HRESULT, text is a system string of 16-bit characters (BSTR),
// window and icon handles are pointer-sized opaque values.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#define PLATFORM_EXPORT
#else

// C functions of the shared platform runtime that carry their Windows names.
#define CORVANE_PLATFORM_API extern "C" __attribute__((visibility("default")))
// C++ functions and classes of the shared platform runtime.
#define PLATFORM_EXPORT __attribute__((visibility("default")))

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
using REFGUID = const GUID&;

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}

struct HWND__;
using HWND = HWND__*;
struct HICON__;
using HICON = HICON__*;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

#endif
