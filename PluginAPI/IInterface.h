// IInterface: the root of every boundary interface, and the calling-convention macro.
//
// Every interface is a table of operations, each returning a 32-bit status (negative is a
// failure) and delivering results through trailing out-pointers. Slots 0 to 2 are the three
// operations below. Interfaces carry no virtual destructor: it would take table slots.
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

// Declares an operation slot that this system does not describe. Implementers answer
// E_NOTIMPL; callers never use it. It keeps every described operation at its slot number.
#define PLUGIN_RESERVED_SLOT(n) virtual HRESULT PLUGIN_STDCALL ReservedSlot##n() = 0
