// Interface: the root of every reference-counted interface, and the calling-convention macro.
//
// Every interface is a table of operations, each returning a 32-bit status (negative is a
// failure) and delivering results through trailing out-pointers. Slots 0 to 2 are the three
// operations below. Interfaces carry no virtual destructor: it would take table slots. The
// platform's own interfaces (error information) derive from it as the boundary's do; plug-in
// authors include it as PluginAPI/IInterface.h.
#pragma once

#include "Platform/PlatformTypes.h"

#if defined(_WIN32)
#define PLUGIN_STDCALL __stdcall
#else
#define PLUGIN_STDCALL
#endif

// {00000000-0000-0000-C000-000000000046}
struct IInterface {
    virtual HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) = 0;
    virtual LONG PLUGIN_STDCALL AddRef() = 0;
    virtual LONG PLUGIN_STDCALL Release() = 0;

protected:
    ~IInterface() = default;
};

constexpr IID IID_IInterface = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
