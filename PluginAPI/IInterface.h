// IInterface: the root of every boundary interface, and the calling-convention macro.
//
// The root interface, its IID and PLUGIN_STDCALL live with the platform (Platform/Interface.h),
// whose own interfaces derive from it too; this is the name plug-in authors include. Slots 0
// to 2 of every interface are QueryInterface, AddRef and Release.
#pragma once

#include "Platform/Interface.h"

// Declares an operation slot that this system does not describe. Implementers answer
// E_NOTIMPL; callers never use it. It keeps every described operation at its slot number.
#define PLUGIN_RESERVED_SLOT(n) virtual HRESULT PLUGIN_STDCALL ReservedSlot##n() = 0
